#!/usr/bin/env bash
# Builds the product for Windows into build/app/ (the runnable program folder).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/bootstrap.sh
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j "$(nproc)"
echo "Built into $(pwd)/build/app:"
ls -1 build/app 2>/dev/null || echo "  (nothing yet)"
