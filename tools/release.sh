#!/usr/bin/env bash
# Builds the release from the shipped 32-bit build: build/release/ then holds the installer
# torva-<version>.msi, torva-<version>-win32.zip (the three files and a README.txt, for installing by
# hand) and SHA256SUMS. The version is the CMake project's.
#   tools/release.sh [--version <x.y.z>] [--out <dir>] [--no-build]
# --version packages the same build under another version number and --no-build packages the build
# as it is; the installer test uses both to make an older package to upgrade from.
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
    *) echo "usage: tools/release.sh [--version <x.y.z>] [--out <dir>] [--no-build]" >&2; exit 2 ;;
  esac
done

build=$root/build/win32
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

msi=torva-$version.msi
(cd "$stage" && wixl -D Version="$version" -o "$out/$msi" "$root/installer/torva.wxs" 2>&1) |
  grep -v "has no property named 'NeverOverwrite'" | grep . >&2 || true
[ -f "$out/$msi" ] || { echo "release: wixl made no $msi" >&2; exit 1; }
# wixl drops the component attribute that keeps a file already present (only a warning, above); set
# it in the package itself, or an upgrade would put "sound off" back over the user's choice.
msibuild "$out/$msi" -q "UPDATE \`Component\` SET \`Attributes\` = 128 WHERE \`Component\` = 'Settings'"

zip=torva-$version-win32.zip
cp "$stage/torva.scr" "$stage/torva.mpg" "$stage/torva.txt" "$stage/zip/"
sed "s/@VERSION@/$version/; s/\$/\r/" "$root/installer/README.txt.in" >"$stage/zip/README.txt"
rm -f "$out/$zip"
(cd "$stage/zip" && cmake -E tar cf "$out/$zip" --format=zip torva.scr torva.mpg torva.txt README.txt)

(cd "$out" && sha256sum "$msi" "$zip" >SHA256SUMS)
rm -rf "$stage"
echo "release $version in $out:"
(cd "$out" && ls -l "$msi" "$zip" SHA256SUMS | awk '{printf "  %-28s %9d bytes\n", $NF, $5}')
