#!/usr/bin/env bash
# Writes PNG pictures of the program's windows, filled from a sample count file, into a folder
# (default: screenshots/). No display is needed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/screenshots}
bash "$root/tools/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja > /dev/null
cmake --build "$root/build" --target ostrilo-screenshots
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} \
  "$root/build/tools/screenshots/ostrilo-screenshots" "$out" "$root/samples/ATR20050103w1.dat"
