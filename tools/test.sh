#!/usr/bin/env bash
# Builds everything (benchmarks included, not run) and runs the whole test suite twice: once as
# built for use, once built with clang under AddressSanitizer and UBSan, where each fuzz target
# also fuzzes for OSTRILO_FUZZ_SECONDS (30 unless set) from its seeds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
# A compiler cache, where one is installed, makes a second run cost only what changed.
launcher=()
command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
bash "$root/tools/setup.sh"
bash "$root/tools/check-format.sh"
bash "$root/tools/check-layers.sh"

cmake -S "$root" -B "$root/build" -G Ninja "${launcher[@]}" > /dev/null
cmake --build "$root/build"
ctest --test-dir "$root/build" --output-on-failure -j "$jobs"

cmake -S "$root" -B "$root/build-san" -G Ninja -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" \
  -DOSTRILO_FUZZ=ON -DOSTRILO_FUZZ_SECONDS="${OSTRILO_FUZZ_SECONDS:-30}" -DOSTRILO_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
  > /dev/null
cmake --build "$root/build-san"
UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir "$root/build-san" --output-on-failure -j "$jobs"
