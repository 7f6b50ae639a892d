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

echo "== test native"; ctest --preset native
echo "== test fuzz"; ctest --preset fuzz
echo "== test win32 (the shipped binary, checked statically)"; ctest --preset win32

# The Windows-side tests get a private display and sound sink, never the user's own: they take
# screenshots and send keys and mouse moves.
unset DISPLAY
source tools/wine-env.sh
trap wine_session_stop EXIT
wine_session_start
echo "== test win64 (under wine64 on $DISPLAY)"
ctest --preset win64
