#!/usr/bin/env bash
# Installs what is missing, builds, lays out a ready application folder (build/appdir) and
# starts Marvono. The first time, the folder's database gets a sample catalogue.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
BUILD=${BUILD_DIR:-build}
cmake -S . -B "$BUILD" -G Ninja -DMARVONO_BUILD_TESTS=OFF -DMARVONO_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target marvono appdir marvono-makesample
APPDIR="$BUILD/appdir"
if [ ! -f "$APPDIR/system32.dll" ]; then
    cp "$BUILD/delivery/system32.dll" "$APPDIR/system32.dll"
    "$BUILD/tools/marvono-makesample" "$APPDIR"
fi
echo "Application folder: $APPDIR (log in as vetch / vetch)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: to run Marvono headless, use: xvfb-run -a $APPDIR/marvono"
    exit 0
fi
exec "$APPDIR/marvono"
