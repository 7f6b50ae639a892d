#!/usr/bin/env bash
# The pictures, icon and cursor in resources/ hold exactly what tools/make_artwork.py draws now: a
# change to the drawing committed without its files, a file edited by hand, or a script whose output
# differs from run to run all fail here. Pixels and sizes are compared, image by image, not bytes:
# another release of the encoding tools may pack the same pixels differently.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

"$root/tools/make_artwork.py" "$out" >/dev/null
status=0
for drawn in "$out"/*; do
  name=$(basename "$drawn")
  [ "$(identify -format '%w %h %z %#\n' "$drawn")" = "$(identify -format '%w %h %z %#\n' "$root/resources/$name")" ] ||
    { echo "resources/$name is not what tools/make_artwork.py draws; run it and commit the result"; status=1; }
done
exit $status
