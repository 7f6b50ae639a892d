#!/usr/bin/env bash
# Builds the release from the shipped 32-bit build: build/release/ then holds the installer
# torva-<version>.msi, torva-<version>-win32.zip (the three files and a README.txt, for installing by
# hand), torva-<version>-policy.zip (the administrative templates, laid out as a PolicyDefinitions
# folder) and SHA256SUMS. The version is the CMake project's.
#   tools/release.sh [--version <x.y.z>] [--out <dir>] [--no-build] [--build <dir>]
# --version packages the same build under another version number and --no-build packages the build
# as it is; --build packages another win32 build directory (the installer test's older build).
#
# Signing (Authenticode, with osslsigncode): with TORVA_SIGN_PFX (a PKCS#12 file holding the
# code-signing certificate and its key) and TORVA_SIGN_PASSWORD (its password) set, torva.scr is
# signed before it goes into the zip and the MSI, the installer's action DLL before it goes into the
# MSI, and the MSI last of all; TORVA_SIGN_TIMESTAMP
# (a time-stamp server's URL) adds an RFC 3161 time stamp to both. Without them the release is
# unsigned, and says so.
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
  (cd "$root" && cmake --preset win32 >/dev/null &&
     cmake --build --preset win32 --target torva torva_installer_actions >/dev/null)
fi
if [ -z "$version" ]; then
  version=$(sed -n 's/^#define TORVA_VERSION_STRING "\(.*\)"$/\1/p' "$build/generated/version.h")
fi
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "release: not a version: '$version'" >&2; exit 1; }

signing=no
if [ -n "${TORVA_SIGN_PFX:-}" ]; then
  [ -f "$TORVA_SIGN_PFX" ] || { echo "release: TORVA_SIGN_PFX names no file: $TORVA_SIGN_PFX" >&2; exit 1; }
  [ -n "${TORVA_SIGN_PASSWORD+set}" ] || { echo "release: TORVA_SIGN_PFX needs TORVA_SIGN_PASSWORD" >&2; exit 1; }
  signing=yes
  # The password goes to osslsigncode in a file of ours, never on a command line that others can read.
  password_file=$(mktemp)
  trap 'rm -f "$password_file"' EXIT
  printf '%s' "$TORVA_SIGN_PASSWORD" >"$password_file"
else
  echo "release: unsigned (set TORVA_SIGN_PFX and TORVA_SIGN_PASSWORD to sign)"
fi

# Signs `file` in place.
sign() {
  local file=$1
  osslsigncode sign -pkcs12 "$TORVA_SIGN_PFX" -readpass "$password_file" -h sha256 \
    -n "Torva Video Screensaver" -i "https://www.torva.example/" \
    ${TORVA_SIGN_TIMESTAMP:+-ts "$TORVA_SIGN_TIMESTAMP"} -in "$file" -out "$file.signed" >/dev/null
  mv "$file.signed" "$file"
}

stage=$out/stage
rm -rf "$stage"
mkdir -p "$stage/zip"
cp "$build/torva.scr" "$root/resources/torva.mpg" "$root/resources/torva.txt" "$root/resources/torva.ico" \
   "$build/installer/installer_actions.dll" "$stage/"
[ $signing = no ] || { sign "$stage/torva.scr"; sign "$stage/installer_actions.dll"; }

msi=torva-$version.msi
# The version as one number that the package's conditions can compare.
IFS=. read -r major minor patch <<<"$version"
(cd "$stage" && wixl -D Version="$version" -D VersionNumber=$((major * 16777216 + minor * 65536 + patch)) \
   -o "$out/$msi" "$root/installer/torva.wxs")
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

# The package's own signature last, after every change to it.
[ $signing = no ] || sign "$out/$msi"

# The templates as they go into a PolicyDefinitions folder (a domain's central store, or Windows' own).
policy=torva-$version-policy.zip
mkdir -p "$stage/policy/PolicyDefinitions/en-US"
cp "$root/installer/policy/torva.admx" "$stage/policy/PolicyDefinitions/"
cp "$root/installer/policy/en-US/torva.adml" "$stage/policy/PolicyDefinitions/en-US/"
rm -f "$out/$policy"
(cd "$stage/policy" && cmake -E tar cf "$out/$policy" --format=zip PolicyDefinitions)

(cd "$out" && sha256sum "$msi" "$zip" "$policy" >SHA256SUMS)
rm -rf "$stage"
echo "release $version in $out$([ $signing = no ] || echo ", signed"):"
(cd "$out" && ls -l "$msi" "$zip" "$policy" SHA256SUMS | awk '{printf "  %-28s %9d bytes\n", $NF, $5}')
