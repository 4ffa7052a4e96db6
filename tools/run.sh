#!/usr/bin/env bash
# Builds the program and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja > /dev/null
cmake --build "$root/build" --target ostrilo-cli
exec "$root/build/cli/ostrilo-cli" --help
