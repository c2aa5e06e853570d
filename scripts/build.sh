#!/usr/bin/env bash
# Configures and builds every configuration of Blinkwatch under build/:
#   build/native  the portable code and its tests, host compiler, sanitizers
#   build/win32   the shipped program, mingw-w64 "win32" compilers (loads on Windows 2000)
#   build/wine    the Windows tests, mingw-w64 "posix" compilers, run under Wine
# and writes build/CTestTestfile.cmake so that one ctest run covers them all.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
jobs=$(nproc 2>/dev/null || echo 2)

configure() {   # dir, extra cmake arguments...
  local dir=$1; shift
  if [ ! -f "$build/$dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build/$dir" "$@" >/dev/null
  fi
  cmake --build "$build/$dir" -j "$jobs" -- --no-print-directory -s
}

configure native -DCMAKE_BUILD_TYPE=Debug
configure win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DBLINKWATCH_MINGW_THREADS=win32 -DCMAKE_BUILD_TYPE=MinSizeRel -DBLINKWATCH_TESTS=OFF
configure wine -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DBLINKWATCH_MINGW_THREADS=posix -DCMAKE_BUILD_TYPE=Debug

cat > "$build/CTestTestfile.cmake" <<'CTEST'
# Every configuration's tests in one run.
subdirs("native" "wine")
CTEST
echo "build: native, win32 and wine configurations are up to date in $build"
