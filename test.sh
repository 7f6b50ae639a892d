#!/usr/bin/env bash
# Sets up what is missing, builds every preset and runs every test; exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"

tools/setup.sh
for preset in native fuzz win32 win64; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

echo "== release"; tools/release.sh
echo "== signed release"; tests/release_signing.sh

echo "== test native"; ctest --preset native
echo "== test fuzz"; ctest --preset fuzz

# The Windows-side tests get a private display and sound sink, never the user's own: they take
# screenshots and send keys and mouse moves.
unset DISPLAY
source tools/wine-env.sh
trap wine_session_stop EXIT
wine_session_start
if reason=$(tools/runs-32bit.sh); then
  echo "== test win32: the shipped i686 build/win32/torva.scr, under 32-bit Wine on $DISPLAY"
else
  echo "== test win32: the shipped i686 build/win32/torva.scr, checked statically; the rest is skipped: $reason"
fi
ctest --preset win32
echo "== test win64: build/win64/torva.scr, under wine64 on $DISPLAY"
ctest --preset win64
