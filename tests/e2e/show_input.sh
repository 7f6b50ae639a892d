#!/usr/bin/env bash
# The show ends on the second key press (Alt and F10 among them), on the first repeat of a key held
# down, on the third move of the mouse and on the third click, and not one event earlier; in a logo
# phase on the third move over the black margin, where X buttons count for nothing and a
# double-click counts once.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

cx=$((e2e_screen_w / 2)) cy=$((e2e_screen_h / 2))

# Runs a show, sends `before` (a function) and checks that it still runs, then sends `last` and
# checks that it ends, with exit code 0.
expect_end_on() {
  local what=$1 before=$2 last=$3
  xdotool mousemove "$cx" "$cy"
  local dir
  dir=$(e2e_program_dir 0)
  e2e_start "$dir"
  e2e_wait_window Form1 30 >/dev/null
  # Let the video come up, as a user would only act on a running show.
  sleep 2
  "$before"
  sleep 1.5
  e2e_running "$dir" || e2e_fail "$what: ended one event too early"
  "$last"
  local code
  code=$(e2e_wait_exit "$dir" 10) || e2e_fail "$what: still running after the last event"
  [ "$code" = 0 ] || e2e_fail "$what: exit code $code"
  e2e_note "$what: runs on after one short of the count and ends on the next"
}

one_key() { e2e_press_key space; }
second_key() { e2e_press_key Return; }
expect_end_on "keys" one_key second_key

two_moves() { xdotool mousemove 100 100; sleep 0.3; xdotool mousemove 300 200; }
third_move() { xdotool mousemove 500 300; }
expect_end_on "mouse moves" two_moves third_move

two_clicks() { xdotool click 1; sleep 0.3; xdotool click 1; }
third_click() { xdotool click 1; }
expect_end_on "clicks" two_clicks third_click

alt() { e2e_press_key alt; }
f10() { e2e_press_key F10; }
expect_end_on "Alt and F10" alt f10

# A key held down repeats; its first repeat is the second key press.
xdotool mousemove "$cx" "$cy"
dir=$(e2e_program_dir 0)
e2e_start "$dir"
e2e_wait_window Form1 30 >/dev/null
sleep 2
xdotool keydown space
code=$(e2e_wait_exit "$dir" 5) || code=running
xdotool keyup space
[ "$code" = 0 ] || e2e_fail "a key held down: $code"
e2e_note "a key held down ends the show before it is let go"

# The logo phase comes 42 s after the start; its black margin feeds the window's own counters.
xdotool mousemove "$cx" "$cy"
dir=$(e2e_program_dir 0)
e2e_start "$dir"
t0=$(e2e_wait_window Form1 30)
e2e_sleep_until "$t0" 43.5
read -r w h x y <<<"$(e2e_bbox "$(e2e_shot input-logo)")"
[ "$w" -lt $((e2e_screen_w / 2)) ] || e2e_fail "no logo phase 43.5 s after the start: picture ${w}x${h}"
xdotool mousemove 40 40; sleep 0.1
for button in 8 9 8; do xdotool click "$button"; sleep 0.1; done
e2e_running "$dir" || e2e_fail "X buttons on the margin ended the show"
xdotool click --repeat 2 --delay 100 1; sleep 0.1
xdotool click 3; sleep 0.1
e2e_running "$dir" || e2e_fail "a double-click and a click on the margin ended the show"
xdotool mousemove 60 50; sleep 0.3
e2e_running "$dir" || e2e_fail "two moves on the margin ended the show"
xdotool mousemove 80 60
code=$(e2e_wait_exit "$dir" 10) || e2e_fail "the third move on the margin did not end the show"
[ "$code" = 0 ] || e2e_fail "margin: exit code $code"
e2e_note "logo phase: X buttons count nothing, a double-click once, the third move on the margin ends the show"
