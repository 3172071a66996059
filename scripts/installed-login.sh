#!/bin/sh
# Runs inside Xvfb as the operator: starts the installed marvono, types the delivered account
# into the login window and waits for the main window. Used by scripts/installed-start.sh.
set -eu
marvono &
PROGRAM=$!
trap 'kill $PROGRAM 2>/dev/null || true' EXIT
LOGIN=$(timeout 60 xdotool search --sync --onlyvisible --name '^QEX - Login$' | head -n 1)
[ -n "$LOGIN" ] || { echo "installed-login: no login window" >&2; exit 1; }
# No window manager runs under Xvfb: give the window the keyboard directly.
xdotool windowfocus --sync "$LOGIN"
xdotool type --delay 50 vetch
xdotool key Tab
xdotool type --delay 50 vetch
xdotool key Return
if ! timeout 60 xdotool search --sync --onlyvisible --name '^Marvono V1\.0\.1$' >/dev/null; then
    echo "installed-login: the main window did not appear after logging in" >&2
    exit 1
fi
# The data is only looked at after the program has ended, so nothing is written meanwhile.
kill "$PROGRAM"
wait "$PROGRAM" 2>/dev/null || true
trap - EXIT
