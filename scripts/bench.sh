#!/usr/bin/env bash
# Builds the benchmarks optimised and without sanitizers, and runs them.
# Arguments go to the benchmark (e.g. --benchmark_repetitions=5).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench"
bash "$root/scripts/check-setup.sh"
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DBLINKWATCH_SANITIZE=OFF -DBLINKWATCH_TESTS=OFF >/dev/null
cmake --build "$build" --target tick_bench -j "$(nproc 2>/dev/null || echo 2)" -- --no-print-directory -s
"$build/bench/tick_bench" "$@"
