#!/usr/bin/env bash
# Installs, with apt-get, whatever the build, the program and the test suite need
# and is not on this machine yet. Safe to run again: it does nothing when all is there.
set -euo pipefail

PACKAGES=(
  # build
  cmake g++ ninja-build pkg-config git ccache
  # Qt 5
  qtbase5-dev qtbase5-dev-tools libqt5x11extras5-dev libqt5svg5
  # FFmpeg libraries behind platform/codec, and the command line used to check results
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev libavfilter-dev ffmpeg
  # X11: capture, cursor, key grabs, window list
  libx11-dev libxext-dev libxfixes-dev libx11-xcb-dev libxcb1-dev libxcb-keysyms1-dev
  libxcb-shm0-dev libxcb-xfixes0-dev libxcb-randr0-dev
  # PulseAudio
  libpulse-dev pulseaudio pulseaudio-utils
  # other libraries
  libboost-dev libpugixml-dev libogg-dev libyuv-dev
  # virtual desktop
  xvfb xauth openbox xcompmgr trayer x11-xkb-utils x11-utils xdotool imagemagick dbus-x11 dbus-daemon
  # fonts: a metric-compatible Tahoma
  fonts-wine fontconfig fonts-dejavu-core
  # independent checkers, fuzzing and benchmark peers
  python3 python3-mutagen vorbis-tools flac sox libtag1-dev clang libclang-rt-14-dev clang-format time
  # the installed desktop entry is checked
  desktop-file-utils
  # a German locale built by a test (localedef needs its source), chattr for read-only files
  locales e2fsprogs
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -q
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# fontconfig does not scan Wine's font folder: copy its Tahoma where it looks.
if ! fc-match Tahoma 2>/dev/null | grep -qi tahoma; then
  $SUDO mkdir -p /usr/local/share/fonts/calvorine
  for f in tahoma.ttf tahomabd.ttf; do
    if [ -f "/usr/share/wine/fonts/$f" ]; then
      $SUDO cp "/usr/share/wine/fonts/$f" /usr/local/share/fonts/calvorine/
    fi
  done
  $SUDO fc-cache -f >/dev/null 2>&1 || true
fi
