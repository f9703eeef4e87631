#!/usr/bin/env bash
# Every target exports the project root as its include path, so the compiler lets any
# folder include any other; this check keeps the layers in order instead. It finds the
# file each `#include` of the program's sources names, as the compiler would: a quoted
# name relative to the including file's folder first, then to the project root; a name
# in angle brackets relative to the project root; `./` and `../` taken as they come. It
# fails, naming the file and line, on each include that reaches a file of a folder above
# or beside the including one. Names found nowhere in the tree (Qt, system and library
# headers) are not this check's business. Tests, benchmarks and fuzz targets may use
# anything.
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

layers=
for folder in "${!ALLOWED[@]}"; do
  layers+="$folder=${ALLOWED[$folder]};"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Every file of the tree (what an include may reach), and the sources to check.
git ls-files -z --cached --others --exclude-standard | tr '\0' '\n' >"$work/tree"
git ls-files -z --cached --others --exclude-standard -- '*.c' '*.cc' '*.cpp' '*.h' '*.hpp' >"$work/sources"

# One line per file or include against the layers.
# shellcheck disable=SC2016 # the program is awk's, not the shell's
xargs -0 -r awk -v layers="$layers" -v unchecked="$UNCHECKED" '
  function normalised(path,    parts, count, i, kept, out) {
    count = split(path, parts, "/")
    kept = 0
    for (i = 1; i <= count; i++) {
      if (parts[i] == "" || parts[i] == ".")
        continue
      if (parts[i] == "..") {
        if (kept == 0)
          return "" # above the project root: none of ours
        kept--
      } else {
        stack[++kept] = parts[i]
      }
    }
    out = ""
    for (i = 1; i <= kept; i++)
      out = out (i > 1 ? "/" : "") stack[i]
    return out
  }
  function top(path) {
    return index(path, "/") ? substr(path, 1, index(path, "/") - 1) : ""
  }
  BEGIN {
    count = split(layers, entries, ";")
    for (i = 1; i <= count; i++) {
      if (entries[i] == "")
        continue
      split(entries[i], pair, "=")
      uses[pair[1]] = pair[2]
      words = split(pair[2], used, " ")
      for (j = 1; j <= words; j++)
        allowed[pair[1] SUBSEP used[j]] = 1
    }
    words = split(unchecked, used, " ")
    for (j = 1; j <= words; j++)
      free[used[j]] = 1
  }
  FNR == NR { intree[$0] = 1; next }
  FNR == 1 {
    folder = top(FILENAME)
    directory = FILENAME
    sub(/\/[^\/]*$/, "", directory)
    skip = folder == "" || (folder in free)
    if (!skip && !(folder in uses)) {
      print FILENAME ": the folder " folder "/ has no place in scripts/check-layers.sh; add it to the layers there"
      skip = 1
    }
  }
  skip { next }
  match($0, /^[ \t]*#[ \t]*include[ \t]*("[^"]+"|<[^>]+>)/) {
    spelled = substr($0, RSTART, RLENGTH)
    sub(/^[^"<]*/, "", spelled)
    name = substr(spelled, 2, length(spelled) - 2)
    found = ""
    if (substr(spelled, 1, 1) == "\"") {
      candidate = normalised(directory "/" name)
      if (candidate in intree)
        found = candidate
    }
    if (found == "") {
      candidate = normalised(name)
      if (candidate in intree)
        found = candidate
    }
    if (found == "" || top(found) == "" || ((folder SUBSEP top(found)) in allowed))
      next
    list = uses[folder]
    gsub(/ /, "/, ", list)
    print FILENAME ":" FNR ": " folder "/ may not include " found " (#include " spelled "); it may use " list "/ only"
  }
' "$work/tree" <"$work/sources" >"$work/failures"

failures=$(wc -l <"$work/failures")
cat "$work/failures"
if [ "$failures" -gt 0 ]; then
  echo "check-layers: $failures include(s) or folder(s) against the layers" >&2
  exit 1
fi
echo "check-layers: every include follows the layers"
