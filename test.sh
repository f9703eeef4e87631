#!/usr/bin/env bash
# Installs what is missing, checks the format of every tracked C/C++ file and the layers
# its includes keep, builds, and runs the whole test suite through ctest on a virtual
# desktop of its own; then builds the libFuzzer targets with clang and runs them.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
JOBS=$(nproc)
# A compiler cache, where the machine has one, makes a rebuild from a fresh clone quick.
LAUNCHER=()
if command -v ccache >/dev/null; then
  LAUNCHER=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# Every tracked C/C++ file must already be in the project's clang-format style.
git ls-files -z '*.c' '*.cc' '*.cpp' '*.h' '*.hpp' | xargs -0 -r clang-format --dry-run --Werror
# No include points up or sideways against the layers.
scripts/check-layers.sh

cmake --preset release "${LAUNCHER[@]}" >/dev/null
cmake --build --preset release -j "$JOBS"
# The suite runs with an empty HOME and an empty temporary folder of its own: no test
# reads the user's files, and one that leaves anything in either fails the run.
SUITE_HOME=$(mktemp -d "${TMPDIR:-/tmp}/calvorine-suite-home.XXXXXX")
SUITE_TMP=$(mktemp -d "${TMPDIR:-/tmp}/calvorine-suite-tmp.XXXXXX")
trap 'rm -rf "$SUITE_HOME" "$SUITE_TMP"' EXIT
HOME="$SUITE_HOME" TMPDIR="$SUITE_TMP" scripts/desktop.sh exec -- \
  ctest --test-dir build --output-on-failure --no-tests=error -j "$JOBS" "$@"
left=$(find "$SUITE_HOME" -mindepth 1 | sed "s|^$SUITE_HOME|~|"
  find "$SUITE_TMP" -mindepth 1 -maxdepth 2 | sed "s|^$SUITE_TMP|\$TMPDIR|")
if [ -n "$left" ]; then
  echo "The tests left this behind:" >&2
  echo "$left" >&2
  exit 1
fi

if [ -n "$(find fuzz -mindepth 2 -name CMakeLists.txt 2>/dev/null)" ]; then
  cmake --preset fuzz "${LAUNCHER[@]}" >/dev/null
  cmake --build --preset fuzz -j "$JOBS"
  ctest --test-dir build-fuzz -L fuzz --output-on-failure --no-tests=error -j "$JOBS"
fi
