#!/usr/bin/env bash
# Prints a listing the way a user would: lumadir-cli lists a folder, headless
# Chromium prints the HTML to PDF, and pdftoppm turns the pages into PNGs for a
# look at page breaks, repeated headings and printed colours.
#   tools/print-listing.sh [FOLDER] [OUT_DIR]     (defaults: this repository, build/print)
set -euo pipefail
cd "$(dirname "$0")/.."
folder=${1:-$PWD}
out=${2:-build/print}
for tool in chromium pdftoppm; do
  command -v "$tool" >/dev/null || {
    echo "print-listing: $tool is missing; as root: apt-get install -y chromium poppler-utils" >&2
    exit 1
  }
done
[ -x build/app/lumadir-cli.exe ] || tools/build.sh >/dev/null
mkdir -p "$out"
out=$(cd "$out" && pwd)
tools/wine-run --prefix="$PWD/build/wineprefix" build/app/lumadir-cli.exe --times -o "$out/listing.html" "$folder"
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
chromium --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
  --disable-component-update --disable-sync --user-data-dir="$profile" \
  --no-pdf-header-footer --print-to-pdf="$out/listing.pdf" "file://$out/listing.html" 2>/dev/null
rm -f "$out"/page-*.png
pdftoppm -r 60 -png "$out/listing.pdf" "$out/page"
echo "Listing: $out/listing.html"
echo "PDF:     $out/listing.pdf ($(ls "$out"/page-*.png | wc -l) pages as $out/page-*.png)"
