#!/usr/bin/env bash
# One run of the show through two whole cycles, untouched except where the input may not count:
# the clip over the whole screen, the logo alone and centred, the video again, the logo again, and
# a click on the logo that ends the show.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

dir=$(e2e_program_dir 0)
xdotool mousemove $((e2e_screen_w / 2)) $((e2e_screen_h / 2))
e2e_start "$dir"
t0=$(e2e_wait_window Form1 30)

read -r w h x y <<<"$(e2e_windows Form1)"
e2e_note "window Form1: ${w}x${h} at $x,$y on a ${e2e_screen_w}x${e2e_screen_h} screen"
[ "$w $h $x $y" = "$e2e_screen_w $e2e_screen_h 0 0" ] || e2e_fail "the window does not cover exactly the screen"
xprop -name Form1 _NET_WM_ICON | grep -q 'Icon (32 x 32)' || e2e_fail "the window has no 32 x 32 icon"

# The clip stretched over the whole screen, and moving.
e2e_sleep_until "$t0" 3
first=$(e2e_shot show-03s)
e2e_sleep_until "$t0" 4
second=$(e2e_shot show-04s)
read -r w h x y <<<"$(e2e_bbox "$first")"
e2e_note "at 3 s: picture ${w}x${h} at $x,$y"
e2e_near "$w" "$e2e_screen_w" 4 && e2e_near "$h" "$e2e_screen_h" 4 || e2e_fail "the video does not fill the screen"
change=$(e2e_difference "$first" "$second")
e2e_note "change from 3 s to 4 s: $change"
awk -v d="$change" 'BEGIN { exit !(d > 0.01) }' || e2e_fail "the picture stands still"

e2e_sleep_until "$t0" 44
e2e_check_logo "$(e2e_shot show-44s)"

# Over the logo, moving and pressing count for nothing; on the black margin each kind stays one
# short of its end. The system's own mouse moves at each switch must not add to them.
cx=$((e2e_screen_w / 2)) cy=$((e2e_screen_h / 2))
for step in 1 2 3; do xdotool mousemove $((cx - 20 * step)) $((cy - 10 * step)); sleep 0.2; done
for step in 1 2 3; do xdotool click 3; sleep 0.2; done
xdotool mousemove 40 40; sleep 0.2
xdotool mousemove 60 50; sleep 0.2
xdotool click 1; sleep 0.2
xdotool click 3; sleep 0.2
xdotool mousemove "$cx" "$cy"; sleep 0.5
e2e_running "$dir" || e2e_fail "input over the logo or too little on the margin ended the show"

e2e_sleep_until "$t0" 50
third=$(e2e_shot show-50s)
read -r w h x y <<<"$(e2e_bbox "$third")"
e2e_note "at 50 s: picture ${w}x${h} at $x,$y"
e2e_near "$w" "$e2e_screen_w" 4 && e2e_near "$h" "$e2e_screen_h" 4 || e2e_fail "the video is not back over the whole screen"
e2e_running "$dir" || e2e_fail "the show ended by itself"

# Every phase as long as the first: the logo is back 47 s after it first came.
e2e_sleep_until "$t0" 91
e2e_check_logo "$(e2e_shot show-91s)"
e2e_running "$dir" || e2e_fail "the show ended by itself"

xdotool click 1
code=$(e2e_wait_exit "$dir" 10) || e2e_fail "a click on the logo did not end the show"
e2e_note "a click on the logo ended the show with exit code $code"
[ "$code" = 0 ] || e2e_fail "exit code $code"
