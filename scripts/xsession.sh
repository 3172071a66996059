# Sourced by the scripts that drive Marvono under Xvfb: a window manager, waiting for a window,
# and logging in with the delivered account by real key presses.

# Starts openbox and waits until it manages the screen; its process is $WM.
start_window_manager() {
    openbox >/dev/null 2>&1 &
    WM=$!
    timeout 30 sh -c 'until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do sleep 0.2; done'
}

# The first visible window whose name matches $1, waited for up to a minute. A search that meets
# a window going away (the splash closing) fails, so it is simply asked again.
wait_window() {
    tries=0
    while [ "$tries" -lt 300 ]; do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) || true
        [ -n "$id" ] && echo "$id" && return 0
        tries=$((tries + 1))
        sleep 0.2
    done
}

# Types the delivered account into the login window and prints the main window's id once it is
# shown; $1 names the caller in what it says when either window does not come.
log_in() {
    login=$(wait_window '^QEX - Login$')
    [ -n "$login" ] || { echo "$1: no login window" >&2; return 1; }
    # Under Xvfb nothing else clicks or focuses: give the window the keyboard directly.
    xdotool windowfocus --sync "$login"
    xdotool type --delay 50 vetch
    xdotool key Tab
    xdotool type --delay 50 vetch
    xdotool key Return
    main=$(wait_window '^Marvono V1\.0\.1$')
    [ -n "$main" ] || { echo "$1: the main window did not appear after logging in" >&2; return 1; }
    echo "$main"
}
