#!/usr/bin/env bash
# Checks a built torva.scr: the expected PE format, a GUI program, no DLL beyond Windows' own, and
# (when given) no more than `max_bytes`: the shipped program is a download.
set -euo pipefail
binary=$1 format=$2 max_bytes=${3:-}
triple=$([ "$format" = pei-i386 ] && echo i686-w64-mingw32 || echo x86_64-w64-mingw32)

"$triple-objdump" -f "$binary" | grep -q "file format $format" || { echo "not $format: $binary"; exit 1; }
headers=$("$triple-objdump" -p "$binary")
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || { echo "not a Windows GUI program"; exit 1; }

# Not quartz: the media engine is loaded when the show needs it, so that a system without it still
# runs the show, which then says so.
allowed='^(KERNEL32|USER32|GDI32|SHELL32|WINMM|ADVAPI32|COMCTL32|UXTHEME|OLE32|OLEAUT32|msvcrt|api-ms-win-.*)\.dll$'
shopt -s nocasematch
status=0
while read -r dll; do
  if [[ ! $dll =~ $allowed ]]; then echo "imports a DLL that Windows does not ship: $dll"; status=1; fi
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$headers")
size=$(stat -c %s "$binary")
if [ -n "$max_bytes" ] && [ "$size" -gt "$max_bytes" ]; then
  echo "$binary is $size bytes, more than $max_bytes"; status=1
fi
exit $status
