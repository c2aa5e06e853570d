#!/usr/bin/env bash
# Builds every configuration and runs every test: the native tests under the
# sanitizers and the Windows tests under Wine, in one ctest run whose summary
# is the last thing printed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/check-setup.sh"
bash "$root/scripts/build.sh"

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
  WINEPREFIX="$root/build/wine/wineprefix" wineserver -k 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

cd "$root/build"
ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)" "$@"
