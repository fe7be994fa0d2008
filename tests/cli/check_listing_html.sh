#!/usr/bin/env bash
# lumadir-cli, as a script calls it, on a fixture tree made here: the listings it
# writes with the shipped format.xml are complete HTML documents that an HTML
# checker passes without a warning, and its exit codes and messages are right.
#   check_listing_html.sh WINE_RUN PREFIX LUMADIR_CLI_EXE
set -u
wine_run=$1 prefix=$2 cli=$3
. "$(dirname "$0")/checks.sh"
run_cli() { "$wine_run" --prefix="$prefix" "$cli" "$@"; }

tree=$work/Tom\ \&\ Jerry
mkdir -p "$tree/sub folder/deeper" "$tree/empty"
printf 'hello' >"$tree/notes.txt"
printf 'x' >"$tree/sub folder/a&b <c>.txt"       # Wine shows < and > under other names
printf 'caf\xc3\xa9' >"$tree/caf$(printf '\xc3\xa9').doc"  # a name beyond ASCII
head -c 5000 /dev/zero >"$tree/sub folder/deeper/zeros.bin"
printf '' >"$tree/.profile"
mkdir "$tree/locked" && chmod 000 "$tree/locked"  # unreadable only for non-root

tidy_clean() { tidy -q -e "$1" 2>&1 | tee "$work/tidy.log"; [ ! -s "$work/tidy.log" ]; }

check "default listing" run_cli -o "$work/default.html" "$tree"
check "default listing is clean HTML" tidy_clean "$work/default.html"
check "the folder name is escaped" grep -q 'Tom &amp; Jerry' "$work/default.html"
check "the charset is declared" grep -qi '<meta charset="utf-8">' "$work/default.html"

check "listing to standard output" bash -c "'$wine_run' --prefix='$prefix' '$cli' --sort size --descending --units auto --times --depth 1 '$tree' >'$work/stdout.html'"
check "standard output listing is clean HTML" tidy_clean "$work/stdout.html"
check "standard output has no carriage return added" bash -c "! grep -q $'\r\r' '$work/stdout.html'"

check "a missing folder exits 2" bash -c "'$wine_run' --prefix='$prefix' '$cli' '$work/missing' 2>'$work/err'; [ \$? -eq 2 ] && grep -q 'no such folder' '$work/err'"
check "a bad option exits 1" bash -c "'$wine_run' --prefix='$prefix' '$cli' --colour red '$tree' 2>/dev/null; [ \$? -eq 1 ]"
check "a bad depth exits 1" bash -c "'$wine_run' --prefix='$prefix' '$cli' --depth x '$tree' 2>/dev/null; [ \$? -eq 1 ]"
printf '<columns>Name</columns>' >"$work/bad-settings.ini"
check "invalid settings exit 8" bash -c "'$wine_run' --prefix='$prefix' '$cli' --settings '$work/bad-settings.ini' '$tree' 2>/dev/null; [ \$? -eq 8 ]"
printf '<langs>' >"$work/bad-format.xml"
check "an invalid format file exits 9" bash -c "'$wine_run' --prefix='$prefix' '$cli' --format '$work/bad-format.xml' '$tree' 2>/dev/null; [ \$? -eq 9 ]"
check "an output folder that does not exist exits 5" bash -c "'$wine_run' --prefix='$prefix' '$cli' -o '$work/none/x.html' '$tree' 2>/dev/null; [ \$? -eq 5 ]"
check "a bare drive lists its root" bash -c "'$wine_run' --prefix='$prefix' '$cli' --depth 0 --files none -o '$work/drive.html' C: && grep -q '<h1 class=\"title\">\(<span class=\"volume\">.*</span> \)\?C:\\\\</h1>' '$work/drive.html'"
check "the settings file is never written" bash -c "cmp -s '$(dirname "$cli")/settings.ini' '$(dirname "$0")/../../data/settings.ini'"

# Progress goes to a console only: standard error as a file, a pipe or the
# null device (which the C library takes for a terminal) gets nothing, on a
# tree large enough for the line to be drawn several times; under a pseudo
# terminal, which Wine makes a console, the line is drawn.
many=$work/many
mkdir -p "$many"/{1..40}/{1..100}
for d in "$many"/*/*; do : >"$d/file.txt"; done
check "no progress when standard error is a file" bash -c "'$wine_run' --prefix='$prefix' '$cli' -o '$work/many.html' '$many' 2>'$work/many.err' && [ ! -s '$work/many.err' ]"
check "no progress when standard error is a pipe" bash -c "'$wine_run' --prefix='$prefix' '$cli' -o '$work/many.html' '$many' 2>&1 >/dev/null | cmp -s - /dev/null"
check "no progress for the null device, and the listing is complete" bash -c "'$wine_run' --prefix='$prefix' '$cli' -o '$work/many.html' '$many' 2>/dev/null && [ \$(grep -o 'file\.txt' '$work/many.html' | wc -l) -ge 4000 ]"
if command -v script >/dev/null; then
  # Wine's console draws through terminal escapes, a space often as a cursor
  # move: both are taken out before looking.
  console_text() { sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' "$1" | tr -d ' \r\n'; }
  check "progress on a console" bash -c "script -qec \"'$wine_run' --prefix='$prefix' '$cli' -o '$work/many.html' '$many'\" /dev/null >'$work/console.txt'; $(declare -f console_text); console_text '$work/console.txt' | grep -q '[0-9]folders,[0-9]*files,0:0[0-9]Reading'"
  check "--quiet shows nothing on a console" bash -c "script -qec \"'$wine_run' --prefix='$prefix' '$cli' --quiet -o '$work/many.html' '$many'\" /dev/null >'$work/quiet.txt'; $(declare -f console_text); ! console_text '$work/quiet.txt' | grep -q 'folders,'"
fi

chmod 755 "$tree/locked"
finish
