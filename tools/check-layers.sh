#!/usr/bin/env bash
# Fails when an include points upward: the core and the command line (cli/) may include nothing
# from Qt or gui/, and a GUI subsystem only the core, gui/toolkit/ and itself (gui/main/ wires
# the windows together).
set -euo pipefail
cd "$(dirname "$0")/.."
bad=0
report() { echo "check-layers: $1" >&2; bad=1; }

while IFS= read -r hit; do report "core includes Qt or the GUI: $hit"; done < <(
  grep -rnE '#include +(<Q|<qcustomplot|"gui/)' core || true)
# The command line starts without a windowing toolkit; its report runs ostrilo-report.
while IFS= read -r hit; do report "cli includes Qt or the GUI: $hit"; done < <(
  grep -rnE '#include +(<Q|<qcustomplot|"gui/)' cli || true)

for dir in gui/*/; do
  sub=$(basename "$dir")
  [ "$sub" = main ] && continue
  while IFS= read -r hit; do
    target=$(sed -E 's/.*#include +"gui\/([^/]+)\/.*/\1/' <<<"$hit")
    [ "$target" = "$sub" ] || [ "$target" = toolkit ] || report "gui/$sub reaches into gui/$target: $hit"
  done < <(grep -rnE '#include +"gui/' "$dir" || true)
done

# A clone alone must build and pass its tests: nothing tracked may read a file beside the
# repository (Markdown may still name where the data came from).
while IFS= read -r hit; do report "refers outside the repository: $hit"; done < <(
  git ls-files -z -- ':!*.md' |
    xargs -0 grep -nIE '\.\./shared|shared/real[d]ata|PROJECT_SOURCE_DIR\}/\.\.' -- 2>/dev/null || true)
exit $bad
