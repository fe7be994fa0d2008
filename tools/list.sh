#!/usr/bin/env bash
# The main job: builds everything and lists a folder (this repository unless one
# is given) into an HTML file with lumadir-cli under Wine.
#   tools/list.sh [FOLDER] [-- lumadir-cli options...]
set -euo pipefail
cd "$(dirname "$0")/.."
folder=$PWD
if [ $# -gt 0 ] && [ "$1" != "--" ]; then folder=$(cd "$1" && pwd); shift; fi
[ "${1:-}" = "--" ] && shift
tools/build.sh >/dev/null
out=$PWD/build/listing.html
tools/wine-run --prefix="$PWD/build/wineprefix" build/app/lumadir-cli.exe "$@" -o "$out" "$folder"
echo "Listing of $folder written to $out"
