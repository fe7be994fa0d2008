#!/usr/bin/env bash
# Starts the program under Xvfb, opens each window and menu, and writes PNG
# screenshots, for anyone reviewing the user interface (and for the help
# pages' pictures: tools/screenshots.sh data/images).
#
#   tools/screenshots.sh [OUT-FOLDER]      (default build/screenshots)
#
# The windows run inside a Wine virtual desktop, so that they get their frames
# and captions without a window manager; each shot is cropped to the windows.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/screenshots}")
mkdir -p "$out"
tools/build.sh >/dev/null

prefix=$PWD/build/wineprefix-x11
work=$(mktemp -d /tmp/lumadir-shots.XXXXXX)
display_pid=
cleanup() {
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  [ -n "${setup_prefix:-}" ] && { WINEPREFIX=$setup_prefix wineserver -k 2>/dev/null || true; }
  [ -n "$display_pid" ] && kill "$display_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

exec 6> "$work/display"
Xvfb -displayfd 6 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
display_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
export LUMADIR_GRAPHICS=x11

desktop=800x520
cp -r build/app "$work/program"
program=$(echo "Z:$work/program/lumadir.exe" | tr / '\\')
folder='C:\users\Public\Documents'  # a folder every prefix has
tools/wine-run --prefix="$prefix" explorer "/desktop=shots,$desktop" "$program" "$folder" \
  >"$work/wine.log" 2>&1 &
# xdotool gives up when a window vanishes while it looks; a new prefix makes some.
for _ in $(seq 600); do
  xdotool search --name 'Wine desktop' >/dev/null 2>&1 && break
  sleep 0.2
done
sleep 5

# Shoots the virtual desktop and keeps what differs from its plain background.
shoot() {
  import -window root -crop "$desktop+0+0" +repage "$work/raw.png"
  convert "$work/raw.png" -trim +repage "$out/$1.png"
  echo "$out/$1.png"
}
shoot main-window
for menu in a:action o:options h:help; do
  xdotool key "alt+${menu%%:*}"
  sleep 1
  shoot "menu-${menu#*:}"
  xdotool key Escape Escape
  sleep 0.5
done
xdotool key alt+h
sleep 0.5
xdotool key a
sleep 1.5
shoot about-box  # over the main window, which owns it
xdotool key Return
sleep 0.5
# The settings dialog, tab by tab.
xdotool key ctrl+t
sleep 1.5
for tab in filters sorting columns colours; do
  shoot "settings-$tab"
  xdotool key ctrl+Tab
  sleep 0.7
done
xdotool key Escape
sleep 0.5
# A preview of the (empty) folder: the preview window over the main window.
xdotool key ctrl+p
sleep 4
shoot preview-window
# It fills the screen's work area; its toolbar and a strip below say enough.
convert "$out/preview-window.png" -crop 640x220+0+0 +repage "$out/preview-window.png"
xdotool key Escape
sleep 0.5
xdotool key alt+F4
sleep 1
WINEPREFIX=$prefix wineserver -k 2>/dev/null || true

# The installer's pages, in a prefix of their own that the installation may change.
setup_prefix=$PWD/build/wineprefix-setup-shots
rm -rf "$setup_prefix" "$setup_prefix.lock"
cp -r build/dist "$work/product"
setup=$(echo "Z:$work/product/setup.exe" | tr / '\\')
tools/wine-run --prefix="$setup_prefix" explorer "/desktop=setup,$desktop" "$setup" >"$work/setup.log" 2>&1 &
for _ in $(seq 900); do
  xdotool search --name 'setup - Wine desktop' >/dev/null 2>&1 && break
  sleep 0.2
done
sleep 6
shoot setup-1-welcome
xdotool key Return
sleep 1
shoot setup-2-licence
xdotool key alt+a Return
sleep 1
shoot setup-3-folder
xdotool key Return
sleep 1
shoot setup-4-summary
xdotool key Return
sleep 4
shoot setup-5-installed
xdotool key Escape
sleep 1
WINEPREFIX=$setup_prefix wineserver -k 2>/dev/null || true
rm -rf "$setup_prefix" "$setup_prefix.lock"
