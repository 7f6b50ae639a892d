#!/usr/bin/env bash
# The run-time error report as the user sees it: the picture of the whole screen, where the report
# lies, must show what the report's own window holds, its text and its button, in front of the
# window whose event failed. From the settings dialog's OK when every name for the new file is
# taken (a read-only file no longer fails: the choice then goes to the user's own file), and from a
# running show whose memory runs out (the helper makes the saver's allocations fail, then tells the
# show of a display change, which makes it look at the monitors again).
#
# The whole screen is taken with one plain read of the root window, as the X server shows it. Not
# with xwd: on a display with many visuals (Xvfb offers 360) xwd puts its picture together window
# by window, and there a second top-level window of one program over its first comes out black,
# although the screen shows it (ffmpeg's x11grab agrees with the plain read).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

screen_shot() { import -window root "$e2e_shots/$1.png"; }

# The X window id of the mapped window named exactly `title`.
window_id() {
  local id
  for id in $(xwininfo -root -tree | sed -n "s/^ *\(0x[0-9a-f]*\) \"$1\".*/\1/p"); do
    xwininfo -id "$id" | grep -q 'Map State: IsViewable' && { echo "$id"; return; }
  done
}

# Waits for the report, then until the whole screen shows it as its own window does: the two
# pictures of its place differ by less than 0.05 (0 same, 1 opposite) and are not black.
check_report_seen() {
  local name=$1 id='' tries=0 w h x y difference brightness
  until [ -n "$id" ]; do
    e2e_running "$e2e_saver_dir" || e2e_fail "the saver ended (exit $(cat "$e2e_saver_dir/exit")) without a report"
    tries=$((tries + 1))
    [ $tries -gt 100 ] && e2e_fail "no report window after 10 s"
    sleep 0.1
    id=$(window_id Torva)
  done
  read -r w h x y <<<"$(e2e_windows Torva)"
  for tries in $(seq 20); do
    sleep 0.5
    import -window "$id" "$e2e_shots/$name-own.png"
    screen_shot "$name"
    convert "$e2e_shots/$name.png" -crop "${w}x${h}+${x}+${y}" +repage "$e2e_work/seen.png"
    difference=$({ compare -metric RMSE "$e2e_work/seen.png" "$e2e_shots/$name-own.png" null: 2>&1 || true; } |
                 sed -n 's/.*(\(.*\)).*/\1/p')
    brightness=$(convert "$e2e_work/seen.png" -colorspace Gray -format '%[fx:mean]' info:)
    if awk -v d="$difference" -v b="$brightness" 'BEGIN { exit !(d < 0.05 && b > 0.3) }'; then
      e2e_note "$name: report ${w}x${h} at $x,$y; the screen there differs from its own picture by $difference, brightness $brightness"
      return
    fi
  done
  e2e_fail "$name: the screen does not show the report (difference $difference, brightness $brightness; see $e2e_shots/$name.png)"
}

# The settings dialog: OK with every name for the new settings file taken.
dir=$(e2e_program_dir 1)
for n in $(seq 100); do mkdir "$dir/torva.txt.$n.tmp"; done
e2e_start "$dir" "$dir/torva.scr" /c
e2e_wait_window "Torva Video Screensaver" 20 >/dev/null
# OK has the focus when the dialog opens: a real key press on it.
sleep 0.5
e2e_press_key space
check_report_seen report-dialog
e2e_press_key Return
code=$(e2e_wait_exit "$dir" 10) || e2e_fail "the dialog did not end after its report"
[ "$code" = 58 ] || e2e_fail "exit code $code, not 58"

# The show, topmost over the whole screen.
dir=$(e2e_program_dir 0)
e2e_start "$dir"
e2e_wait_window Form1 30 >/dev/null
sleep 2
"$wine64" "$e2e_staged/torva_out_of_memory.exe" </dev/null >/dev/null 2>&1 || e2e_fail "could not run the show out of memory"
check_report_seen report-show
e2e_press_key Return
code=$(e2e_wait_exit "$dir" 10) || e2e_fail "the show did not end after its report"
[ "$code" = 7 ] || e2e_fail "exit code $code, not 7"
