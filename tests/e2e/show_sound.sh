#!/usr/bin/env bash
# The clip's tone is heard with the setting "1"; with "0" nothing is heard and the show has no
# stream and no connection at the sound server at all, as recorded from the sink and asked of the
# server.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

pactl info >/dev/null 2>&1 || e2e_skip "no sound server in $XDG_RUNTIME_DIR"
pactl list short sinks | grep -q nullsink || e2e_skip "no sink named nullsink"

# Prints "rms frequency streams clients" of three seconds of the show's sound; the streams and the
# clients other than pactl itself are counted at the server just before.
record() {
  local sound=$1 dir
  dir=$(e2e_program_dir "$sound")
  e2e_start "$dir"
  e2e_wait_window Form1 30 >/dev/null
  sleep 2
  local streams clients
  streams=$(pactl list short sink-inputs | wc -l)
  clients=$(pactl list short clients | grep -vc 'pactl$' || true)
  timeout 3 parec -d nullsink.monitor --file-format=wav --rate=44100 --channels=1 "$dir/sound.wav" || true
  local stats peak
  stats=$(sox "$dir/sound.wav" -n stat 2>&1)
  # The strongest line of the spectrum: unlike a count of zero crossings, a dropout in the
  # recording does not move it.
  peak=$(sox "$dir/sound.wav" -n stat -freq 2>&1 |
         awk 'NF == 2 && $1 + 0 > 0 && $2 + 0 > best { best = $2 + 0; f = $1 } END { printf "%.0f", f }')
  e2e_press_key space
  e2e_press_key space
  e2e_wait_exit "$dir" 10 >/dev/null || e2e_fail "the show did not end on two keys"
  echo "$(sed -n 's/^RMS *amplitude: *//p' <<<"$stats") $peak $streams $clients"
}

read -r rms frequency streams clients <<<"$(record 1)"
e2e_note "setting 1: RMS amplitude $rms, strongest frequency $frequency Hz; $streams stream(s) from $clients client(s)"
awk -v r="$rms" 'BEGIN { exit !(r > 0.02) }' || e2e_fail "no sound with the setting 1"
e2e_near "$frequency" 440 30 || e2e_fail "not the clip's 440 Hz tone"
[ "$streams" -ge 1 ] || e2e_fail "no stream at the sound server with the setting 1"

read -r rms frequency streams clients <<<"$(record 0)"
e2e_note "setting 0: RMS amplitude $rms; $streams stream(s) from $clients client(s)"
awk -v r="$rms" 'BEGIN { exit !(r < 0.001) }' || e2e_fail "sound with the setting 0"
[ "$streams" = 0 ] && [ "$clients" = 0 ] ||
  e2e_fail "the muted show has $streams stream(s) from $clients client(s) at the sound server"
