#!/usr/bin/env bash
# The organisation's sound setting, written as the administrative templates write it (their own key,
# value name and values, read from the templates) into the machine's and the user's registry: it
# rules over torva.txt in the show, seen as the sound stream at the server, with the machine's value
# first and no file needed; a value of another type is no setting. In the settings dialog keys cannot
# change the options, OK ends with 0 and the file is as it was.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

pactl info >/dev/null 2>&1 || e2e_skip "no sound server in $XDG_RUNTIME_DIR"

admx=$torva_root/installer/policy/torva.admx
adml=$torva_root/installer/policy/en-US/torva.adml
xpath() { xmllint --xpath "$2" "$1" 2>/dev/null || true; }
key=$(xpath "$admx" 'string(//*[local-name()="policy"]/@key)')
name=$(xpath "$admx" 'string(//*[local-name()="enum"]/@valueName)')
# The number the templates write for the list's item shown as `text`.
item_value() {
  local id
  id=$(xpath "$adml" "string(//*[local-name()=\"string\"][.=\"$1\"]/@id)")
  xpath "$admx" "string(//*[local-name()=\"item\"][@displayName=\"\$(string.$id)\"]//*[local-name()=\"decimal\"]/@value)"
}
on=$(item_value "Sound on")
off=$(item_value "Sound off")
[ -n "$key" ] && [ -n "$name" ] && [ -n "$on" ] && [ -n "$off" ] ||
  e2e_fail "the templates give key '$key', value '$name', on '$on', off '$off'"

wine() { "$wine64" "$@" </dev/null >/dev/null 2>&1; }
# Through the 64-bit reg, as the policy tools write: the 32-bit build must read the same value.
set_policy() { wine reg add "$1\\$key" /v "$name" /t "${3:-REG_DWORD}" /d "$2" /f || e2e_fail "cannot set $1\\$key"; }
clear_policy() { wine reg delete "HKLM\\$key" /f || true; wine reg delete "HKCU\\$key" /f || true; }
trap 'clear_policy; e2e_session_home; e2e_cleanup' EXIT
clear_policy

# The number of sound streams at the server while a show runs from a directory whose torva.txt says
# `sound` ("none": there is no torva.txt).
streams_of_show() {
  local sound=$1 dir
  dir=$(e2e_program_dir "${sound/none/0}")
  [ "$sound" != none ] || rm "$dir/torva.txt"
  e2e_start "$dir"
  e2e_wait_window Form1 30 >/dev/null
  sleep 2
  pactl list short sink-inputs | wc -l
  e2e_end_with_keys "$dir"
}
show_case() {
  local expected=$1 sound=$2 streams
  streams=$(streams_of_show "$sound")
  e2e_note "$3, torva.txt ${sound/none/missing}: $streams sound stream(s)"
  if [ "$expected" = on ]; then [ "$streams" -ge 1 ]; else [ "$streams" = 0 ]; fi || e2e_fail "$3: not sound $expected"
}

set_policy HKLM "$off"
set_policy HKCU "$on"
show_case off 1 "machine's policy off, user's on"
clear_policy
set_policy HKCU "$on"
show_case on 0 "user's policy on"
clear_policy
set_policy HKLM "$on"
show_case on none "machine's policy on"
clear_policy
set_policy HKLM "$off" REG_SZ
show_case on 1 "machine's value off as REG_SZ"

# The dialog: the policy's option shown and greyed, keys that would choose the other one change
# neither option on the screen, and OK writes nothing, not even the user's own file.
clear_policy
set_policy HKLM "$on"
dir=$(e2e_program_dir 0)
e2e_start "$dir" "$dir/torva.scr" /c
e2e_wait_window "Torva Video Screensaver" 30 >/dev/null
sleep 1
# Where the client area lies: the window is the dialog's 376 x 425 pixels (at 96 DPI) in an even
# frame, its caption on top.
read -r w h x y <<<"$(e2e_windows "Torva Video Screensaver")"
border=$(((w - 376) / 2))
client_x=$((x + border)) client_y=$((y + h - 425 - border))
options="110x50+$((client_x + 36))+$((client_y + 312))"
before=$(e2e_shot settings-policy)
for press in Tab Up; do e2e_press_key $press; sleep 0.3; done
after=$(e2e_shot settings-policy-keys)
convert "$before" -crop "$options" +repage "$e2e_work/options-before.png"
convert "$after" -crop "$options" +repage "$e2e_work/options-after.png"
changed=$({ compare -metric AE "$e2e_work/options-before.png" "$e2e_work/options-after.png" null: 2>&1 || true; } | sed 's/ .*//')
[ "$changed" = 0 ] || e2e_fail "keys changed $changed pixels of the options ($options): they can be chosen ($before, $after)"
# OK by the mouse: Wine takes the focus off OK at a Tab when no other control can have it.
xdotool mousemove $((client_x + 36 + 148)) $((client_y + 376 + 12)) click 1
code=$(e2e_wait_exit "$dir" 10) || e2e_fail "OK did not end the dialog"
[ "$code" = 0 ] || e2e_fail "the dialog ended with exit code $code"
[ "$(cat "$dir/torva.txt")" = "$(printf 'Sound Config file for torva screensaver\r\n0\r\n')" ] || e2e_fail "OK changed torva.txt"
own_file="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Torva"
[ ! -e "$own_file" ] || e2e_fail "OK made the user's own settings file"
e2e_note "dialog under the machine's policy ($before): keys changed no option, OK wrote nothing, exit 0"
