#!/usr/bin/env bash
# Builds the program and starts it on the desktop.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja > /dev/null
cmake --build "$root/build" --target ostrilo
exec "$root/build/app/ostrilo" "$@"
