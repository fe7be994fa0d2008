#!/usr/bin/env bash
# Runs the benchmarks and prints their figures (they are not tests):
#  - the regex library against the host C library (native, optimised, no sanitizers);
#  - a bare walk against full listings of a 100 000-file tree, serial and read
#    ahead, with and without subfolder totals, on slow storage, and a stop; the
#    time per entry and peak memory of a 1 000 000-file tree (made once under
#    build/); each BENCH_RUNS times (3); the Type column on 100 000 files of
#    distinct extensions against 100 000 of one extension; and the 100 000-file
#    tree listed as HTML, CSV, JSON and text; all under Wine;
#  - XML and phrase-file load times, under Wine.
#   tools/bench.sh [regex|listing|xml]...     (default: all three)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/bootstrap.sh
which=${*:-regex listing xml}

for bench in $which; do
  case $bench in
    regex)
      if [ ! -f build-bench/build.ninja ]; then
        cmake -S . -B build-bench -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
          -DCMAKE_BUILD_TYPE=Release -DLUMADIR_SANITIZE=OFF >/dev/null
      fi
      cmake --build build-bench --target regex_bench >/dev/null
      echo "== regex"
      build-bench/bench/regex_bench
      ;;
    listing)
      tools/build.sh >/dev/null
      cmake --build build --target listing_bench >/dev/null
      tree=build/bench-tree
      [ -d "$tree" ] || python3 bench/make_tree.py "$tree"
      large=build/bench-tree-1m
      [ -d "$large" ] || python3 bench/make_tree.py "$large" 1000000 10000
      for run in $(seq "${BENCH_RUNS:-3}"); do
        echo "== listing, run $run"
        tools/wine-run --prefix="$PWD/build/wineprefix" build/bench/listing_bench.exe \
          "Z:$(pwd)/$tree" "Z:$(pwd)/build/app"
        tools/wine-run --prefix="$PWD/build/wineprefix" build/bench/listing_bench.exe million \
          "Z:$(pwd)/$tree" "Z:$(pwd)/$large" "Z:$(pwd)/build/app"
      done
      for kind in distinct one; do
        [ -d "build/bench-types-$kind" ] ||
          python3 bench/make_tree.py --types "$kind" "build/bench-types-$kind"
      done
      tools/wine-run --prefix="$PWD/build/wineprefix" build/bench/listing_bench.exe types \
        "Z:$(pwd)/build/bench-types-distinct" "Z:$(pwd)/build/bench-types-one" "Z:$(pwd)/build/app"
      tools/wine-run --prefix="$PWD/build/wineprefix" build/bench/listing_bench.exe forms \
        "Z:$(pwd)/$tree" "Z:$(pwd)/build/app"
      ;;
    xml)
      cmake --build build --target xml_bench >/dev/null
      echo "== xml"
      tools/wine-run --prefix="$PWD/build/wineprefix" build/bench/xml_bench.exe
      ;;
    *) echo "bench: unknown benchmark $bench" >&2; exit 2 ;;
  esac
done
