#!/bin/sh
# Flash-area patch benchmark: PatchFlashAreaTable on images of 1.5, 3 and
# 16 MiB, beside the position-by-position search, on the simulated
# notebook's host files.
#
# usage: tests/bench/run-patch-bench.sh [BUILD_DIR]
# BUILD_DIR (default build/bench) is configured as a Release build without
# sanitizers.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/bench}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORV_SANITIZE=OFF >/dev/null
cmake --build "$build" --target bench_patch >/dev/null
"$build/tests/bench/bench_patch" "$build/bench-patch-scratch"
rm -rf "$build/bench-patch-scratch"
