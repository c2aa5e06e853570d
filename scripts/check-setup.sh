#!/usr/bin/env bash
# Makes sure the build and test tools are installed: as root it runs the set-up
# script (quick when everything is there); otherwise it says what to run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "$(id -u)" -eq 0 ]; then
  bash "$root/scripts/setup.sh"
  exit 0
fi
for tool in cmake g++ i686-w64-mingw32-g++-win32 i686-w64-mingw32-g++-posix \
            x86_64-w64-mingw32-g++-win32 x86_64-w64-mingw32-g++-posix wine Xvfb \
            /usr/share/wine/fonts/marlett.ttf; do
  if ! command -v "$tool" >/dev/null 2>&1 && [ ! -f "$tool" ]; then
    echo "The build tools are not installed yet ($tool is missing). Run once:"
    echo "  sudo bash $root/scripts/setup.sh"
    exit 1
  fi
done
