#!/usr/bin/env bash
# End to end: lumadir.exe starts under Xvfb with a folder on its command line,
# a user saves a listing with the keyboard (Ctrl+S, a file name, Enter), and the
# saved file must equal what lumadir-cli writes for the same folder with the
# same settings.
#
#   save_listing.sh WINE-RUN PREFIX APP-FOLDER
set -euo pipefail
wine_run=$1 prefix=$2 app=$3
source "$(dirname "$0")/screen.sh"

# The program folder is a copy, so its settings.ini can change freely.
cp -r "$app" "$work/program"
mkdir -p "$work/tree/Tom & Jerry" "$work/tree/empty"
printf 'alpha' > "$work/tree/alpha.txt"
printf 'some more bytes' > "$work/tree/Tom & Jerry/caf\xc3\xa9 menu.html"
: > "$work/tree/zero.bin"
touch -d '2024-03-05 10:20:30' "$work/tree/alpha.txt" "$work/tree/Tom & Jerry/"* "$work/tree/zero.bin"
tree=$(windows_path "$work/tree")
saved="$work/saved.html"

"$wine_run" --prefix="$prefix" "$work/program/lumadir.exe" "$tree" >"$work/gui.log" 2>&1 &
gui=$!

# A fresh prefix is made first, which takes a while.
window=$(wait_for_window '^Lumadir 2.0$' 120) || fail "the main window did not appear"
sleep 1
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key ctrl+s
dialog=$(wait_for_window '^Save listing file as$' 30) || fail "the save dialog did not appear"
sleep 1
xdotool windowfocus "$dialog" 2>/dev/null || true
xdotool type --delay 20 "$(windows_path "$saved")"
xdotool key Return

for _ in $(seq 150); do
  [ -s "$saved" ] && grep -q '</html>' "$saved" && break
  sleep 0.2
done
[ -s "$saved" ] || fail "no listing was saved"

"$wine_run" --prefix="$prefix" "$work/program/lumadir-cli.exe" \
  --settings "$(windows_path "$work/program/settings.ini")" -o "$(windows_path "$work/cli.html")" "$tree" \
  >/dev/null 2>&1 || fail "lumadir-cli failed"
cmp "$saved" "$work/cli.html" || { diff "$saved" "$work/cli.html" | head -20; fail "the saved listing differs from lumadir-cli's"; }
grep -q 'Tom &amp; Jerry' "$saved" || fail "the listing lacks the fixture's folder"

# Closing writes the settings with the saved file's path.
xdotool windowfocus "$window" 2>/dev/null || true
xdotool key alt+F4
for _ in $(seq 100); do kill -0 "$gui" 2>/dev/null || break; sleep 0.1; done
kill -0 "$gui" 2>/dev/null && fail "the program did not close"
grep -qF "saved.html" "$work/program/settings.ini" || fail "settings.ini does not name the saved file"
echo "saved listing equals lumadir-cli's: $(wc -c < "$saved") bytes"
