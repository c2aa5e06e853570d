#!/usr/bin/env bash
# Installs everything Blinkwatch needs to build and test on Debian 12:
# the mingw-w64 cross compilers, Wine (32-bit), a virtual X server, CMake and
# GoogleTest, Wine's own fonts (the screenshots' title bar buttons), and for
# the release Debian's Python with its Markdown module (the user guide); with
# --bench, also what the Wine benchmark uses: gkrellm (what it is compared
# with) and xdotool (answers a message box). Safe to run again: packages
# already present are left alone.
set -euo pipefail

packages=(
  cmake make g++ googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 fonts-wine xvfb xauth x11-utils imagemagick python3 python3-markdown
)
[ "${1:-}" != --bench ] || packages+=(gkrellm xdotool)

if [ "$(id -u)" -ne 0 ]; then
  echo "This script installs system packages and must run as root. Run:"
  echo "  sudo bash scripts/setup.sh"
  exit 1
fi

missing() {
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || return 0
  done
  return 1
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi

if [ -n "${need_update:-}" ] || missing; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${packages[@]}"
fi
echo "setup: all build and test packages are installed"
