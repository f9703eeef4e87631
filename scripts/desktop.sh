#!/usr/bin/env bash
# The virtual desktop that the program and the tests run on where there is no display:
# Xvfb (CALVORINE_SCREEN, default 1920x1080x24), a D-Bus session bus, openbox, xcompmgr (unless
# CALVORINE_NO_COMPOSITOR is set), trayer, and a private PulseAudio daemon with a null sink
# as default sink and a sine source as default microphone.
#
#   desktop.sh start          starts one; prints the environment to eval (DISPLAY,
#                             DBUS_SESSION_BUS_ADDRESS, PULSE_SERVER, ...)
#   desktop.sh stop STATEDIR  stops everything that start started, by PID, and removes STATEDIR
#   desktop.sh exec CMD...    starts one, runs CMD in it, stops it; exits with CMD's status.
#                             SIGINT or SIGTERM to it is passed on to CMD, then the desktop
#                             stops; during the start-up they stop what was started.
#
# A screenshot of a running desktop: DISPLAY=:N import -window root shot.png
set -euo pipefail

log() { echo "desktop: $*" >&2; }

is_gone() {
  # An exited child can linger as a zombie until its parent reaps it: count that as gone.
  local pid=$1
  [ -r "/proc/$pid/stat" ] || return 0
  local state
  state=$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null || echo Z)
  [ "$state" = Z ] || [ "$state" = X ]
}

stop_desktop() {
  local state=$1
  [ -d "$state" ] || return 0
  if [ -f "$state/pids" ]; then
    local pids
    pids=$(tac "$state/pids")
    for pid in $pids; do kill -TERM "$pid" 2>/dev/null || true; done
    for _ in $(seq 1 40); do
      local alive=0
      for pid in $pids; do is_gone "$pid" || alive=1; done
      [ $alive = 0 ] && break
      sleep 0.05
    done
    for pid in $pids; do is_gone "$pid" || kill -KILL "$pid" 2>/dev/null || true; done
  fi
  rm -rf "$state"
}

remember() { echo "$1" >>"$STATE/pids"; }

start_desktop() {
  STATE=$(mktemp -d "${TMPDIR:-/tmp}/calvorine-desktop.XXXXXX")
  chmod 700 "$STATE"
  : >"$STATE/pids"
  # A failure or an interrupt during the start-up stops what was started so far.
  trap 'stop_desktop "$STATE"' ERR
  trap 'stop_desktop "$STATE"; exit 130' INT
  trap 'stop_desktop "$STATE"; exit 143' TERM

  # X server: -displayfd picks a free display without races; -noreset keeps the keyboard
  # option below alive when the last client disconnects.
  Xvfb -displayfd 7 -screen 0 "${CALVORINE_SCREEN:-1920x1080x24}" -noreset -nolisten tcp +extension MIT-SHM \
    7>"$STATE/display" >"$STATE/xvfb.log" 2>&1 &
  remember $!
  for _ in $(seq 1 200); do
    [ -s "$STATE/display" ] && break
    sleep 0.01
  done
  local num
  num=$(tr -dc '0-9' <"$STATE/display")
  if [ -z "$num" ]; then log "Xvfb did not start"; cat "$STATE/xvfb.log" >&2; false; fi
  export DISPLAY=":$num"

  # A session bus, as a desktop has one. Without it every Qt program on the display runs
  # dbus-launch to find or start a bus, and the bus it starts outlives the desktop. No
  # service is started on demand on this one (no service folders): a call to a service
  # that nothing here provides fails at once.
  cat >"$STATE/session-bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$STATE/session-bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
  dbus-daemon --config-file="$STATE/session-bus.conf" --nofork --nopidfile --nosyslog \
    >"$STATE/session-bus.log" 2>&1 &
  remember $!
  for _ in $(seq 1 200); do
    [ -S "$STATE/session-bus" ] && break
    sleep 0.01
  done
  if [ ! -S "$STATE/session-bus" ]; then log "the session bus did not start"; cat "$STATE/session-bus.log" >&2; false; fi
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$STATE/session-bus"

  # Nothing of the desktop reads or writes the real HOME: openbox gets one of its own
  # (a user's rc.xml would change the desktop; it writes its log under ~/.cache).
  mkdir -p "$STATE/home"
  HOME="$STATE/home" openbox --sm-disable >"$STATE/openbox.log" 2>&1 &
  remember $!
  # CALVORINE_NO_COMPOSITOR=1: a desktop without compositor, as some users have.
  if [ -z "${CALVORINE_NO_COMPOSITOR:-}" ]; then
    xcompmgr >"$STATE/xcompmgr.log" 2>&1 &
    remember $!
  fi
  trayer --edge bottom --align right --widthtype request --height 24 --SetDockType true \
    --transparent false >"$STATE/trayer.log" 2>&1 &
  remember $!
  # Without this, Ctrl+Alt+F-keys switch (nonexistent) virtual terminals and never reach a grab.
  setxkbmap -option srvrkeys:none
  if ! setxkbmap -query | grep -q srvrkeys:none; then log "keyboard option did not stick"; false; fi

  # Sound: a private daemon, started without DISPLAY, with a private HOME and runtime folder,
  # and off the session bus (a daemon there takes the sound server's bus names, and a
  # second one, such as a test's own, would then refuse to start).
  mkdir -p "$STATE/pulse-home" "$STATE/runtime"
  chmod 700 "$STATE/runtime"
  env -u DISPLAY -u DBUS_SESSION_BUS_ADDRESS HOME="$STATE/pulse-home" XDG_RUNTIME_DIR="$STATE/runtime" \
    nice -n -10 pulseaudio -n --daemonize=no --high-priority=yes --exit-idle-time=-1 --use-pid-file=no --log-target=stderr \
    -L "module-native-protocol-unix socket=$STATE/pulse.sock auth-anonymous=1" \
    -L "module-null-sink sink_name=calvorine_null sink_properties=device.description=Null" \
    -L "module-sine-source source_name=calvorine_mic frequency=440 rate=48000" \
    >"$STATE/pulse.log" 2>&1 &
  remember $!
  export PULSE_SERVER="unix:$STATE/pulse.sock"
  # Sound clients take neither a user's client.conf nor a cookie from HOME, and write none
  # there (the daemon takes anonymous clients: the cookie is never checked).
  : >"$STATE/pulse-client.conf"
  export PULSE_CLIENTCONFIG="$STATE/pulse-client.conf"
  export PULSE_COOKIE="$STATE/pulse-cookie"
  local ok=0
  for _ in $(seq 1 200); do
    if pactl info >/dev/null 2>&1; then ok=1; break; fi
    sleep 0.02
  done
  if [ $ok = 0 ]; then log "PulseAudio did not start"; cat "$STATE/pulse.log" >&2; false; fi
  pactl set-default-sink calvorine_null
  pactl set-default-source calvorine_mic

  # Window manager ready: openbox sets _NET_SUPPORTING_WM_CHECK on the root window.
  for _ in $(seq 1 200); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break
    sleep 0.02
  done
  trap - ERR INT TERM

  export XDG_RUNTIME_DIR="$STATE/runtime"
  export CALVORINE_DESKTOP="$STATE"
}

print_env() {
  echo "export DISPLAY='$DISPLAY'"
  echo "export DBUS_SESSION_BUS_ADDRESS='$DBUS_SESSION_BUS_ADDRESS'"
  echo "export PULSE_SERVER='$PULSE_SERVER'"
  echo "export PULSE_CLIENTCONFIG='$PULSE_CLIENTCONFIG'"
  echo "export PULSE_COOKIE='$PULSE_COOKIE'"
  echo "export XDG_RUNTIME_DIR='$XDG_RUNTIME_DIR'"
  echo "export CALVORINE_DESKTOP='$CALVORINE_DESKTOP'"
}

case "${1:-}" in
start)
  start_desktop
  print_env
  ;;
stop)
  stop_desktop "${2:?state folder}"
  ;;
exec)
  shift
  [ "${1:-}" = "--" ] && shift
  start_desktop
  trap 'stop_desktop "$STATE"' EXIT
  # The program runs in the background so that a signal to this script is handled at
  # once (bash runs traps only between commands): it is passed on to the program, whose
  # end is waited for before the desktop stops.
  "$@" <&0 &
  child=$!
  trap 'kill -INT "$child" 2>/dev/null' INT
  trap 'kill -TERM "$child" 2>/dev/null' TERM
  set +e
  while :; do
    wait "$child"
    status=$?
    kill -0 "$child" 2>/dev/null || break
  done
  set -e
  exit $status
  ;;
*)
  echo "usage: $0 start | stop STATEDIR | exec CMD..." >&2
  exit 2
  ;;
esac
