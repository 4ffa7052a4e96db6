#!/usr/bin/env bash
# Builds everything (benchmarks included, not run) and runs the whole test suite.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup.sh"
bash "$root/tools/check-format.sh"
cmake -S "$root" -B "$root/build" -G Ninja > /dev/null
cmake --build "$root/build"
ctest --test-dir "$root/build" --output-on-failure -j "$(nproc)"
