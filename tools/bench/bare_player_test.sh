#!/usr/bin/env bash
# Checks the benchmark's reference player under Wine in the caller's Wine session: it plays the
# clip over the screen, muted unless asked, ends on a key, and says why when it cannot play.
#   bare_player_test.sh <bare_player.exe> <clip>
set -euo pipefail
player=$1 clip=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../wine-env.sh"
[ -z "${TORVA_WINE_SKIP:-}" ] || { echo "SKIP: $TORVA_WINE_SKIP" >&2; exit 77; }

work=$(mktemp -d "${TMPDIR:-/tmp}/bare-player-test.XXXXXX")
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
cp "$player" "$clip" "$work/"
windows_clip="Z:${work//\//\\}\\$(basename "$clip")"
failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }

# A missing clip: a non-zero exit and a message naming the file, not a silent end or a hang.
status=0
message=$(timeout 30 "$wine64" "$work/bare_player.exe" 'Z:\nowhere\missing.mpg' 2>&1) || status=$?
[ "$status" -ne 0 ] || fail "a missing clip ended with exit code 0"
grep -qF 'missing.mpg' <<<"$message" || fail "the message does not name the clip: $message"

# Plays: a frame on screen, then a key ends it long before the clip would.
figures=$(python3 "$here/measure.py" --label test --video-seconds 0 --end-keys 1 --exit-timeout 10 \
  --pid-file "$work/pids" -- "$wine64" "$work/bare_player.exe" "$windows_clip")
python3 - "$figures" <<'EOF' || fail "playing and ending on a key: $figures"
import json, sys
run = json.loads(sys.argv[1])
assert run.get("startup_s") is not None, "no frame"
assert run.get("exit_code") == 0, "exit code"
assert run["ran_s"] < 15, "ended by the clip, not the key"
EOF

# Sound: silent by default, the clip's 440 Hz tone with --sound.
rms_while_playing() {
  "$wine64" "$work/bare_player.exe" "$windows_clip" "$@" >/dev/null 2>&1 &
  local pid=$!
  pids+=("$pid")
  sleep 3
  timeout 3 parec -d nullsink.monitor --file-format=wav --rate=44100 --channels=1 "$work/sound.wav" || true
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  sox "$work/sound.wav" -n stat 2>&1 | sed -n 's/^RMS *amplitude: *//p'
}
muted=$(rms_while_playing)
echo "RMS muted $muted"
loud=$(rms_while_playing --sound)
echo "RMS with --sound $loud"
awk -v m="$muted" 'BEGIN { exit !(m != "" && m < 0.001) }' || fail "muted play is not silent: RMS $muted"
awk -v l="$loud" 'BEGIN { exit !(l != "" && l > 0.01) }' || fail "--sound play is silent: RMS $loud"

[ "$failures" -eq 0 ] && echo "bare player: all checks passed"
exit "$failures"
