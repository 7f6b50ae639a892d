#!/usr/bin/env bash
# The show on a desktop of two monitors: the video on the primary one and black on the other,
# where mouse moves and presses count as over the show window's own margin, while a window that
# comes and goes under a still pointer does not count. Then, on one monitor, the show following
# changes of the resolution while it runs.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

e2e_x_server Xvfb -screen 0 1920x1200x24
host=$e2e_x_display
DISPLAY=$host e2e_x_server Xephyr +xinerama -screen 1024x768+0+0 -screen 800x600+1024+0
two=$e2e_x_display
# Wine reads the monitors from Xinerama only without XRandR.
e2e_session_on "$two" 'HKCU\Software\Wine\X11 Driver|UseXRandR|REG_SZ|N'

# Two moves of the mouse, each to a place given as "x y", leave the show started from $dir running
# and a third ends it, with exit code 0.
expect_end_on_third_move() {
  local what=$1 code
  # shellcheck disable=SC2086 # each place is two words on purpose
  { xdotool mousemove $2; sleep 0.3; xdotool mousemove $3; sleep 1.5; }
  e2e_running "$dir" || e2e_fail "$what: two moves ended the show"
  # shellcheck disable=SC2086
  xdotool mousemove $4
  code=$(e2e_wait_exit "$dir" 10) || e2e_fail "$what: the third move did not end the show"
  [ "$code" = 0 ] || e2e_fail "$what: exit code $code"
}

# The pointer rests on the second monitor, as a user's often does, when the show starts.
rest_x=1424 rest_y=300
xdotool mousemove "$rest_x" "$rest_y"
dir=$(e2e_program_dir 0)
e2e_start "$dir"
t0=$(e2e_wait_window Form1 30)
e2e_wait_window "Torva blank" 5 >/dev/null
show=$(e2e_windows Form1) blank=$(e2e_windows "Torva blank")
e2e_note "show window $show; blank window $blank"
[ "$show" = "1024 768 0 0" ] || e2e_fail "the show window does not cover exactly the primary monitor"
[ "$blank" = "800 600 1024 0" ] || e2e_fail "no blank window exactly over the second monitor"

e2e_sleep_until "$t0" 3
shot=$(e2e_shot monitors-video)
convert "$shot" -crop 1024x768+0+0 +repage "$e2e_work/primary.png"
convert "$shot" -crop 800x600+1024+0 +repage "$e2e_work/second.png"
read -r w h x y <<<"$(e2e_bbox "$e2e_work/primary.png")"
e2e_note "primary monitor: picture ${w}x${h} at $x,$y"
e2e_near "$w" 1024 4 && e2e_near "$h" 768 4 || e2e_fail "the video does not fill the primary monitor"
second=$(e2e_bbox "$e2e_work/second.png")
e2e_note "second monitor: picture $second (0 0 0 0: all black)"
[ "$second" = "0 0 0 0" ] || e2e_fail "the second monitor is not black"

# Other programs' windows appear and go under the still pointer; the system reports a mouse move
# at the same place to the window under it each time.
"$wine64" "$e2e_staged/torva_desktop_events.exe" popup 3 </dev/null >/dev/null 2>&1 || e2e_fail "no popups"
e2e_running "$dir" || e2e_fail "windows coming and going under a still pointer ended the show"
e2e_note "three windows came and went under the still pointer: the show runs on"

# Two presses on the black monitor count, and leave the keyboard with the show.
xdotool click 1; sleep 0.3; xdotool click 3; sleep 1
e2e_running "$dir" || e2e_fail "two presses on the second monitor ended the show"
e2e_press_key space; e2e_press_key Return
code=$(e2e_wait_exit "$dir" 10) || e2e_fail "two keys after presses on the second monitor did not end the show"
[ "$code" = 0 ] || e2e_fail "exit code $code"
e2e_note "two presses on the second monitor left it running; two keys then ended it"

dir=$(e2e_program_dir 0)
xdotool mousemove "$rest_x" "$rest_y"
e2e_start "$dir"
e2e_wait_window "Torva blank" 30 >/dev/null
sleep 2
expect_end_on_third_move "moves on the second monitor" "1200 100" "1300 200" "1500 400"
e2e_note "three moves on the second monitor ended the show, not two"

# One monitor whose resolution changes under the running show, as a game or the display settings
# change it, while the pointer rests on the part that every resolution keeps.
DISPLAY=$host e2e_x_server Xephyr -screen 1024x768
e2e_session_on "$e2e_x_display"
xdotool mousemove 400 300
dir=$(e2e_program_dir 0)
e2e_start "$dir"
e2e_wait_window Form1 30 >/dev/null
sleep 2
for size in 800x600 1280x1024; do
  "$wine64" "$e2e_staged/torva_desktop_events.exe" mode "${size%x*}" "${size#*x}" </dev/null >/dev/null 2>&1 ||
    e2e_fail "the resolution $size was refused"
  sleep 3
  e2e_running "$dir" || e2e_fail "the show ended at the change to $size"
  e2e_screen_w=${size%x*} e2e_screen_h=${size#*x}
  show=$(e2e_windows Form1)
  e2e_note "after the change to $size: show window $show"
  [ "$show" = "$e2e_screen_w $e2e_screen_h 0 0" ] || e2e_fail "the show window did not follow the change to $size"
  e2e_check_covered "$(e2e_shot "display-change-$size")"
done
# The windows moved and grew under the pointer: none of that may have counted.
expect_end_on_third_move "moves after the changes" "100 100" "200 100" "300 100"
e2e_note "the show followed both changes and still ended on the third move, with exit code 0"
