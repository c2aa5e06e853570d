#!/usr/bin/env bash
# Compares the import table of the shipped executable with the reviewed list
# of functions it may import (every one of them exported by Windows 2000).
# A new import fails here until it has been checked and added to the list.
#
#   scripts/check-imports.sh blinkwatch.exe allowed-imports.txt
set -euo pipefail
exe=$1
allowed=$2
actual=$(i686-w64-mingw32-objdump -p "$exe" | awk '
  /DLL Name:/ { dll = toupper($3); next }
  /^[^\t]/ { dll = "" }
  dll != "" && /^\t[0-9a-f]+[ \t]+[0-9]+[ \t]+[A-Za-z_?@]/ { print dll " " $3 }
' | sort -u)
expected=$(grep -v '^#' "$allowed" | sed '/^$/d' | sort -u)
if [ -z "$actual" ]; then
  echo "check-imports: no imports read from $exe" >&2
  exit 1
fi
new=$(comm -23 <(printf '%s\n' "$actual") <(printf '%s\n' "$expected"))
if [ -n "$new" ]; then
  echo "check-imports: $exe imports functions that are not on the reviewed list:" >&2
  printf '%s\n' "$new" | sed 's/^/  /' >&2
  echo "Check that Windows 2000 exports each one (otherwise look it up at run time)," >&2
  echo "then add it to $allowed." >&2
  exit 1
fi
echo "check-imports: $(printf '%s\n' "$actual" | wc -l) imports, all on the reviewed list"
