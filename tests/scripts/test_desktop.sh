#!/usr/bin/env bash
# scripts/desktop.sh under signals: SIGTERM to it ends the program it runs (and then the
# desktop), and SIGINT while it is still starting leaves no X server or sound server.
set -u
desktop=$1
work=$(mktemp -d)
script=
# A failed check leaves no desktop running: the script is ended and waited for first.
cleanup() {
  if [ -n "$script" ] && kill -0 "$script" 2>/dev/null; then
    pkill -TERM -P "$script" 2>/dev/null
    kill -TERM "$script" 2>/dev/null
    wait "$script" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# shellcheck source=wait_for.sh
. "$(dirname "$0")/wait_for.sh"

# True when no live process was started with TMPDIR=$work (the desktop's servers and the
# program all were).
none_left() {
  local environ pid
  for environ in /proc/[0-9]*/environ; do
    pid=${environ#/proc/}
    pid=${pid%/environ}
    [ "$pid" = $$ ] && continue
    if { tr '\0' '\n' <"$environ"; } 2>/dev/null | grep -qx "TMPDIR=$work"; then
      [ "$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null)" = Z ] || return 1
    fi
  done
  return 0
}

# 1. SIGTERM while the program runs: the program ends, then the desktop.
TMPDIR=$work "$desktop" exec -- bash -c 'echo $$ >"$0"; exec sleep 300' "$work/program.pid" &
script=$!
wait_for '[ -s "$work/program.pid" ]' 300 || fail "the program did not start"
kill -TERM "$script"
wait_for '! kill -0 '"$script"' 2>/dev/null' 100 || fail "desktop.sh still waits for its program after SIGTERM"
wait_for none_left 50 || fail "the program or a server outlived the desktop after SIGTERM"

# 2. SIGINT during start-up: once the X server runs, before the program starts.
# A background job of a script starts with SIGINT ignored, as a terminal's Ctrl-C would
# not find it: the signal is set back to its default first.
TMPDIR=$work perl -e '$SIG{INT} = "DEFAULT"; exec @ARGV or die' -- "$desktop" exec -- \
  bash -c 'echo started >"$0"; exec sleep 300' "$work/second.started" &
script=$!
wait_for 'ls "$work"/calvorine-desktop.*/pids >/dev/null 2>&1 && [ -s "$(ls "$work"/calvorine-desktop.*/pids | head -n1)" ]' 300 ||
  fail "the second desktop did not start its X server"
state=$(ls -d "$work"/calvorine-desktop.* | head -n1)
kill -INT "$script"
wait "$script" 2>/dev/null
# Whatever had been started by then is gone, and so is the state folder.
wait_for none_left 50 || fail "a server of the interrupted start-up stayed"
[ -d "$state" ] && fail "the state folder stayed after SIGINT during start-up"
[ -e "$work/second.started" ] && fail "the program started although the start-up was interrupted"
echo "PASS"
