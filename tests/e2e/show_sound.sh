#!/usr/bin/env bash
# The clip's tone is heard with the setting "1" and nothing with "0", as recorded from the sound sink.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

pactl info >/dev/null 2>&1 || e2e_skip "no sound server in $XDG_RUNTIME_DIR"
pactl list short sinks | grep -q nullsink || e2e_skip "no sink named nullsink"

# Prints "rms frequency" of three seconds of the show's sound.
record() {
  local sound=$1 dir
  dir=$(e2e_program_dir "$sound")
  e2e_start "$dir"
  e2e_wait_window Form1 30 >/dev/null
  sleep 2
  timeout 3 parec -d nullsink.monitor --file-format=wav --rate=44100 --channels=1 "$dir/sound.wav" || true
  local stats
  stats=$(sox "$dir/sound.wav" -n stat 2>&1)
  e2e_press_key space
  e2e_press_key space
  e2e_wait_exit "$dir" 10 >/dev/null || e2e_fail "the show did not end on two keys"
  echo "$(sed -n 's/^RMS *amplitude: *//p' <<<"$stats") $(sed -n 's/^Rough *frequency: *//p' <<<"$stats")"
}

read -r rms frequency <<<"$(record 1)"
e2e_note "setting 1: RMS amplitude $rms, rough frequency $frequency Hz"
awk -v r="$rms" 'BEGIN { exit !(r > 0.02) }' || e2e_fail "no sound with the setting 1"
e2e_near "$frequency" 440 30 || e2e_fail "not the clip's 440 Hz tone"

read -r rms frequency <<<"$(record 0)"
e2e_note "setting 0: RMS amplitude $rms"
awk -v r="$rms" 'BEGIN { exit !(r < 0.001) }' || e2e_fail "sound with the setting 0"
