#!/usr/bin/env bash
# A click on a logo hands the shell the web address with its scheme, and nothing is taken for a
# file: a program named like the product's host ("www.torva.example", no extension), left in the
# current folder and in the program's folder, never runs, and the browser is handed the address.
# From the settings dialog's logo and from the show's logo phase. Wine's browser launcher is
# pointed at a script that writes down what it is handed.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

address=https://www.torva.example/
planted=$e2e_staged/planted/torva_planted_program.exe
[ -f "$planted" ] || e2e_fail "no $planted"

handed=$e2e_work/handed.txt
recorder=$e2e_work/browser.sh
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s"\n' "$handed" >"$recorder"
chmod +x "$recorder"

browsers='HKCU\Software\Wine\WineBrowser'
old_browsers=$("$wine64" reg query "$browsers" /v Browsers 2>/dev/null | tr -d '\r' |
               sed -n 's/^ *Browsers *REG_SZ *//p') || true
restore_browsers() {
  if [ -n "$old_browsers" ]; then
    "$wine64" reg add "$browsers" /v Browsers /t REG_SZ /d "$old_browsers" /f >/dev/null 2>&1 || true
  else
    "$wine64" reg delete "$browsers" /v Browsers /f >/dev/null 2>&1 || true
  fi
}
trap 'restore_browsers; e2e_session_home; e2e_cleanup' EXIT
"$wine64" reg add "$browsers" /v Browsers /t REG_SZ /d "$recorder" /f >/dev/null 2>&1 ||
  e2e_fail "cannot point the browser launcher at the recorder"

# The folder the saver is started from, as the system starts it from wherever it likes.
here=$(mktemp -d "$e2e_work/current.XXXXXX")
cp "$planted" "$here/www.torva.example"

# Starts the saver from `dir` with `switch`, the current folder being $here.
start_from_here() {
  cp "$planted" "$1/www.torva.example"
  pushd "$here" >/dev/null
  e2e_start "$1" "$1/torva.scr" "$2"
  popd >/dev/null
}

# The markers of planted programs that ran.
planted_ran() { ls "$1"/*.ran "$here"/*.ran 2>/dev/null || true; }

# After a click: the browser was handed exactly the address, and neither planted program ran.
check_handed() {
  local label=$1 dir=$2 waited=0
  until [ -s "$handed" ] || [ -n "$(planted_ran "$dir")" ] || [ $waited -ge 100 ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
  sleep 1
  local ran
  ran=$(planted_ran "$dir")
  [ -z "$ran" ] || e2e_fail "$label: a program named like the host ran: $ran"
  [ -s "$handed" ] || e2e_fail "$label: no browser was handed anything"
  [ "$(cat "$handed")" = "$address" ] || e2e_fail "$label: the browser was handed '$(cat "$handed")'"
  e2e_note "$label: the browser was handed $address; neither program named like the host ran"
  rm -f "$handed"
}

# The settings dialog's logo, at its place in the dialog (96 DPI).
dir=$(e2e_program_dir 0)
start_from_here "$dir" /c
e2e_wait_window "Torva Video Screensaver" 20 >/dev/null
read -r w h x y <<<"$(e2e_windows "Torva Video Screensaver")"
border=$(((w - 376) / 2))
top=$((h - 425 - border))
xdotool mousemove $((x + border + 36 + 149)) $((y + top + 28 + 113)) click 1
check_handed "dialog" "$dir"
e2e_running "$dir" || e2e_fail "a click on the dialog's logo ended it"
xdotool key --clearmodifiers alt+F4
code=$(e2e_wait_exit "$dir" 10) || e2e_fail "the dialog did not close"

# The show's logo, in its logo phase; the pointer stays where the logo appears.
xdotool mousemove $((e2e_screen_w / 2)) $((e2e_screen_h / 2))
dir=$(e2e_program_dir 0)
start_from_here "$dir" /s
t0=$(e2e_wait_window Form1 30)
e2e_sleep_until "$t0" 44
e2e_check_logo "$(e2e_shot web-address-logo)"
xdotool click 1
code=$(e2e_wait_exit "$dir" 10) || e2e_fail "a click on the logo did not end the show"
[ "$code" = 0 ] || e2e_fail "the show ended with exit code $code"
check_handed "show" "$dir"
