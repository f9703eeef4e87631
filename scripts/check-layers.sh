#!/usr/bin/env bash
# Every target exports the project root as its include path, so the compiler lets any
# folder include any other; this check keeps the layers in order instead. It reads each
# `#include "folder/..."` of the program's sources and fails, naming the file and line,
# when one points up or sideways. Tests, benchmarks and fuzz targets may use anything.
set -euo pipefail
cd "$(dirname "$0")/.."

# The folders each folder may include from, lowest layer first.
declare -A ALLOWED=(
  [platform]="platform"
  [tags]="tags platform"
  [app]="app platform tags"
  [media]="media app platform tags"
  [toolkit]="toolkit app platform tags"
  [editor]="editor media toolkit app platform tags"
  [library]="library editor media toolkit app platform tags"
  [recorder]="recorder library editor media toolkit app platform tags"
  [main]="main recorder library editor media toolkit app platform tags"
  [tools]="tools"
)
# Folders that may use the program but that the program must never use.
UNCHECKED="tests bench fuzz"
# Top-level folders that are ours: an include starting with anything else (a Qt or
# system header found through the include path) is not this check's business.
OURS="${!ALLOWED[*]} $UNCHECKED resources cmake scripts"

is_in() { # word list...
  local word=$1
  shift
  for item in "$@"; do [ "$item" = "$word" ] && return 0; done
  return 1
}

failures=0
while IFS= read -r -d '' file; do
  folder=${file%%/*}
  [ "$folder" = "$file" ] && continue # a file at the top, none of ours
  is_in "$folder" $UNCHECKED && continue
  if [ -z "${ALLOWED[$folder]+set}" ]; then
    echo "$file: the folder $folder/ has no place in scripts/check-layers.sh; add it to the layers there"
    failures=$((failures + 1))
    continue
  fi
  while IFS=: read -r line target; do
    used=${target%%/*}
    is_in "$used" $OURS || continue
    if ! is_in "$used" ${ALLOWED[$folder]}; then
      echo "$file:$line: $folder/ may not include \"$target\"; it may use ${ALLOWED[$folder]// //, }/ only"
      failures=$((failures + 1))
    fi
  done < <(awk 'match($0, /^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+\/[^"]*"/) {
      target = substr($0, RSTART, RLENGTH); sub(/^[^"]*"/, "", target); sub(/"$/, "", target)
      print FNR ":" target }' "$file")
done < <(git ls-files -z --cached --others --exclude-standard -- '*.c' '*.cc' '*.cpp' '*.h' '*.hpp')

if [ "$failures" -gt 0 ]; then
  echo "check-layers: $failures include(s) against the layers" >&2
  exit 1
fi
echo "check-layers: every include follows the layers"
