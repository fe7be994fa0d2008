#!/usr/bin/env bash
# Folder links under lumadir-cli: two links back to the parent folder inside a
# folder would make an endless walk that doubles at every level. By default a
# link is listed and not entered; with --follow-links each place
# is entered once, so the walk ends either way. A link's Attributes cell says
# "Link" (its Type cell "Folder link"). Wine shows a Unix symbolic link
# to a folder as a reparse point with a tag of 0, as Windows shows a junction.
#   check_links.sh WINE_RUN PREFIX LUMADIR_CLI_EXE
set -u
wine_run=$1 prefix=$2 cli=$3
. "$(dirname "$0")/checks.sh"
run_cli() { timeout 60 "$wine_run" --prefix="$prefix" "$cli" "$@"; }
blocks() { grep -c 'class="folder" colspan' "$1"; }

tree=$work/tree
mkdir -p "$tree/loop" "$tree/real/inner"
printf 'x' >"$tree/real/inner/file.txt"
ln -s .. "$tree/loop/a"
ln -s .. "$tree/loop/b"
ln -s real "$tree/to-real"

# The shipped settings with the Attributes column shown.
python3 - "$(dirname "$cli")/settings.ini" "$work/settings.ini" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-8", newline="").read()
open(sys.argv[2], "w", encoding="utf-8", newline="").write(
    re.sub(r"(\nAttributes\r?\n)0", r"\g<1>1", text, count=1))
PY
check "a tree with looping links is listed" \
  run_cli --settings "$work/settings.ini" --depth -1 -o "$work/plain.html" "$tree"
# tree, loop, real, real\inner: the links are rows, never blocks.
check "links are not entered" test "$(blocks "$work/plain.html")" -eq 4
check "a link is listed and marked as one" \
  grep -Eq '>to-real</td>.*<td class="attributes">Link</td>' "$work/plain.html"

check "followed links end too" run_cli --follow-links --depth -1 -o "$work/followed.html" "$tree"
# The same four places, each once: the links lead only to places already seen.
check "each place is entered once" test "$(blocks "$work/followed.html")" -eq 4
check "the real folder's file is listed once" test "$(grep -c '>file.txt<' "$work/followed.html")" -eq 1

finish
