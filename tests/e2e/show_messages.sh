#!/usr/bin/env bash
# Messages that any program on the desktop can post or send to the show window change nothing: a
# message of the program's own range, the messages the show passes on to the picture, a power
# notification whose data is no address of ours, and the window's last message without its end.
# The clip plays on and two keys end the show with 0.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

deliver() {
  "$wine64" "$e2e_staged/torva_desktop_events.exe" "$@" </dev/null >/dev/null 2>&1 ||
    e2e_fail "could not deliver: $*"
}

dir=$(e2e_program_dir 0)
e2e_start "$dir"
e2e_wait_window Form1 30 >/dev/null
sleep 2
# WM_APP + 0x100, then WM_SYSCOLORCHANGE, WM_DISPLAYCHANGE and WM_ACTIVATEAPP, which the show
# hands on to the picture's window.
deliver post 0x8100 0 0
deliver post 0x15 0 0
deliver post 0x7E 32 0x03000400
deliver post 0x1C 1 0
# WM_POWERBROADCAST with PBT_POWERSETTINGCHANGE and an address that is none, posted and sent.
deliver post 0x218 0x8013 0xDEADBEEF
deliver send 0x218 0x8013 0xDEADBEEF
# WM_NCDESTROY and WM_DESTROY, with the window still there.
deliver post 0x82 0 0
deliver post 0x2 0 0
sleep 2
e2e_running "$dir" || e2e_fail "the show ended (exit $(cat "$dir/exit")) on a message from outside"
first=$(e2e_shot messages-a)
sleep 1
second=$(e2e_shot messages-b)
e2e_check_covered "$second"
change=$(e2e_difference "$first" "$second")
e2e_note "the clip after the messages: change within a second $change"
awk -v d="$change" 'BEGIN { exit !(d > 0.01) }' || e2e_fail "the clip stands still after the messages"
e2e_end_with_keys "$dir"
