#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh test
BUILD=${BUILD_DIR:-build}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-Debug} -DMARVONO_BUILD_TESTS=ON -DMARVONO_BUILD_BENCH=ON ${CI:+-DMARVONO_WERROR=ON} ${CMAKE_EXTRA:-} >/dev/null
cmake --build "$BUILD" -j"$(nproc)"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
cd "$BUILD" && ctest --output-on-failure -j"$(nproc)" "$@"
