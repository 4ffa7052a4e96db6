#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UBSan) and runs them side by
# side for as long as one likes: tools/fuzz.sh [SECONDS_PER_TARGET]
# The corpora grow in build-fuzz/fuzz/corpus; a crash input is written beside them and belongs,
# once fixed, in the target's folder under fuzz/seeds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
bash "$root/tools/setup.sh"
cmake -S "$root" -B "$root/build-fuzz" -G Ninja -DOSTRILO_FUZZ=ON -DOSTRILO_FUZZ_SECONDS="$seconds" \
  -DOSTRILO_BENCH=OFF -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" > /dev/null
cmake --build "$root/build-fuzz" --target BuildTableFuzz LoadTableFuzz TableSequenceFuzz RegisterFuzz \
  TmgReaderFuzz
ctest --test-dir "$root/build-fuzz" -L fuzz -j 5 --output-on-failure
