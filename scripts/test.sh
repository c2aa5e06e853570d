#!/usr/bin/env bash
# Builds every configuration and runs every test: the native tests under the
# sanitizers and the Windows tests under Wine, in one ctest run whose summary
# is the last thing printed. The Windows tests run as 32-bit builds under
# 32-bit Wine where the machine runs 32-bit programs, and as 64-bit builds
# under 64-bit Wine where it does not or BLINKWATCH_WINE64=1 is set.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/check-setup.sh"
bash "$root/scripts/build.sh"
source "$root/scripts/wine-arch.sh"
tests=wine32
[ "$wine_arch" = win32 ] || tests=wine64
echo "test: the Windows tests run as $wine_arch builds under $wine_arch Wine ($wine_reason)"

# One virtual X server for the whole run when there is no display, so that
# the Wine tests can share one running prefix.
xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
  exec 8< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
  read -r -u 8 number
  xvfb_pid=$!
  export DISPLAY=":$number"
fi
cleanup() {
  WINEPREFIX="$root/build/$tests/wineprefix" wineserver -k 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

cd "$root/build"
ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)" "$@"
