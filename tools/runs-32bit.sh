#!/usr/bin/env bash
# Exits 0 when this machine can run 32-bit programs, else prints why and exits 1. Kernels differ in
# whether their 32-bit emulation is on, so this runs something 32-bit instead of guessing: first a
# minimal i386 Linux program (exit(0) through int 0x80), then, once it is installed, 32-bit Wine.
set -u

probe=$(mktemp "${TMPDIR:-/tmp}/torva-i386.XXXXXX")
trap 'rm -f "$probe"' EXIT
# ELF header, one loadable segment, and the seven bytes xor ebx,ebx; xor eax,eax; inc eax; int 0x80.
printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5b\x00\x00\x00\x5b\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\x31\xdb\x31\xc0\x40\xcd\x80' >"$probe"
chmod +x "$probe"
if ! "$probe" 2>/dev/null; then
  echo "this machine's kernel does not run 32-bit programs (its 32-bit emulation is off)"
  exit 1
fi
[ "${1:-}" = --kernel-only ] && exit 0

if [ ! -x /usr/lib/wine/wine ]; then
  echo "32-bit Wine (wine32:i386) is not installed; tools/setup.sh installs it"
  exit 1
fi
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "32-bit Wine does not start here: $(/usr/lib/wine/wine --version 2>&1 | head -n 1)"
  exit 1
fi
exit 0
