#!/usr/bin/env bash
# `cmake --install` into a temporary prefix: the program, its application folder, the
# desktop entry and the icon land where they belong, the entry passes
# desktop-file-validate, and the installed program, started from outside the build
# folder as the menu starts it, finds its folder and shows its main window.
# Usage: test_install.sh BUILD_DIR APP_DIR_IN_PREFIX SHOT_DIR (run on a desktop: DISPLAY set)
set -u
build=$1
appdir_rel=$2
shots=$3
work=$(mktemp -d)
prefix=$work/prefix
manifest=$build/install_manifest.txt
manifest_saved=
program=
fail() { echo "FAIL: $*" >&2; exit 1; }

# cmake --install writes its list of files into the build folder: what was there before
# comes back, so that the test leaves nothing outside its own folder.
if [ -e "$manifest" ]; then
  manifest_saved=$work/manifest
  cp "$manifest" "$manifest_saved"
fi
cleanup() {
  if [ -n "$program" ] && kill -0 "$program" 2>/dev/null; then
    kill -KILL "$program" 2>/dev/null
    wait "$program" 2>/dev/null
  fi
  if [ -n "$manifest_saved" ]; then
    cp "$manifest_saved" "$manifest"
  else
    rm -f "$manifest"
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# shellcheck source=wait_for.sh
. "$(dirname "$0")/wait_for.sh"

cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || {
  cat "$work/install.log" >&2
  fail "cmake --install failed"
}

# Every file the install wrote is inside the prefix.
outside=$(grep -v "^$prefix/" "$manifest")
[ -z "$outside" ] || fail "installed outside the prefix: $outside"

# The program alone under bin/ (no test or tool programs of the build folder).
[ -x "$prefix/bin/calvorine" ] || fail "no program at bin/calvorine"
[ "$(ls "$prefix/bin")" = calvorine ] || fail "bin/ holds more than the program: $(ls "$prefix/bin" | tr '\n' ' ')"

# The application folder: the audio-device library and every data folder of the build's
# application folder, file for file (the desktop icons go to the icon theme instead), and
# the codec library the program links.
appdir=$prefix/$appdir_rel
for library in libcalvorine_audiodev.so libcalvorine_codec.so; do
  [ -f "$appdir/$library" ] || fail "no $library in $appdir_rel"
done
data_folders=0
for folder in "$build"/bin/*/; do
  name=$(basename "$folder")
  [ "$name" = icons ] && continue
  data_folders=$((data_folders + 1))
  [ -d "$appdir/$name" ] || fail "$appdir_rel/$name is missing"
  diff <(cd "$folder" && find . -type f | sort) <(cd "$appdir/$name" && find . -type f | sort) >"$work/diff" ||
    fail "$appdir_rel/$name differs from the build's: $(head -5 "$work/diff")"
done
[ "$data_folders" -ge 9 ] || fail "only $data_folders data folders in the build's application folder"
for needed in profile/profiles_win.plist image/common/dlg_logo.png Language; do
  [ -e "$appdir/$needed" ] || fail "$appdir_rel/$needed is missing"
done

# The icon, at the sizes its folders name.
for size in 48 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/calvorine.png
  [ -f "$icon" ] || fail "no icon at share/icons/hicolor/${size}x${size}/apps"
  [ "$(identify -format '%wx%h' "$icon")" = "${size}x${size}" ] || fail "$icon is $(identify -format '%wx%h' "$icon")"
done

# The desktop entry.
entry=$prefix/share/applications/calvorine.desktop
[ -f "$entry" ] || fail "no desktop entry"
desktop-file-validate "$entry" || fail "desktop-file-validate refuses the entry"
grep -qx 'Name=Calvorine Screen Recorder' "$entry" || fail "the entry's name"
grep -qx 'Icon=calvorine' "$entry" || fail "the entry's icon"
grep -qx 'Categories=AudioVideo;Recorder;' "$entry" || fail "the entry's categories"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
[ "$exec_line" = "$prefix/bin/calvorine" ] || fail "the entry starts '$exec_line'"

# Started as the menu starts it, from a folder outside the build, with its own user
# folders (and single-instance key, which lives in TMPDIR) inside the test's folder.
mkdir -p "$work/home" "$work/data" "$work/config" "$work/cache" "$work/tmp" "$work/elsewhere"
(cd "$work/elsewhere" && exec env HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
  XDG_CACHE_HOME="$work/cache" TMPDIR="$work/tmp" "$exec_line" >"$work/program.log" 2>&1) &
program=$!
# Its tray icon is a small window of the same title: the main window is the one of its
# size.
geometry() { xwininfo -id "$1" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}'; }
window=
sizes=
find_main_window() {
  sizes=
  for candidate in $(xdotool search --onlyvisible --pid "$program" --name '^Calvorine Screen Recorder$' 2>/dev/null); do
    size=$(geometry "$candidate")
    sizes="$sizes $size"
    if [ "$size" = 696x176 ]; then
      window=$candidate
      return 0
    fi
  done
  return 1
}
wait_for find_main_window 1200 || {
  cat "$work/program.log" >&2
  fail "no 696x176 main window of the installed program within 2 min (its windows:$sizes)"
}
mkdir -p "$shots"
import -window "$window" "$shots/installed_main_window.png" 2>/dev/null || true
# It found its application folder where the install put it: the audio-device library it
# loads by name is mapped from there, and nothing of the build folder is.
wait_for 'grep -q "$appdir/libcalvorine_audiodev.so" /proc/$program/maps' 300 ||
  fail "the installed program did not load $appdir_rel/libcalvorine_audiodev.so"
if grep -q "$build" "/proc/$program/maps"; then
  fail "the installed program maps files of the build folder"
fi

# A termination signal quits it as a normal quit does.
kill -TERM "$program"
wait_for '! kill -0 $program 2>/dev/null' 600 || fail "the program did not end within 60 s of SIGTERM"
wait "$program"
status=$?
program=
[ "$status" = 0 ] || {
  cat "$work/program.log" >&2
  fail "the program ended with status $status"
}
echo "PASS"
