#!/usr/bin/env bash
# How much memory the real program holds with a large catalogue: builds the release program,
# lays out a fresh application folder whose database holds the sample catalogue scaled up to
# PRODUCTS (100,000 unless told), starts marvono under Xvfb and a window manager, logs in with the
# delivered account by real key presses, waits for the main window and for the program's memory
# to settle (the list filled and painted), and prints its resident and peak resident memory
# (VmRSS, VmHWM) in MB.   usage: scripts/memory.sh [PRODUCTS]
set -euo pipefail
cd "$(dirname "$0")/.."
PRODUCTS=${1:-100000}
BUILD=${BENCH_BUILD_DIR:-build-rel}
fail() { echo "memory: $*" >&2; exit 1; }
for tool in xvfb-run xdotool openbox xprop; do
    command -v "$tool" >/dev/null || fail "$tool is needed (scripts/deps.sh test installs it)"
done
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMARVONO_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target marvono appdir marvono-makesample >/dev/null

WORK=$(mktemp -d /tmp/marvono-memory.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
SHOP="$WORK/shop"
mkdir -p "$SHOP" "$WORK/home" "$WORK/run"
chmod 700 "$WORK/run"
# The executable's own folder is the application folder when it can be written.
cp -r "$BUILD/appdir/." "$SHOP/"
cp "$BUILD/delivery/system32.dll" "$SHOP/"
QT_QPA_PLATFORM=offscreen "$BUILD/tools/marvono-makesample" "$SHOP" "$PRODUCTS" >/dev/null

# A home and runtime folder of its own: no settings of the operator's, and no running copy of
# the program is woken instead of starting this one.
cat >"$WORK/inside.sh" <<'INSIDE'
set -eu
. "$SCRIPTS/xsession.sh"
start_window_manager
"$SHOP/marvono" &
PROGRAM=$!
trap 'kill $PROGRAM $WM 2>/dev/null || true' EXIT
log_in memory >/dev/null
# Settled: the same resident size over ten looks a fifth of a second apart.
rss() { awk '/^VmRSS:/ {print $2}' "/proc/$PROGRAM/status"; }
last=$(rss) same=0
while [ "$same" -lt 10 ]; do
    sleep 0.2
    now=$(rss)
    if [ "$now" = "$last" ]; then same=$((same + 1)); else same=0 last=$now; fi
done
awk -v products="$PRODUCTS" '/^VmRSS:/ {rss = $2} /^VmHWM:/ {hwm = $2}
    END {printf "%d products, main window shown and filled: VmRSS %.1f MB, VmHWM %.1f MB\n", products, rss / 1024, hwm / 1024}' \
    "/proc/$PROGRAM/status"
INSIDE
env -i HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/run" PATH=/usr/bin:/bin LANG=C.UTF-8 SHOP="$SHOP" PRODUCTS="$PRODUCTS" \
    SCRIPTS="$PWD/scripts" \
    xvfb-run -a -s "-screen 0 1280x800x24" sh "$WORK/inside.sh"
