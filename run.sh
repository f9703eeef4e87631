#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program: on your display, or, where
# there is none, on a virtual desktop of its own.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"

PROGRAM=build/bin/calvorine
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$PROGRAM" "$@"
fi
echo "No display: starting the program on a virtual desktop."
echo "To take a screenshot of it from another shell:"
echo "  DISPLAY=<the display printed below> import -window root shot.png"
exec scripts/desktop.sh exec -- bash -c 'echo "Display: $DISPLAY"; exec "$0" "$@"' "$PROGRAM" "$@"
