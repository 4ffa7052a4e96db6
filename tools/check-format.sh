#!/usr/bin/env bash
# Fails when clang-format would change any of the project's C++ files.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' | sort -u)
[ ${#files[@]} -eq 0 ] && exit 0
existing=()
for f in "${files[@]}"; do [ -f "$f" ] && existing+=("$f"); done
if ! clang-format --dry-run --Werror "${existing[@]}"; then
  echo "check-format: run 'clang-format -i' on the files above" >&2
  exit 1
fi
