#!/usr/bin/env bash
# The show on screens of other sizes and shapes than the session's, and at 144 DPI: the window and
# the video over the whole screen each time; at 144 DPI also the logo centred at its own size in
# pixels, and the settings dialog laid out at the scale of the DPI.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# Starts a show on the session's screen and checks it at 3 s in the screenshot `name`; the show's
# program directory is left in `dir` and its start in `t0`.
start_and_check() {
  local name=$1 show
  xdotool mousemove $((e2e_screen_w / 2)) $((e2e_screen_h / 2))
  dir=$(e2e_program_dir 0)
  e2e_start "$dir"
  t0=$(e2e_wait_window Form1 30)
  show=$(e2e_windows Form1)
  e2e_note "$name: show window $show"
  [ "$show" = "$e2e_screen_w $e2e_screen_h 0 0" ] || e2e_fail "the show window does not cover exactly the screen"
  e2e_sleep_until "$t0" 3
  e2e_check_covered "$(e2e_shot "$name")"
}

for size in 800x600 1920x1080 768x1024; do
  e2e_x_server Xvfb -screen 0 "${size}x24"
  e2e_session_on "$e2e_x_display"
  start_and_check "size-$size"
  e2e_end_with_keys "$dir"
done

e2e_x_server Xvfb -screen 0 1024x768x24
e2e_session_on "$e2e_x_display" 'HKCU\Control Panel\Desktop|LogPixels|REG_DWORD|144'
start_and_check "dpi144-video"
e2e_sleep_until "$t0" 44
e2e_check_logo "$(e2e_shot dpi144-logo)"
e2e_end_with_keys "$dir"

# The dialog's own layout test, at this DPI, and a picture of the dialog for people to look at.
"$wine64" "$e2e_staged/torva_windows_tests.exe" --gtest_filter='ConfigDialog.OpensCentredAtItsSizeWithTheFocusOnOk' \
  </dev/null >"$e2e_work/dialog.txt" 2>&1 || { cat "$e2e_work/dialog.txt"; e2e_fail "the dialog's layout at 144 DPI"; }
e2e_note "the settings dialog's layout test passes at 144 DPI"
dir=$(e2e_program_dir 0)
e2e_start "$dir" "$dir/torva.scr" /c
e2e_wait_window "Torva Video Screensaver" 30 >/dev/null
sleep 1
e2e_note "the dialog at 144 DPI: $(e2e_shot dpi144-dialog)"
e2e_press_key alt+F4
e2e_wait_exit "$dir" 10 >/dev/null || e2e_fail "the dialog did not close"
