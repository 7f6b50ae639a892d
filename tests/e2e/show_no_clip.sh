#!/usr/bin/env bash
# Without its clip the show still runs, says what is missing, and ends on input as ever.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

dir=$(e2e_program_dir 1 no-clip)
e2e_start "$dir"
t0=$(e2e_wait_window Form1 30)
e2e_sleep_until "$t0" 3
read -r w h x y <<<"$(e2e_bbox "$(e2e_shot show-no-clip)")"
e2e_note "message: ${w}x${h} at $x,$y"
[ "$w" -gt 20 ] && [ "$h" -gt 4 ] && [ "$h" -lt 100 ] || e2e_fail "no one-line message on the screen"
e2e_running "$dir" || e2e_fail "the show ended without its clip"
e2e_press_key space
e2e_press_key space
code=$(e2e_wait_exit "$dir" 10) || e2e_fail "the show did not end on two keys"
[ "$code" = 0 ] || e2e_fail "exit code $code"
