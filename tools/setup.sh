#!/usr/bin/env bash
# Installs the Debian packages that building and testing need; quiet and quick when they are all there.
# Where the kernel runs 32-bit programs, also 32-bit Wine and its GStreamer plugins, so that the
# shipped i686 torva.scr runs in the tests; elsewhere its tests are skipped.
set -euo pipefail
tools=$(cd "$(dirname "$0")" && pwd)

packages=(
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64 fonts-wine
  xvfb xserver-xephyr x11-utils x11-apps x11-xserver-utils xdotool imagemagick
  pulseaudio pulseaudio-utils sox ffmpeg
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-plugins-ugly gstreamer1.0-libav
  cmake ninja-build googletest g++ clang libclang-rt-14-dev python3
  python3-pil fonts-dejavu-core icoutils wixl msitools unzip libxml2-utils
  osslsigncode openssl
)
packages_i386=(
  wine32:i386
  gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386 gstreamer1.0-plugins-bad:i386
  gstreamer1.0-plugins-ugly:i386 gstreamer1.0-libav:i386
)

runs_32bit=no
if reason=$("$tools/runs-32bit.sh" --kernel-only); then
  runs_32bit=yes
  packages+=("${packages_i386[@]}")
else
  echo "setup: $reason; the tests of the 32-bit build will be skipped" >&2
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}" >&2
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
if [ $runs_32bit = yes ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
# A mirror caught mid-sync refuses one index or another ("File has unexpected size"); the indexes
# that did arrive still serve, and what they cannot give shows in the install below.
"${sudo_cmd[@]}" apt-get update -qq >/dev/null || echo "setup: some package indexes could not be read; going on with the others" >&2
# The 32-bit libraries must match their 64-bit twins' point release, which apt may raise on the way.
install() { "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "$@" >/dev/null; }
if ! install "${missing[@]}"; then
  [ $runs_32bit = yes ] || exit 1
  # Without the 32-bit half (its index missing, or its versions behind the 64-bit ones) everything
  # else still builds and runs; the 32-bit build's tests then show as skipped, saying why.
  echo "setup: the 32-bit packages cannot be installed now; the tests of the 32-bit build will be skipped" >&2
  only64=()
  for p in "${missing[@]}"; do [[ $p == *:i386 ]] || only64+=("$p"); done
  [ ${#only64[@]} -eq 0 ] || install "${only64[@]}"
fi
