#!/usr/bin/env bash
# Runs a Windows program under Wine with a private prefix, quietly and without
# Mono/Gecko prompts. Used by ctest as the cross-compiling emulator.
#
#   scripts/wine-run.sh win32|win64 PREFIX PROGRAM.exe [ARGS...]
#
# win32 runs 32-bit programs with Wine's 32-bit loader, win64 runs 64-bit
# programs with the 64-bit loader; each in a prefix of that architecture.
# The prefix is made on first use (about 15 s) and set up for unattended runs:
# no window manager waits on the virtual display, no crash dialog. Without a
# DISPLAY a virtual X server is started for this one run, and the prefix is
# used exclusively by it.
set -euo pipefail

if [ $# -lt 3 ] || { [ "$1" != win32 ] && [ "$1" != win64 ]; }; then
  echo "usage: $0 win32|win64 PREFIX PROGRAM [ARGS...]" >&2
  exit 2
fi
source "$(dirname "$0")/wine-arch.sh"
arch=$1; shift
prefix=$(realpath -m "$1"); shift
loader=$(wine_loader "$arch")

export WINEPREFIX="$prefix"
export WINEARCH="$arch"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
[ "$arch" = win32 ] || export WINELOADER="$loader"

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"

own_display=""
if [ -z "${DISPLAY:-}" ]; then
  flock 9   # this run owns the prefix and its X server
  exec 8< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
  read -r -u 8 number
  own_display=$!
  export DISPLAY=":$number"
else
  flock -s 9
fi

cleanup() {
  if [ -n "$own_display" ]; then
    wineserver -k 2>/dev/null || true
    kill "$own_display" 2>/dev/null || true
  fi
}
trap cleanup EXIT

if [ ! -f "$prefix/.blinkwatch-ready" ]; then
  # Make the prefix under an exclusive lock; other runs wait for it.
  flock -u 9; flock 9
  if [ ! -f "$prefix/.blinkwatch-ready" ]; then
    "$loader" wineboot -i >/dev/null 2>&1
    "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    "$loader" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    touch "$prefix/.blinkwatch-ready"
  fi
  [ -n "$own_display" ] || { flock -u 9; flock -s 9; }
fi

set +e
"$loader" "$@"
status=$?
set -e
exit $status
