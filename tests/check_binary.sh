#!/usr/bin/env bash
# Checks a built torva.scr: the expected PE format, a GUI program, no import but Windows' known DLLs,
# and (when given) no more than `max_bytes`: the shipped program is a download.
set -euo pipefail
binary=$1 format=$2 max_bytes=${3:-}
triple=$([ "$format" = pei-i386 ] && echo i686-w64-mingw32 || echo x86_64-w64-mingw32)

"$triple-objdump" -f "$binary" | grep -q "file format $format" || { echo "not $format: $binary"; exit 1; }
headers=$("$triple-objdump" -p "$binary")
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || { echo "not a Windows GUI program"; exit 1; }

# Windows resolves an import before the program's first line runs, and looks in the program's own
# folder first for any DLL not on its KnownDLLs list: a DLL of that name left in Downloads would run
# inside the saver. So only DLLs on that list (and the API sets, which never come from a folder).
# Not even comctl32, which the manifest takes from the system's side-by-side store: its own imports
# are looked for beside us too (under Wine it imports uxtheme, and a planted copy of that ran). What
# else the program needs, it loads itself, from System32 only, once it has said so.
allowed='^(KERNEL32|USER32|GDI32|msvcrt|OLE32|OLEAUT32|SHELL32|ADVAPI32|api-ms-win-.*)\.dll$'
shopt -s nocasematch
status=0
while read -r dll; do
  if [[ ! $dll =~ $allowed ]]; then echo "imports $dll, not one of Windows' known DLLs"; status=1; fi
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$headers")
size=$(stat -c %s "$binary")
if [ -n "$max_bytes" ] && [ "$size" -gt "$max_bytes" ]; then
  echo "$binary is $size bytes, more than $max_bytes"; status=1
fi
exit $status
