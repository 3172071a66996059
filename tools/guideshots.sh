#!/usr/bin/env bash
# Takes the user guide's pictures (docs/images/*.png) from the real program on the sample
# catalogue, drawn by a real X server (Xvfb), so they never go stale. Installs what is missing
# and builds what it needs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
BUILD=${BUILD_DIR:-build}
cmake -S . -B "$BUILD" -G Ninja >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target delivery docs marvono-makesample marvono-guideshots
SHOP=$(mktemp -d)
trap 'rm -rf "$SHOP"' EXIT
cmake -DDELIVERY_DIR="$BUILD/delivery" -DAPPDIR="$SHOP" -DWITH_DATABASE=ON -P cmake/LayoutAppDir.cmake
"$BUILD/tools/marvono-makesample" "$SHOP" >/dev/null
mkdir -p docs/images
env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" \
    "$BUILD/tools/marvono-guideshots" "$SHOP" docs/images
echo "wrote docs/images"
