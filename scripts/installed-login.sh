#!/bin/sh
# Runs inside Xvfb as the operator: starts a window manager and the installed marvono, types the
# delivered account into the login window, waits for the main window and checks that its frame
# (title bar included) is wholly on the screen at the fixed outer size. Used by
# scripts/installed-start.sh.
set -eu
. "$(dirname "$0")/xsession.sh"
start_window_manager
marvono &
PROGRAM=$!
trap 'kill $PROGRAM $WM 2>/dev/null || true' EXIT
MAIN=$(log_in installed-login)
# The frame: the client area's place and size widened by the frame extents the window manager
# sets. Polled, as the window manager frames the window and the program sizes it a moment later.
frame() {
    set -- $(xprop -id "$MAIN" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ,) \
        $(xwininfo -id "$MAIN" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
                                     /Width:/ {w = $2} /Height:/ {h = $2} END {print x, y, w, h}')
    [ $# -eq 8 ] && echo $(($5 - $1)) $(($6 - $3)) $(($7 + $1 + $2)) $(($8 + $3 + $4))
}
set -- $(xwininfo -root | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w, h}')
SCREEN_W=$1 SCREEN_H=$2
tries=0
until FRAME=$(frame) && set -- $FRAME && [ "$1" -ge 0 ] && [ "$2" -ge 0 ] && [ "$3" -eq 1024 ] \
    && [ "$4" -eq 750 ] && [ $(($1 + $3)) -le "$SCREEN_W" ] && [ $(($2 + $4)) -le "$SCREEN_H" ]; do
    tries=$((tries + 1))
    if [ "$tries" -ge 50 ]; then
        echo "installed-login: the main window's frame (left top width height: ${FRAME:-unknown})" \
            "is not a 1024 x 750 frame wholly on the ${SCREEN_W} x ${SCREEN_H} screen" >&2
        exit 1
    fi
    sleep 0.2
done
# The data is only looked at after the program has ended, so nothing is written meanwhile.
kill "$PROGRAM"
wait "$PROGRAM" 2>/dev/null || true
kill "$WM" 2>/dev/null || true
trap - EXIT
