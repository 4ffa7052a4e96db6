#!/usr/bin/env bash
# Whole-process costs of the command line and the desktop program's start-up, each beside its
# yardstick, measured in turn (A B A B ...) so that other work on a shared machine spreads over
# both: ostrilo-cli against ostrilo-minimal-parser (the least work that builds the same table),
# the main window against a bare Qt window, and against it too the first tab alone (the least a
# program can do to show what the main window shows). Prints medians of CPU time (user +
# system), real time and peak resident memory, and the ratio of the medians. The windows are
# shown on the offscreen platform (or QT_QPA_PLATFORM) and, where an X server can be had, on xcb
# as well.
#   bench/startup.sh [BUILD_DIR] [ROUNDS]      (defaults: build, 21)
# WINDOWS_ONLY=1 leaves out the command line's cases; STARTUP_BEFORE="PROGRAM..." adds each
# program (an ostrilo-startup-bench kept from an earlier build) as a further case after the bare
# window, so that a change is measured before and after in the same run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
rounds=${2:-21}
cli=$build/cli/ostrilo-cli
parser=$build/bench/ostrilo-minimal-parser
startup=$build/bench/ostrilo-startup-bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/tools/countgen/ostrilo-gencounts" --start 2005-01-03 --days 163 --stations 100 \
  -o "$work/ref.dat"
berlin=("$root"/tests/data/realdata/berlin-2023/ATR*.dat)
cat "${berlin[@]}" > "$work/year.dat"

# In pairs: each case right after its yardstick. Names and arguments hold no blanks but the tab.
qpa=${QT_QPA_PLATFORM:-offscreen}
if [[ -z ${WINDOWS_ONLY:-} ]]; then
  cat > "$work/cases" <<CASES
parser ref	$parser $work/ref.dat
stats -o ref	$cli stats -o $work/out.csv $work/ref.dat
parser ref	$parser $work/ref.dat
convert -o ref	$cli convert -o $work/out.cont $work/ref.dat
parser year	$parser $work/year.dat
convert -o year	$cli convert -o $work/out.cont $work/year.dat
parser year	$parser $work/year.dat
stats -o year	$cli stats -o $work/out.csv $work/year.dat
parser 53 files	$parser ${berlin[*]}
convert -o 53 files	$cli convert -o $work/out.cont ${berlin[*]}
CASES
fi
# The window pairs of one platform: the bare window, then the main window as built now, the
# first tab alone (what the main window shows, without the program) and the main window as each
# earlier program of STARTUP_BEFORE builds it.
windows() {
  local suffix=$1 platform=$2 before
  printf 'bare Qt window%s\tenv QT_QPA_PLATFORM=%s %s\n' "$suffix" "$platform" \
    "$build/bench/ostrilo-bare-window"
  printf 'main window%s\tenv QT_QPA_PLATFORM=%s %s\n' "$suffix" "$platform" "$startup"
  printf 'bare Qt window%s\tenv QT_QPA_PLATFORM=%s %s\n' "$suffix" "$platform" \
    "$build/bench/ostrilo-bare-window"
  printf 'first tab alone%s\tenv QT_QPA_PLATFORM=%s %s\n' "$suffix" "$platform" \
    "$build/bench/ostrilo-first-tab-floor"
  for before in ${STARTUP_BEFORE:-}; do
    printf 'bare Qt window%s\tenv QT_QPA_PLATFORM=%s %s\n' "$suffix" "$platform" \
      "$build/bench/ostrilo-bare-window"
    printf '%s%s\tenv QT_QPA_PLATFORM=%s %s\n' "$(basename "$before")" "$suffix" "$platform" \
      "$before"
  done
}
windows "" "$qpa" >> "$work/cases"
# The windows on an X server too, as a desktop shows them: the one of DISPLAY, or else a virtual
# one when xvfb-run is installed (it serves the whole run, so its own start is not timed).
runner=("$build/bench/ostrilo-pair-runner")
if [[ -z ${DISPLAY:-} ]] && command -v xvfb-run > /dev/null; then
  runner=(xvfb-run -a -s "-screen 0 1280x1024x24" "${runner[@]}")
fi
if [[ -n ${DISPLAY:-} || ${#runner[@]} -gt 1 ]]; then
  windows " (xcb)" xcb >> "$work/cases"
fi
"${runner[@]}" "$work/cases" "$rounds"
