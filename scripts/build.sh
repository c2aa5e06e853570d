#!/usr/bin/env bash
# Configures and builds every configuration of Blinkwatch under build/:
#   build/native  the portable code and its tests, host compiler, sanitizers
#   build/win32   the shipped program: 32-bit, mingw-w64 "win32" compilers (loads on Windows 2000)
# and, where this machine runs 32-bit programs:
#   build/wine32  the Windows tests, 32-bit, mingw-w64 "posix" compilers, run under 32-bit Wine
# or, where it does not (or BLINKWATCH_WINE64=1):
#   build/win64   the program as a 64-bit build, mingw-w64 "win32" compilers
#   build/wine64  the Windows tests, 64-bit, "posix" compilers, run under 64-bit Wine
# and writes build/CTestTestfile.cmake so that one ctest run covers them all.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
jobs=$(nproc 2>/dev/null || echo 2)
source "$root/scripts/wine-arch.sh"

configure() {   # dir, extra cmake arguments...
  local dir=$1; shift
  if [ ! -f "$build/$dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build/$dir" "$@" >/dev/null
  fi
  cmake --build "$build/$dir" -j "$jobs" -- --no-print-directory -s
}

windows() {   # dir, i686|x86_64, win32|posix, extra cmake arguments...
  local dir=$1 arch=$2 threads=$3; shift 3
  configure "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw.cmake" \
    -DBLINKWATCH_MINGW_ARCH="$arch" -DBLINKWATCH_MINGW_THREADS="$threads" "$@"
}

configure native -DCMAKE_BUILD_TYPE=Debug
windows win32 i686 win32 -DCMAKE_BUILD_TYPE=MinSizeRel -DBLINKWATCH_TESTS=OFF
if [ "$wine_arch" = win32 ]; then
  tests=wine32
  windows wine32 i686 posix -DCMAKE_BUILD_TYPE=Debug
else
  tests=wine64
  windows win64 x86_64 win32 -DCMAKE_BUILD_TYPE=MinSizeRel -DBLINKWATCH_TESTS=OFF
  windows wine64 x86_64 posix -DCMAKE_BUILD_TYPE=Debug
fi

cat > "$build/CTestTestfile.cmake" <<CTEST
# Every configuration's tests in one run: the Windows tests as $wine_arch builds.
subdirs("native" "$tests")
CTEST
echo "build: native, win32 and $tests are up to date in $build (Windows tests as $wine_arch builds: $wine_reason)"
