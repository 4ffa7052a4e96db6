#!/usr/bin/env bash
# Kills ostrilo-cli with SIGKILL at random moments while it saves over an existing output, TRIES
# times, and checks after each kill that the output is whole: the old file or the new one, never
# a mix. Counts the temporary files the kills leave behind (named .ostrilo-save-*).
#   tools/kill-save-loop.sh [TRIES] [BUILD_DIR] [linked]     (defaults: 200, build)
# "linked" gives the output a second hard link, so that it is rewritten in place.
# Needs ostrilo-cli and ostrilo-gencounts built in BUILD_DIR. Exit 1 when an output was broken.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tries=${1:-200}
build=$(cd "${2:-$root/build}" && pwd)
cli=$build/cli/ostrilo-cli
gen=$build/tools/countgen/ostrilo-gencounts
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# As large as one count file may be, so that a save lasts long enough to be hit part way.
"$gen" --start 2020-01-01 --days 160 --stations 100 --seed 1 -o old.dat
"$gen" --start 2020-01-01 --days 160 --stations 100 --seed 2 -o new.dat
"$cli" table -o old.csv old.dat
"$cli" table -o new.csv new.dat
mkdir out

start=$(date +%s%N)
cp old.csv out/t.csv
"$cli" table -o out/t.csv new.dat
micros=$((($(date +%s%N) - start) / 1000))
echo "one save: ${micros} us; output $(stat -c %s new.csv) bytes"

old=0 new=0 broken=0
for ((i = 0; i < tries; i++)); do
  cp old.csv out/t.csv
  [[ ${3:-} == linked ]] && ln -f out/t.csv out/link.csv
  "$cli" table -o out/t.csv new.dat &
  pid=$!
  sleep "$(awk -v max="$micros" -v r="$RANDOM" 'BEGIN { printf "%.6f", max * r / 32768 / 1e6 }')"
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  if cmp -s out/t.csv old.csv; then
    old=$((old + 1))
  elif cmp -s out/t.csv new.csv; then
    new=$((new + 1))
  else
    broken=$((broken + 1))
  fi
done
left=$(find out -name '.ostrilo-save-*' | wc -l)
bytes=$(find out -name '.ostrilo-save-*' -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }')
echo "tries: $tries; old file: $old; new file: $new; broken: $broken;" \
  "temporaries left: $left ($bytes bytes)"
[[ $broken -eq 0 ]]
