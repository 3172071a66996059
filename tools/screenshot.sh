#!/usr/bin/env bash
# Takes docs/screenshot.png: the main window on the sample catalogue, drawn by a real X server
# (Xvfb). Anyone can run it; it installs what is missing and builds what it needs.
# tools/screenshot.sh TOOL PICTURE photographs another window the same way (see chartshot.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
TOOL=${1:-marvono-screenshot}
PICTURE=${2:-docs/screenshot.png}
scripts/deps.sh test
BUILD=${BUILD_DIR:-build}
cmake -S . -B "$BUILD" -G Ninja >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target delivery marvono-makesample "$TOOL"
SHOP=$(mktemp -d)
trap 'rm -rf "$SHOP"' EXIT
cmake -DDELIVERY_DIR="$BUILD/delivery" -DAPPDIR="$SHOP" -DWITH_DATABASE=ON -P cmake/LayoutAppDir.cmake
"$BUILD/tools/marvono-makesample" "$SHOP" >/dev/null
mkdir -p docs
env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" \
    "$BUILD/tools/$TOOL" "$SHOP" "$PICTURE"
echo "wrote $PICTURE"
