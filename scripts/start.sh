#!/usr/bin/env bash
# Builds Blinkwatch and starts it under Wine. On a desktop it runs on your
# display (its icons go to your notification area). Without a display it runs
# on a virtual one for a few seconds and saves screenshots of what it showed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/check-setup.sh"
bash "$root/scripts/build.sh"
exe="$root/build/win32/src/blinkwatch.exe"

if [ -z "${DISPLAY:-}" ]; then
  echo "start: no display here; running Blinkwatch on a virtual display instead."
  bash "$root/scripts/screenshots.sh" "$root/build/screenshots"
  exit 0
fi

# The program keeps its settings (Blinkwatch.ini) beside the executable.
export WINEPREFIX="$root/build/run/wineprefix" WINEARCH=win32 WINEDEBUG="${WINEDEBUG:--all}" \
       WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$(dirname "$WINEPREFIX")"
echo "start: running $exe under Wine (quit from its dialog, or right-double-click a tray icon)"
cd "$(dirname "$exe")"
exec wine "$exe" "$@"
