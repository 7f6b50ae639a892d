#!/usr/bin/env bash
# A second "/S" while a show runs ends at once without a window, and leaves the first running.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

first=$(e2e_program_dir 0)
e2e_start "$first"
e2e_wait_window Form1 30 >/dev/null

second=$(e2e_program_dir 0)
e2e_start "$second"
code=$(e2e_wait_exit "$second" 10) || e2e_fail "the second show is still running"
[ "$code" = 0 ] || e2e_fail "the second show ended with exit code $code"
windows=$(e2e_windows Form1 | wc -l)
[ "$windows" = 1 ] || e2e_fail "$windows show windows"
e2e_running "$first" || e2e_fail "the first show ended"
e2e_note "the second show ended at once with exit code 0; the first runs on"

e2e_press_key space
e2e_press_key space
e2e_wait_exit "$first" 10 >/dev/null || e2e_fail "the first show did not end on two keys"
