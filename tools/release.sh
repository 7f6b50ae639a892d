#!/usr/bin/env bash
# Builds the release from the shipped 32-bit build: build/release/ then holds the installer
# torva-<version>.msi, torva-<version>-win32.zip (the three files and a README.txt, for installing by
# hand) and SHA256SUMS. The version is the CMake project's.
#   tools/release.sh [--version <x.y.z>] [--out <dir>] [--no-build] [--build <dir>]
# --version packages the same build under another version number and --no-build packages the build
# as it is; --build packages another win32 build directory (the installer test's older build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build/release
version=
build_first=yes

while [ $# -gt 0 ]; do
  case $1 in
    --version) version=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --no-build) build_first=no; shift ;;
    --build) build=$(cd "$2" && pwd); build_first=no; shift 2 ;;
    *) echo "usage: tools/release.sh [--version <x.y.z>] [--out <dir>] [--no-build] [--build <dir>]" >&2; exit 2 ;;
  esac
done

build=${build:-$root/build/win32}
if [ $build_first = yes ]; then
  (cd "$root" && cmake --preset win32 >/dev/null && cmake --build --preset win32 --target torva >/dev/null)
fi
if [ -z "$version" ]; then
  version=$(sed -n 's/^#define TORVA_VERSION_STRING "\(.*\)"$/\1/p' "$build/generated/version.h")
fi
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "release: not a version: '$version'" >&2; exit 1; }

stage=$out/stage
rm -rf "$stage"
mkdir -p "$stage/zip"
cp "$build/torva.scr" "$root/resources/torva.mpg" "$root/resources/torva.txt" "$root/resources/torva.ico" "$stage/"
# The settings file a first install with SOUND=1 puts in place.
sed '2s/.*/1\r/' "$root/resources/torva.txt" >"$stage/torva-sound-on.txt"

msi=torva-$version.msi
(cd "$stage" && wixl -D Version="$version" -o "$out/$msi" "$root/installer/torva.wxs")
[ -f "$out/$msi" ] || { echo "release: wixl made no $msi" >&2; exit 1; }
# What wixl cannot write, set in the tables; the file's version is the one the program itself carries.
file_version=$(sed -n 's/^#define TORVA_VERSION_\(MAJOR\|MINOR\|PATCH\) \(.*\)$/\2/p' "$build/generated/version.h" |
  paste -sd. -).0
grep -v -e '^--' -e '^$' "$root/installer/tables.sql" |
  sed "s/@VERSION@/$version/g; s/@FILE_VERSION@/$file_version/g" |
  while IFS= read -r statement; do msibuild "$out/$msi" -q "$statement"; done

zip=torva-$version-win32.zip
cp "$stage/torva.scr" "$stage/torva.mpg" "$stage/torva.txt" "$stage/zip/"
sed "s/@VERSION@/$version/; s/\$/\r/" "$root/installer/README.txt.in" >"$stage/zip/README.txt"
rm -f "$out/$zip"
(cd "$stage/zip" && cmake -E tar cf "$out/$zip" --format=zip torva.scr torva.mpg torva.txt README.txt)

(cd "$out" && sha256sum "$msi" "$zip" >SHA256SUMS)
rm -rf "$stage"
echo "release $version in $out:"
(cd "$out" && ls -l "$msi" "$zip" SHA256SUMS | awk '{printf "  %-28s %9d bytes\n", $NF, $5}')
