#!/usr/bin/env bash
# Runs the seeded random-input test of the recorder longer than the suite does, on a
# virtual desktop of its own:
#
#   scripts/soak.sh SECONDS [SEED]
#
# SECONDS of random input (the checkpoints and the checks at the end come on top); the
# seed is printed, and one given replays that run's input. The actions, the program's
# output and screenshots stay in build/test-output/recorder-random/seed-N/. The build
# folder is build/ unless CALVORINE_BUILD_DIR names another; the exit status is the test's.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ] || ! [[ $1 =~ ^[0-9]+$ ]] || { [ $# = 2 ] && ! [[ $2 =~ ^[0-9]+$ ]]; }; then
  echo "usage: $0 SECONDS [SEED]" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CALVORINE_BUILD_DIR:-$root/build}
test=$build/bin/tst_recorder_random
if [ ! -x "$test" ]; then
  echo "soak: $test is not built (cmake --build --preset release)" >&2
  exit 2
fi

export CALVORINE_RANDOM_SECONDS=$1
if [ $# = 2 ]; then
  export CALVORINE_RANDOM_SEED=$2
fi
export CALVORINE_APP_DIR=$build/bin CALVORINE_SOURCE_DIR=$root
# Qt Test ends a test function after five minutes unless told otherwise.
export QTEST_FUNCTION_TIMEOUT=$(((CALVORINE_RANDOM_SECONDS + 900) * 1000))
exec "$root/scripts/desktop.sh" exec -- "$test" randomInput
