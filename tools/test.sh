#!/usr/bin/env bash
# Builds everything and runs every test: the Windows build under Wine, then the
# platform-free code natively under AddressSanitizer and UBSan.
#   tools/test.sh            all tests
#   tools/test.sh -R regex   only the CTest tests whose names match (both builds)
set -uo pipefail
cd "$(dirname "$0")/.."
tools/bootstrap.sh || exit 1

jobs=$(nproc)
win=build
host=build-host

configure_and_build() {
  local dir=$1; shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja "$@" >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; return 1; }
  fi
  cmake --build "$dir" -j "$jobs"
}

mkdir -p "$win" "$host"
configure_and_build "$win" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo || exit 1
configure_and_build "$host" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=Debug || exit 1

# One warm Wine server for the whole run; the prefix is made on first use.
export WINEPREFIX=$PWD/$win/wineprefix
tools/wine-run cmd /c exit 0 >/dev/null 2>&1
wineserver -p 2>/dev/null || true
trap 'WINEPREFIX=$PWD/$win/wineprefix wineserver -k 2>/dev/null' EXIT

status=0
passed=0
failed=0
for dir in "$win" "$host"; do
  echo "== tests of $dir"
  log=$(mktemp)
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" "$@" 2>&1 | tee "$log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  # "100% tests passed, 0 tests failed out of 7"
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -n "$line" ]; then
    f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
    passed=$((passed + t - f))
    failed=$((failed + f))
  elif ! grep -q 'No tests were found' "$log"; then
    status=1
  fi
  rm -f "$log"
done
echo "lumadir: $passed passed, $failed failed"
exit $status
