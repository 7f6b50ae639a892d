#!/usr/bin/env bash
# The show ends on the second key press, on the third move of the mouse and on the third click,
# and not one event earlier.
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
