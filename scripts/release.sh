#!/usr/bin/env bash
# Builds the release a Windows user downloads, dist/blinkwatch-VERSION.zip, from
# the committed files of this checkout (its HEAD, whatever is uncommitted):
#   blinkwatch.exe        the 32-bit program, for Windows 2000 to 11
#   Blinkwatch.html       the user guide, its pictures in Blinkwatch-images/
#   LICENSE, SHA256SUMS   the licence, and the SHA-256 of every other file
# and dist/SHA256SUMS with the zip's own SHA-256, to publish beside it. The same
# commit gives the same bytes from any clone path, at any time: no time stamps
# or build paths in the program (its build time is the commit's), zip entries in
# a fixed order with the commit's time and fixed permissions.
#
#   scripts/release.sh            build the zip; print its path, size and SHA-256
#   scripts/release.sh --verify   build it twice, in two fresh folders, and compare
set -euo pipefail
shopt -s inherit_errexit   # a failure inside $(...) ends the script too
root=$(cd "$(dirname "$0")/.." && pwd)
case "${1:-}" in
  "" | --verify) ;;
  *) echo "usage: $0 [--verify]" >&2; exit 2 ;;
esac
bash "$root/scripts/check-setup.sh"
if ! /usr/bin/python3 -c 'import markdown' 2>/dev/null; then
  echo "release: Debian's Python with its Markdown module is missing. Run once:"
  echo "  sudo bash $root/scripts/setup.sh"
  exit 1
fi
jobs=$(nproc 2>/dev/null || echo 2)
work=$(mktemp -d "${TMPDIR:-/tmp}/blinkwatch-release.XXXXXX")
trap 'rm -rf "$work"' EXIT

build() {   # folder: builds the release zip there from HEAD; prints the zip's path
  local dir=$1 src=$1/source epoch version
  mkdir -p "$src"
  git -C "$root" archive HEAD | tar -x -C "$src"
  epoch=$(git -C "$root" log -1 --format=%ct HEAD)
  SOURCE_DATE_EPOCH=$epoch cmake -S "$src" -B "$dir/build" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw.cmake" \
    -DBLINKWATCH_MINGW_ARCH=i686 -DBLINKWATCH_MINGW_THREADS=win32 -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DBLINKWATCH_TESTS=OFF >/dev/null
  SOURCE_DATE_EPOCH=$epoch cmake --build "$dir/build" --target blinkwatch -j "$jobs" -- --no-print-directory -s >&2
  local exe="$dir/build/src/blinkwatch.exe"
  # The limits of what ships: Windows 2000's imports only, at most 256 KiB.
  bash "$src/scripts/check-imports.sh" "$exe" "$src/tests/e2e/allowed-imports.txt" >&2
  if [ "$(stat -c %s "$exe")" -gt 262144 ]; then
    echo "release: blinkwatch.exe is $(stat -c %s "$exe") bytes, more than 256 KiB" >&2
    exit 1
  fi
  version=$(sed -n 's/^#define BLINKWATCH_VERSION "\(.*\)"$/\1/p' "$dir/build/src/resources/version.h")
  local zip="$dir/blinkwatch-$version.zip"
  /usr/bin/python3 "$src/scripts/release.py" "$src" "$exe" "$version" "$epoch" "$zip"
  if [ "$(stat -c %s "$zip")" -gt 1048576 ]; then
    echo "release: $(basename "$zip") is $(stat -c %s "$zip") bytes, more than 1 MB" >&2
    exit 1
  fi
  echo "$zip"
}

zip=$(build "$work/a")
if [ "${1:-}" = --verify ]; then
  # A second clone path of another length, so that no path can hide in the bytes.
  again=$(build "$work/second-build-folder")
  if ! cmp "$zip" "$again"; then
    echo "release: two builds of the same commit differ" >&2
    exit 1
  fi
  echo "release: two builds in two folders are byte for byte the same"
fi
mkdir -p "$root/dist"
name=$(basename "$zip")
cp "$zip" "$root/dist/$name"
(cd "$root/dist" && sha256sum "$name" > SHA256SUMS)
echo "release: dist/$name, $(stat -c %s "$zip") bytes, SHA-256 $(sha256sum "$zip" | cut -d' ' -f1)"
