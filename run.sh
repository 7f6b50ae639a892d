#!/usr/bin/env bash
# Sets up what is missing, builds, and starts the show on the sample clip: on your display if you
# have one (end it with a key or the mouse), otherwise on a private one for a few seconds, saving a
# screenshot.
set -euo pipefail
cd "$(dirname "$0")"

tools/setup.sh
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" >/dev/null
done
echo "Built build/win32/torva.scr (the shipped 32-bit program) and build/win64/torva.scr."
# The shipped program where this machine runs 32-bit programs, else its 64-bit twin.
if reason=$(tools/runs-32bit.sh); then
  saver=build/win32/torva.scr
else
  saver=build/win64/torva.scr
  echo "Showing the 64-bit build: $reason."
fi

had_display=${DISPLAY:-}
source tools/wine-env.sh
trap wine_session_stop EXIT
if [ -n "$had_display" ] && xdpyinfo >/dev/null 2>&1; then
  wine_session_start
  echo "Starting the show on $DISPLAY: press a key twice or move the mouse to end it."
  "$wine64" "$saver" /s
  exit
fi

unset DISPLAY
wine_session_start
seconds=${TORVA_RUN_SECONDS:-8}
echo "No display: showing $saver on a private one ($DISPLAY) for $seconds s."
mkdir -p build/run
"$wine64" "$saver" /s 2>build/run/wine.log &
show=$!
sleep "$seconds"
xwd -root -silent | convert xwd:- build/run/show.png
echo "Screenshot: $PWD/build/run/show.png"
# End it as a user would: the second key press ends the show.
xdotool key space; sleep 0.3; xdotool key space
status=0
for _ in $(seq 50); do kill -0 "$show" 2>/dev/null || break; sleep 0.1; done
wait "$show" || status=$?
echo "The show ended on two key presses with exit code $status."
exit "$status"
