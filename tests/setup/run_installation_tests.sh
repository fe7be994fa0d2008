#!/usr/bin/env bash
# Runs installation_tests with drive M: of the prefix mapped to a scratch
# folder, which stands for a second disk in the bare-drive test.
#   run_installation_tests.sh WINE-RUN PREFIX TESTS-EXE DIST-FOLDER
set -u
wine_run=$1 prefix=$2 tests=$3 dist=$4
disk=$(mktemp -d /tmp/lumadir-drive-m.XXXXXX)
"$wine_run" --prefix="$prefix" cmd /c exit >/dev/null 2>&1  # makes the prefix when new
ln -sfn "$disk" "$prefix/dosdevices/m:"
"$wine_run" --prefix="$prefix" "$tests" "Z:${dist//\//\\}" "Z:${disk//\//\\}"
status=$?
rm -f "$prefix/dosdevices/m:"
rm -rf "$disk"
exit $status
