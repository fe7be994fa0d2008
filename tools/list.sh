#!/usr/bin/env bash
# The main job: builds everything and lists a folder (this repository unless one
# is given) into build/listing.html with lumadir-cli under Wine; with
# `-- --as csv|json|txt` into build/listing.csv, .json or .txt instead.
#   tools/list.sh [FOLDER] [-- lumadir-cli options...]
set -euo pipefail
cd "$(dirname "$0")/.."
folder=$PWD
if [ $# -gt 0 ] && [ "$1" != "--" ]; then folder=$(cd "$1" && pwd); shift; fi
[ "${1:-}" = "--" ] && shift
tools/build.sh >/dev/null
type=html
args=("$@")
for ((i = 0; i + 1 < ${#args[@]}; i++)); do
  [ "${args[i]}" = "--as" ] && type=${args[i + 1]}
done
out=$PWD/build/listing.$type
tools/wine-run --prefix="$PWD/build/wineprefix" build/app/lumadir-cli.exe "$@" -o "$out" "$folder"
echo "Listing of $folder written to $out"
