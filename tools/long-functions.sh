#!/usr/bin/env bash
# Lists the production functions longer than a limit and the production files longer than
# another (defaults 60 and 500 lines), longest first; exits 1 when it lists any.
#   tools/long-functions.sh [--functions N] [--files N] [DIR...]   (default: core gui cli)
# Functions are found by Universal Ctags' C++ parser (which skips strings, comments and
# preprocessor branches, so braces in them do not count), from the line of the signature (a
# `template <...>` or an attribute line just above it included) to the closing brace; lambdas
# count as part of the function that holds them.
set -euo pipefail
cd "$(dirname "$0")/.."
maxFunction=60
maxFile=500
dirs=()
while [ $# -gt 0 ]; do
  case "$1" in
    --functions) maxFunction=$2; shift 2 ;;
    --files) maxFile=$2; shift 2 ;;
    -h | --help) sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) dirs+=("$1"); shift ;;
  esac
done
[ ${#dirs[@]} -gt 0 ] || dirs=(core gui cli)
command -v ctags >/dev/null || { echo "long-functions: needs universal-ctags" >&2; exit 2; }

mapfile -t files < <(find "${dirs[@]}" -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
[ ${#files[@]} -gt 0 ] || exit 0

functions=$(ctags -f - --languages=C++ --language-force=C++ --kinds-C++=f --fields=+ne \
  --extras=-F -x --_xformat='%F	%n	%e	%{scope}	%N' "${files[@]}" |
  awk -F'\t' -v max="$maxFunction" '
    $5 ~ /^__anon/ || $3 == "" { next }
    {
      file = $1; start = $2 + 0; end = $3 + 0
      if (!(file in loaded)) {
        loaded[file] = 1; n = 0
        while ((getline text < file) > 0) line[file, ++n] = text
        close(file)
      }
      # A signature broken before the name starts on the line(s) above it.
      while (start > 1 && line[file, start - 1] ~ /^[ \t]*(template[ \t]*<|\[\[)/) start--
      length_ = end - start + 1
      if (length_ > max) {
        name = ($4 == "" ? "" : $4 "::") $5
        gsub(/__anon[0-9a-f]+::/, "(anonymous)::", name)
        printf "%d\t%s:%d\t%s\n", length_, file, start, name
      }
    }' | sort -t$'\t' -k1,1nr -k2,2)

longFiles=$(wc -l "${files[@]}" | awk -v max="$maxFile" '$2 != "total" && $1 > max' | sort -nr)

status=0
if [ -n "$functions" ]; then
  echo "functions over $maxFunction lines:"
  sed 's/^/  /' <<<"$functions"
  status=1
fi
if [ -n "$longFiles" ]; then
  echo "files over $maxFile lines:"
  awk '{ printf "  %d\t%s\n", $1, $2 }' <<<"$longFiles"
  status=1
fi
exit $status
