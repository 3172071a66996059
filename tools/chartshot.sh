#!/usr/bin/env bash
# Takes docs/chart.png: the sales chart of a month of sample sales, drawn by a real X server
# (Xvfb) from a sample shop laid out in a temporary folder. It installs what is missing and builds
# what it needs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
BUILD=${BUILD_DIR:-build}
cmake -S . -B "$BUILD" -G Ninja >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target delivery marvono-makesample marvono-chartshot
SHOP=$(mktemp -d)
trap 'rm -rf "$SHOP"' EXIT
cmake -DDELIVERY_DIR="$BUILD/delivery" -DAPPDIR="$SHOP" -DWITH_DATABASE=ON -P cmake/LayoutAppDir.cmake
"$BUILD/tools/marvono-makesample" "$SHOP" >/dev/null
mkdir -p docs
env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" \
    "$BUILD/tools/marvono-chartshot" "$SHOP" docs/chart.png
echo "wrote docs/chart.png"
