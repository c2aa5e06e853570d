#!/usr/bin/env bash
# Builds Blinkwatch and starts it under Wine. On a desktop it runs on your
# display (its icons go to your notification area). Without a display it runs
# on a virtual one for a few seconds and saves screenshots of what it showed.
# Where this machine cannot run 32-bit programs, the 64-bit build runs instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/check-setup.sh"
bash "$root/scripts/build.sh"
source "$root/scripts/wine-arch.sh"
exe="$root/build/$wine_arch/src/blinkwatch.exe"
if [ "$wine_arch" = win64 ]; then
  echo "start: running the 64-bit build, since $wine_reason."
fi

if [ -z "${DISPLAY:-}" ]; then
  echo "start: no display here; running Blinkwatch on a virtual display instead."
  bash "$root/scripts/screenshots.sh" "$root/build/screenshots"
  exit 0
fi

# The program keeps its settings (Blinkwatch.ini) beside the executable.
export WINEPREFIX="$root/build/run/$wine_arch/wineprefix" WINEARCH="$wine_arch" \
       WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="mscoree,mshtml="
loader=$(wine_loader "$wine_arch")
[ "$wine_arch" = win32 ] || export WINELOADER="$loader"
mkdir -p "$(dirname "$WINEPREFIX")"
echo "start: running $exe under Wine (quit from its dialog, or right-double-click a tray icon)"
cd "$(dirname "$exe")"
exec "$loader" "$exe" "$@"
