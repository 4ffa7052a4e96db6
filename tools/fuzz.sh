#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UBSan) and runs each for a
# while: tools/fuzz.sh [SECONDS_PER_TARGET]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
bash "$root/tools/setup.sh"
cmake -S "$root" -B "$root/build-fuzz" -G Ninja -DOSTRILO_FUZZ=ON \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" > /dev/null
cmake --build "$root/build-fuzz" --target TableFileFuzz CountFileFuzz
for target in TableFileFuzz CountFileFuzz; do
  corpus="$root/build-fuzz/corpus-$target"
  mkdir -p "$corpus"
  case $target in
    TableFileFuzz) seeds="$root/fuzz/seeds/cont" ;;
    CountFileFuzz) seeds="$root/samples" ;;
  esac
  "$root/build-fuzz/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=2048 \
    -max_len=65536 "$corpus" "$seeds"
done
