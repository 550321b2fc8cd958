#!/usr/bin/env bash
# The shipped program is one small file that needs only Windows' own DLLs.
set -euo pipefail
exe="$1"
limit=$((256 * 1024))
size=$(stat -c %s "$exe")
echo "vellisk.exe: $size bytes (limit $limit)"
[ "$size" -le "$limit" ] || { echo "vellisk.exe is larger than $limit bytes" >&2; exit 1; }
allowed='^(kernel32|user32|gdi32|comctl32|ole32|oleaut32|shell32|winmm|advapi32|msvcrt|comdlg32|uxtheme|shlwapi|imm32|version|api-ms-win-crt-[a-z0-9-]+|ucrtbase)\.dll$'
bad=0
while read -r dll; do
  if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$allowed"; then
    echo "imports a DLL that is not a Windows system DLL: $dll" >&2
    bad=1
  fi
done < <(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
exit $bad
