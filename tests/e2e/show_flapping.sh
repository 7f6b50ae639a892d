#!/usr/bin/env bash
# A display that keeps going off and on (a loose cable, a KVM switch, a monitor that drops its
# signal) costs the show nothing that lasts: after 100 off/on pairs its threads, handles and memory
# are where they were, and it still plays, ends on two keys with 0, muted and with sound.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

pairs=${TORVA_FLAP_PAIRS:-100}
handles_exe="$e2e_staged/tools/process_handles.exe"

# "threads memory-KiB handles" of the running saver.
usage() {
  local pid=$1 handles
  handles=$("$wine64" "$handles_exe" torva.scr </dev/null 2>/dev/null | tr -d '\r' | awk 'NR == 1 { print $2 }')
  awk -v h="${handles:-0}" '/^Threads:/ { t = $2 } /^VmRSS:/ { m = $2 } END { print t, m, h }' "/proc/$pid/status"
}

for sound in 0 1; do
  dir=$(e2e_program_dir "$sound")
  e2e_start "$dir"
  t0=$(e2e_wait_window Form1 30)
  saver=$(e2e_saver_process "$dir")
  # One pair first, so that what the first rest and resume make once is counted in the baseline.
  "$wine64" "$e2e_staged/torva_desktop_events.exe" flap 1 </dev/null >/dev/null 2>&1 || e2e_fail "could not tell the show"
  e2e_sleep_until "$t0" 5
  read -r threads0 memory0 handles0 <<<"$(usage "$saver")"
  [ "$handles0" -gt 0 ] || e2e_fail "no count of the saver's handles from $handles_exe"
  "$wine64" "$e2e_staged/torva_desktop_events.exe" flap "$pairs" </dev/null >/dev/null 2>&1 ||
    e2e_fail "could not tell the show"
  sleep 3
  read -r threads1 memory1 handles1 <<<"$(usage "$saver")"
  e2e_note "setting $sound, $pairs off/on pairs: threads $threads0 -> $threads1, memory $((memory0 / 1024)) -> $((memory1 / 1024)) MiB, handles $handles0 -> $handles1"
  [ "$threads1" -le $((threads0 + 3)) ] || e2e_fail "setting $sound: threads grew from $threads0 to $threads1"
  [ "$memory1" -le $((memory0 + 20 * 1024)) ] || e2e_fail "setting $sound: memory grew by $(((memory1 - memory0) / 1024)) MiB"
  [ "$handles1" -le $((handles0 + 10)) ] || e2e_fail "setting $sound: handles grew from $handles0 to $handles1"
  first=$(e2e_shot "flapping-$sound-a")
  sleep 1
  second=$(e2e_shot "flapping-$sound-b")
  e2e_check_covered "$second"
  change=$(e2e_difference "$first" "$second")
  awk -v d="$change" 'BEGIN { exit !(d > 0.01) }' || e2e_fail "setting $sound: the clip stands still after the flapping"
  e2e_end_with_keys "$dir"
done
