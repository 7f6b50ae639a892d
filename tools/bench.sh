#!/usr/bin/env bash
# Benchmark of the show against a bare MCI player playing the same clip, under wine64.
#
#   tools/bench.sh [runs]          runs of each program, default 3 (or BENCH_RUNS)
#
# Builds the win64 preset (TORVA_BUILD_DIR, default build/win64), starts a private X display, sound
# sink and the Wine prefix (WINEPREFIX and TORVA_RUNTIME_DIR as in tools/wine-env.sh), then starts
# the bare player (tools/bare_player.cpp) and `torva.scr /s` alternately, each from a temporary
# program directory of its own holding the sample clip (and for the show a settings file saying
# "0": muted, like the bare player), and prints one table.
#
# What each row measures, per run; the table gives the median and the range over the runs:
#   start-up to first frame   From the launch of wine64 to the first read of the screen's centre
#                             (32x32 px, XGetImage every 20 ms) that is no longer black; the clip's
#                             first frame is bright. Resolution: one read interval.
#   CPU to first frame        CPU seconds the program spent getting there.
#   video: CPU s per 20 s     user+system CPU of the program's Wine process (/proc/<pid>/stat, all
#                             threads, 10 ms ticks) over 16 s from 1 s after the first frame, scaled
#                             to 20 s of video. Wine's server and the X server are shown separately:
#                             work the program hands to them does not appear in its own figure.
#   logo phase                The show only: its CPU over 4 s inside the first logo phase (found as
#                             the screen's top-left corner turning black about 42 s after the
#                             start), also as % of one core; and how long the logo stays on
#                             screen until the video is back (5 s plus the restart of the clip).
#   peak memory               VmHWM of the program's Wine process, last seen before it ended.
#   other load                Busy cores of the machine not spent by the three processes above,
#                             during the video window: the noise of everything else running.
# "noise" is the range of a figure over the runs as a share of its median; run the script twice
# to see the noise between invocations as well. The verdict compares the ratio of the medians with
# the goal: start-up and playback CPU within 5 % of the bare player, peak memory within 10 %,
# the logo phase under 1 % of a core. "noisy" means the runs scatter more than the goal's margin
# (more runs would be needed to confirm it); "ranges overlap" means the runs cannot tell the two
# apart. Under Wine the first frame sometimes comes about 0.8 s late: with few runs a start-up
# median can land on either side of that step, so look at the range too.
#
# Exits 0 whatever the figures are (it is a report, not a test); non-zero only when the
# measurement failed: no build, no session, or a bare player that did not play.
# Raw figures (one JSON line per run) and the programs' own output go to <build dir>/bench/.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-${BENCH_RUNS:-3}}
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "usage: tools/bench.sh [runs]" >&2; exit 2; }
build_dir=${TORVA_BUILD_DIR:-build/win64}
out_dir=$build_dir/bench
mkdir -p "$out_dir"
stamp=$(date +%Y%m%d-%H%M%S)
results=$out_dir/results-$stamp.jsonl
programs_log=$out_dir/programs-$stamp.log

tools/setup.sh
echo "bench: building the win64 preset in $build_dir" >&2
cmake --preset win64 -B "$build_dir" >"$out_dir/build.log" 2>&1 &&
  cmake --build "$build_dir" --target torva bare_player >>"$out_dir/build.log" 2>&1 ||
  { cat "$out_dir/build.log" >&2; echo "bench: the build failed" >&2; exit 1; }

# Always a private display: the programs cover the screen and the screen is what is measured.
unset DISPLAY
source tools/wine-env.sh

# Wine's server for a prefix works in a directory named after the prefix's device and inode.
prefix_server_running() {
  [ -d "$WINEPREFIX" ] || return 1
  local wanted cwd pid
  wanted=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
  for pid in $(pgrep -x 'wineserver(64)?' || true); do
    cwd=$(readlink "/proc/$pid/cwd" 2>/dev/null) || continue
    [ "${cwd##*/}" = "$wanted" ] && return 0
  done
  return 1
}

# A server already running belongs to someone else's session: it is shared, not ended here.
shared_server=no
prefix_server_running && shared_server=yes

work=$(mktemp -d "${TMPDIR:-/tmp}/torva-bench.XXXXXX")
pid_file=$work/pids

cleanup() {
  local pid
  # Only the programs started here, recognised by their own directory, not just a PID.
  if [ -f "$pid_file" ]; then
    while read -r pid; do
      { tr '\0' ' ' <"/proc/$pid/cmdline"; } 2>/dev/null | grep -qF "$work" && kill -KILL "$pid" 2>/dev/null
    done <"$pid_file"
  fi
  if [ "$shared_server" = no ]; then
    wine_session_stop
  else
    for pid in "${torva_session_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

wine_session_start
if [ "$shared_server" = yes ]; then
  echo "bench: note: the Wine server of $WINEPREFIX was already running; its CPU includes other" \
       "sessions' work. Set WINEPREFIX to a prefix of your own for a clean figure." >&2
fi

mkdir -p "$work/bare" "$work/show"
cp "$build_dir/tools/bare_player.exe" "$build_dir/torva.mpg" "$work/bare/"
cp "$build_dir/torva.scr" "$build_dir/torva.mpg" "$work/show/"
printf 'Sound Config file for torva screensaver\r\n0\r\n' >"$work/show/torva.txt"
clip_windows_path="Z:${work//\//\\}\\bare\\torva.mpg"

measure() {
  timeout --kill-after=10 240 python3 tools/bench/measure.py --pid-file "$pid_file" \
    --log "$programs_log" "$@"
}
bare() { measure --label bare "$@" -- "$wine64" "$work/bare/bare_player.exe" "$clip_windows_path"; }
show() { measure --label show "$@" -- "$wine64" "$work/show/torva.scr" /s; }

# Warm-up, not counted: loads Wine's, GStreamer's and the programs' files into the page cache,
# so the first measured run does not pay for it.
echo "bench: warm-up (one short start of each)" >&2
bare --video-seconds 0 --end-keys 1 --exit-timeout 15 >/dev/null ||
  { echo "bench: the bare player could not be measured" >&2; exit 1; }
show --video-seconds 0 --end-keys 2 --exit-timeout 15 >/dev/null ||
  { echo "bench: the show could not be measured" >&2; exit 1; }

: >"$results"
for ((i = 1; i <= runs; i++)); do
  # Alternate the order, so that a drift in the machine's load weighs on both alike.
  order=(bare show)
  ((i % 2 == 0)) && order=(show bare)
  for program in "${order[@]}"; do
    echo "bench: run $i/$runs: $program" >&2
    if [ "$program" = bare ]; then
      line=$(bare --video-seconds 16 --exit-timeout 30)
    else
      line=$(show --video-seconds 16 --logo --end-keys 2 --exit-timeout 15)
    fi || { echo "bench: run $i of $program could not be measured" >&2; exit 1; }
    echo "$line" >>"$results"
  done
done

echo
status=0
python3 tools/bench/summary.py "$results" || status=$?
echo
echo "Raw figures: $results"
exit $status
