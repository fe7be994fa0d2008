#!/usr/bin/env bash
# Every shipped executable and DLL imports only Windows' own libraries (and the
# programs vx_regex.dll, which they load by name anyway): everything else must be
# linked in statically, or the program would not start on a clean machine.
#   check_imports.sh OBJDUMP FILE...
set -u
objdump=$1; shift
allowed='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|ole32|oleaut32|advapi32|shlwapi|uxtheme|version|msvcrt|api-ms-win-crt-[a-z0-9-]+|vx_regex)\.dll$'
status=0
checked=0
for file in "$@"; do
  [ -f "$file" ] || continue
  checked=$((checked + 1))
  while read -r dll; do
    lower=$(tr 'A-Z' 'a-z' <<<"$dll")
    if ! grep -Eq "$allowed" <<<"$lower"; then
      echo "$file imports $dll, which a clean Windows does not have"
      status=1
    fi
  done < <("$objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p')
done
[ "$checked" -gt 0 ] || { echo "no files to check"; exit 1; }
echo "checked the imports of $checked files"
exit $status
