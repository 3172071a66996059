#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 60).
# Longer runs: scripts/fuzz.sh 3600. A crash leaves its input in build-fuzz/crashes/.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-60}
BUILD=${FUZZ_BUILD_DIR:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMARVONO_FUZZ=ON \
    -DMARVONO_BUILD_TESTS=OFF -DMARVONO_BUILD_BENCH=OFF >/dev/null
targets=$(cd fuzz && ls fuzz_*.cpp | sed 's/\.cpp$//')
cmake --build "$BUILD" -j"$(nproc)" --target $targets
mkdir -p "$BUILD/crashes" "$BUILD/corpus/workbook"
MARVONO_WRITE_SEED="$BUILD/corpus/workbook/seed.biff" "$BUILD/fuzz/fuzz_workbook" >/dev/null 2>&1 || true
status=0
for t in $targets; do
    name=${t#fuzz_}
    corpus="$BUILD/corpus/$name"
    mkdir -p "$corpus"
    [ -d "fuzz/corpus/$name" ] && cp -n fuzz/corpus/$name/* "$corpus/" 2>/dev/null || true
    echo "== $t for ${SECONDS_EACH}s"
    # Full stacks let the suppressions name the library function that leaks.
    opts=""
    [ "$t" = fuzz_workbookfile ] && opts="fast_unwind_on_malloc=0"
    if ! ASAN_OPTIONS="$opts" LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp" "$BUILD/fuzz/$t" -max_total_time="$SECONDS_EACH" -print_final_stats=0 \
        -artifact_prefix="$BUILD/crashes/$name-" "$corpus" >"$BUILD/$t.log" 2>&1; then
        echo "FAILED: $t (see $BUILD/$t.log and $BUILD/crashes/)"
        tail -30 "$BUILD/$t.log"
        status=1
    else
        grep -E "^#[0-9]+.*(DONE|pulse)" "$BUILD/$t.log" | tail -1 || true
    fi
done
exit $status
