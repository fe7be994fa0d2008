#!/usr/bin/env bash
# Builds the program and starts lumadir.exe under Wine on the X display in
# $DISPLAY (a desktop session, or Xvfb), with the folder, if given, in its
# folder box. It uses the program folder build/app, so its settings.ini changes.
#
#   tools/run.sh [FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
[ -n "${DISPLAY:-}" ] || { echo "run.sh: no X display; set DISPLAY (or start Xvfb)" >&2; exit 2; }
tools/build.sh >/dev/null
args=()
if [ $# -gt 0 ]; then
  args=("Z:$(realpath "$1" | tr / '\\')")
fi
LUMADIR_GRAPHICS=x11 LUMADIR_WINE_TIMEOUT=${LUMADIR_WINE_TIMEOUT:-86400} \
  exec tools/wine-run --prefix="$PWD/build/wineprefix-x11" build/app/lumadir.exe "${args[@]}"
