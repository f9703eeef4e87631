#!/usr/bin/env bash
# scripts/check-layers.sh on a small tree of its own: an include is found as the compiler
# finds it (quoted names beside the including file first, then from the project root;
# angle-bracket names from the root; ./ and ../ taken as they come), so that every
# spelling of an include up the layers fails, and includes within the layers, of headers
# outside the tree, or of a same-named file beside the including one do not.
# Usage: test_check_layers.sh CHECK_LAYERS_SCRIPT
set -u
check=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

tree=$work/tree
mkdir -p "$tree/scripts" "$tree/app" "$tree/media" "$tree/library" "$tree/recorder" "$tree/platform/codec/app" \
  "$tree/tags"
cp "$check" "$tree/scripts/check-layers.sh"
git -C "$tree" init -q || fail "git init"
for header in app/A.h app/Same.h media/M.h library/L.h recorder/R.h platform/P.h platform/codec/app/A.h tags/T.h; do
  echo '#pragma once' >"$tree/$header"
done
# Within the layers, or not ours.
cat >"$tree/app/fine.cpp" <<'EOF'
#include "Same.h"
#include "./Same.h"
#include "../platform/P.h"
#include <tags/T.h>
#include "app/A.h"
#include <vector>
#include "QWidget"
#include "../../outside.h"
EOF
# The folder's own app/A.h, not the app/ layer's.
echo '#include "app/A.h"' >"$tree/platform/codec/c.cpp"

output=$(bash "$tree/scripts/check-layers.sh" 2>&1) || fail "includes within the layers refused: $output"

# Up the layers, once in each spelling.
cat >"$tree/app/wrong.cpp" <<'EOF'
#include "media/M.h"
#include <recorder/R.h>
#include "../recorder/R.h"
#include "./../library/L.h"
#include "../app/../media/M.h"
EOF
output=$(bash "$tree/scripts/check-layers.sh" 2>&1) && fail "includes up the layers passed: $output"
for expected in \
  'app/wrong.cpp:1: app/ may not include media/M.h (#include "media/M.h")' \
  'app/wrong.cpp:2: app/ may not include recorder/R.h (#include <recorder/R.h>)' \
  'app/wrong.cpp:3: app/ may not include recorder/R.h (#include "../recorder/R.h")' \
  'app/wrong.cpp:4: app/ may not include library/L.h (#include "./../library/L.h")' \
  'app/wrong.cpp:5: app/ may not include media/M.h (#include "../app/../media/M.h")' \
  'check-layers: 5 include(s)'; do
  grep -qF "$expected" <<<"$output" || fail "no \"$expected\" in: $output"
done
[ "$(grep -c 'may not include' <<<"$output")" = 5 ] || fail "more than the five wrong includes named: $output"
echo "PASS"
