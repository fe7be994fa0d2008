#!/usr/bin/env bash
# End to end, in a fresh Wine prefix of its own: setup.exe from the product
# folder installs through its wizard, driven by the keyboard with the default
# options; the folder verb's command starts the installed program on a folder,
# which saves a listing of it; a second installation keeps the user's own
# files; remove.exe /quiet /all then leaves nothing of the
# installation behind; after a third installation, remove.exe /quiet (without
# /all) leaves the user's own files and nothing else.
#
#   install_remove.sh WINE-RUN PREFIX DIST-FOLDER
set -euo pipefail
wine_run=$1 prefix=$2 dist=$3
source "$(dirname "$0")/screen.sh"
reg_value() {  # KEY VALUE -> the data, or nothing; VALUE (Default) is the key's own
  local which=(/v "$2")
  [ "$2" = '(Default)' ] && which=(/ve)
  WINEPREFIX=$prefix WINEDEBUG=-all timeout 60 wine reg query "$1" "${which[@]}" 2>/dev/null |
    tr -d '\r' | awk -v v="$2" 'index($0, v) { sub(/^ *[^ ]+ +REG_[A-Z_]+ +/, ""); print; exit }' ||
    true
}
reg_key_exists() {
  WINEPREFIX=$prefix WINEDEBUG=-all timeout 60 wine reg query "$1" >/dev/null 2>&1
}

rm -rf "$prefix" "$prefix.lock"
cp -r "$dist" "$work/product"
"$wine_run" --prefix="$prefix" "$work/product/setup.exe" >"$work/setup.log" 2>&1 &
setup=$!
window=$(wait_for_window '^Lumadir 2.0$' 180) || fail "the installer did not appear"
sleep 1
press() { xdotool windowfocus "$window" 2>/dev/null || true; xdotool key "$@"; sleep 1; }
press Return      # welcome (English) -> licence
press alt+a       # accept the licence
press Return      # -> target folder and options (both checked)
press Return      # -> summary
press Return      # -> install
for _ in $(seq 100); do
  [ -n "$(reg_value 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\vlmd1' DisplayName)" ] && break
  sleep 0.3
done
press Escape      # close
for _ in $(seq 50); do kill -0 "$setup" 2>/dev/null || break; sleep 0.2; done

target_windows=$(reg_value 'HKLM\Software\VEXA\LMD1' inst_dir)
[ -n "$target_windows" ] || fail "no inst_dir after the installation"
target="$prefix/drive_c/Program Files/VEXA/LMD1"
[ "$target_windows" = 'C:\Program Files\VEXA\LMD1\' ] || fail "inst_dir is $target_windows"
for f in lumadir.exe vx_regex.dll remove.exe vxlang.xml remove_lang.xml settings.ini filter.txt \
         format.xml license.txt readme.txt support.html help.html lmd.gif logo.gif vxleft.html \
         vxmain.html vxtop.html vxtop_toolbar.html help/ui_main.html help/3100.html images/main-window.png; do
  [ -f "$target/$f" ] || fail "$f was not installed"
done
[ ! -e "$target/setup.exe" ] || fail "setup.exe was not renamed to lumadir.exe"
[ "$(reg_value 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\vlmd1' UninstallString)" = \
  '"C:\Program Files\VEXA\LMD1\remove.exe"' ] || fail "wrong UninstallString"
verb=$(reg_value 'HKCR\folder\shell\Print listing with Lumadir\command' '(Default)')
[ "$verb" = '"C:\Program Files\VEXA\LMD1\lumadir.exe" "%1"' ] || fail "the folder verb is: $verb"
menu=$(reg_value 'HKLM\Software\VEXA\LMD1' icon_dir)
[ -n "$menu" ] || fail "no icon_dir"
shortcuts=$(find "$prefix/drive_c" -path '*/VEXA Lumadir/*.lnk' | wc -l)
[ "$shortcuts" -eq 3 ] || fail "$shortcuts shortcuts in the programs menu, not 3"
find "$prefix/drive_c" -path '*Desktop/VEXA Lumadir.lnk' | grep -q . || fail "no desktop shortcut"

# The folder verb, as the shell runs it for a right-clicked folder.
mkdir -p "$work/My Folder/sub"
printf 'x' > "$work/My Folder/sub/file.txt"
folder=$(windows_path "$work/My Folder")
"$wine_run" --prefix="$prefix" "C:\\Program Files\\VEXA\\LMD1\\lumadir.exe" "$folder" >"$work/gui.log" 2>&1 &
gui=$!
main=$(wait_for_window '^Lumadir 2.0$' 60) || fail "the installed program did not start"
sleep 1
xdotool windowfocus "$main" 2>/dev/null || true
xdotool key ctrl+s
dialog=$(wait_for_window '^Save listing file as$' 30) || fail "no save dialog"
sleep 1
xdotool type --delay 20 "$(windows_path "$work/listed.html")"
xdotool key Return
for _ in $(seq 100); do grep -q '</html>' "$work/listed.html" 2>/dev/null && break; sleep 0.2; done
grep -q 'file.txt' "$work/listed.html" || fail "the verb's listing lacks the folder's file"
xdotool windowfocus "$main" 2>/dev/null || true
xdotool key alt+F4
for _ in $(seq 50); do kill -0 "$gui" 2>/dev/null || break; sleep 0.2; done

# A second installation over the first keeps the user's own files and
# replaces the rest.
for own in settings.ini filter.txt format.xml; do printf 'mine' > "$target/$own"; done
printf 'old' > "$target/readme.txt"
"$wine_run" --prefix="$prefix" "$work/product/setup.exe" >"$work/setup2.log" 2>&1 &
setup=$!
window=$(wait_for_window '^Lumadir 2.0$' 60) || fail "the installer did not appear again"
sleep 1
press Return alt+a Return Return Return
for _ in $(seq 100); do cmp -s "$target/readme.txt" "$work/product/readme.txt" && break; sleep 0.3; done
press Escape
for _ in $(seq 50); do kill -0 "$setup" 2>/dev/null || break; sleep 0.2; done
for own in settings.ini filter.txt format.xml; do
  [ "$(cat "$target/$own")" = mine ] || fail "the second installation replaced $own"
done
cmp -s "$target/readme.txt" "$work/product/readme.txt" || fail "the second installation kept an old readme.txt"

# Removal, quietly and with the user's own files (/all), then a restart of the (Wine) system for what had to wait.
"$wine_run" --prefix="$prefix" "C:\\Program Files\\VEXA\\LMD1\\remove.exe" /quiet /all >"$work/remove.log" 2>&1 ||
  fail "remove.exe failed"
WINEPREFIX=$prefix WINEDEBUG=-all timeout 120 wine wineboot -r >/dev/null 2>&1 || true
WINEPREFIX=$prefix timeout 60 wineserver -w || true
left=$(find "$prefix/drive_c/Program Files/VEXA" 2>/dev/null | head -5 || true)
[ -z "$left" ] || fail "left behind: $left"
find "$prefix/drive_c" -name '*.lnk' | grep -q 'VEXA Lumadir' && fail "shortcuts left behind"
reg_key_exists 'HKLM\Software\VEXA\LMD1' && fail "Software\\VEXA\\LMD1 left behind"
reg_key_exists 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\vlmd1' && fail "uninstall entry left"
reg_key_exists 'HKCR\folder\shell\Print listing with Lumadir' && fail "folder verb left behind"

# A third installation, removed without /all: the user's own files stay (and
# their folder with them), nothing else of the installation does.
"$wine_run" --prefix="$prefix" "$work/product/setup.exe" >"$work/setup3.log" 2>&1 &
setup=$!
window=$(wait_for_window '^Lumadir 2.0$' 60) || fail "the installer did not appear a third time"
sleep 1
press Return alt+a Return Return Return
for _ in $(seq 100); do
  [ -n "$(reg_value 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\vlmd1' DisplayName)" ] && break
  sleep 0.3
done
press Escape
for _ in $(seq 50); do kill -0 "$setup" 2>/dev/null || break; sleep 0.2; done
[ -f "$target/lumadir.exe" ] || fail "the third installation did not install"
for own in settings.ini filter.txt format.xml; do printf 'mine' > "$target/$own"; done
"$wine_run" --prefix="$prefix" "C:\\Program Files\\VEXA\\LMD1\\remove.exe" /quiet >"$work/remove2.log" 2>&1 ||
  fail "remove.exe without /all failed"
WINEPREFIX=$prefix WINEDEBUG=-all timeout 120 wine wineboot -r >/dev/null 2>&1 || true
WINEPREFIX=$prefix timeout 60 wineserver -w || true
for own in settings.ini filter.txt format.xml; do
  [ "$(cat "$target/$own" 2>/dev/null)" = mine ] || fail "removal without /all took $own"
done
left=$(cd "$target" && find . -mindepth 1 | sort | tr '\n' ' ')
[ "$left" = './filter.txt ./format.xml ./settings.ini ' ] || fail "removal without /all left: $left"
reg_key_exists 'HKLM\Software\VEXA\LMD1' && fail "Software\\VEXA\\LMD1 left behind without /all"
reg_key_exists 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\vlmd1' && fail "uninstall entry left without /all"
find "$prefix/drive_c" -name '*.lnk' | grep -q 'VEXA Lumadir' && fail "shortcuts left behind without /all"
echo "installed, listed through the folder verb, installed again keeping the user's files, removed without a trace, removed without /all keeping only the user's files"
