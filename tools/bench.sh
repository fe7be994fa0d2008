#!/usr/bin/env bash
# Builds the benchmarks natively with optimisation and no sanitizers, and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/bootstrap.sh
if [ ! -f build-bench/build.ninja ]; then
  cmake -S . -B build-bench -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=Release -DLUMADIR_SANITIZE=OFF
fi
cmake --build build-bench --target regex_bench
build-bench/bench/regex_bench
