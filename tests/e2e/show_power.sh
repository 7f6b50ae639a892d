#!/usr/bin/env bash
# The show rests while the display is off: its CPU all but nothing, no stream at the sound server
# with sound on, and the clip back over the whole screen once the display is on again; after a sleep
# it rests on until a person's wake brings the clip back. Wine sends no power notifications, so
# torva_desktop_events delivers them as the system does.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

pactl info >/dev/null 2>&1 || e2e_skip "no sound server in $XDG_RUNTIME_DIR"

power() {
  "$wine64" "$e2e_staged/torva_desktop_events.exe" power "$1" </dev/null >/dev/null 2>&1 ||
    e2e_fail "could not tell the show: $1"
}

# Checks that the clip moves over the whole screen, from two screenshots a second apart.
check_playing() {
  local first second change
  first=$(e2e_shot "$1-a")
  sleep 1
  second=$(e2e_shot "$1-b")
  change=$(e2e_difference "$first" "$second")
  e2e_check_covered "$second"
  e2e_note "$1: change within a second $change"
  awk -v d="$change" 'BEGIN { exit !(d > 0.01) }' || e2e_fail "$1: the clip stands still"
}

for sound in 0 1; do
  dir=$(e2e_program_dir "$sound")
  e2e_start "$dir"
  t0=$(e2e_wait_window Form1 30)
  saver=$(e2e_saver_process "$dir")
  e2e_sleep_until "$t0" 3
  on_share=$(e2e_cpu_share "$saver" 5)
  on_streams=$(pactl list short sink-inputs | wc -l)
  power display-off
  sleep 1
  off_share=$(e2e_cpu_share "$saver" 5)
  off_streams=$(pactl list short sink-inputs | wc -l)
  e2e_note "setting $sound: display on $(e2e_percent "$on_share") % of a core, $on_streams stream(s); off $(e2e_percent "$off_share") %, $off_streams stream(s)"
  [ "$off_share" -lt 50 ] || e2e_fail "setting $sound: the show keeps $(e2e_percent "$off_share") % of a core busy with the display off"
  [ "$off_streams" = 0 ] || e2e_fail "setting $sound: $off_streams stream(s) at the sound server with the display off"
  power display-dimmed
  sleep 2
  check_playing "power-$sound-back"
  if [ "$sound" = 1 ]; then
    streams=$(pactl list short sink-inputs | wc -l)
    [ "$streams" -ge 1 ] || e2e_fail "no stream at the sound server once the display is back"
  fi
  e2e_running "$dir" || e2e_fail "the show ended"
  e2e_end_with_keys "$dir"
done

# Asleep, then woken by a wake timer with nobody there: the show rests on, at no CPU and with no
# stream, until a person's wake brings the clip back at once.
dir=$(e2e_program_dir 1)
e2e_start "$dir"
t0=$(e2e_wait_window Form1 30)
saver=$(e2e_saver_process "$dir")
e2e_sleep_until "$t0" 3
power suspend
power resume-unattended
sleep 1
woken_share=$(e2e_cpu_share "$saver" 5)
woken_streams=$(pactl list short sink-inputs | wc -l)
e2e_note "woken with nobody there: $(e2e_percent "$woken_share") % of a core, $woken_streams stream(s)"
[ "$woken_share" -lt 50 ] || e2e_fail "an unattended wake keeps $(e2e_percent "$woken_share") % of a core busy"
[ "$woken_streams" = 0 ] || e2e_fail "an unattended wake opened $woken_streams stream(s) at the sound server"
power resume
sleep 2
check_playing power-resumed
e2e_end_with_keys "$dir"
