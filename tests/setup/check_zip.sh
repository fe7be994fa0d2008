#!/usr/bin/env bash
# The product zip holds exactly the product folder, as one folder: unpacked
# anywhere it adds that folder and nothing beside it.
#   check_zip.sh ZIP DIST-FOLDER FOLDER-NAME
set -euo pipefail
zip=$1 dist=$2 name=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work"
top=$(ls -A "$work")
[ "$top" = "$name" ] || { echo "FAIL: the zip unpacks into: $top" >&2; exit 1; }
diff -r "$dist" "$work/$name" >/dev/null || { echo "FAIL: $name differs from $dist" >&2; exit 1; }
echo "the zip unpacks into $name, which holds the product folder"
