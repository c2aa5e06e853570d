#!/usr/bin/env bash
# Runs a Windows program under Wine with a private prefix, quietly and without
# Mono/Gecko prompts. Used by ctest as the cross-compiling emulator.
#
#   scripts/wine-run.sh PREFIX PROGRAM.exe [ARGS...]
#
# The prefix is made on first use (about 15 s) and set up for unattended runs:
# no window manager waits on the virtual display, no crash dialog. Without a
# DISPLAY a virtual X server is started for this one run, and the prefix is
# used exclusively by it.
set -euo pipefail

if [ $# -lt 2 ]; then
  echo "usage: $0 PREFIX PROGRAM [ARGS...]" >&2
  exit 2
fi
prefix=$(realpath -m "$1"); shift

export WINEPREFIX="$prefix"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="

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
    wineboot -i >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    touch "$prefix/.blinkwatch-ready"
  fi
  [ -n "$own_display" ] || { flock -u 9; flock -s 9; }
fi

set +e
wine "$@"
status=$?
set -e
exit $status
