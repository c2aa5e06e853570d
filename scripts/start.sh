#!/usr/bin/env bash
# Builds Blinkwatch and starts it under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/check-setup.sh"
bash "$root/scripts/build.sh"
exe="$root/build/win32/src/blinkwatch.exe"
if [ ! -f "$exe" ]; then
  echo "start: the build is complete, but blinkwatch.exe itself is not part of it yet:"
  echo "       this version has the unit model and discovery only. Run scripts/test.sh to test them."
  exit 0
fi
exec "$root/scripts/wine-run.sh" "$root/build/win32/wineprefix" "$exe" "$@"
