#!/usr/bin/env bash
# The real program on a real X server ends with exit code 0 when it is closed with Alt+F4, with
# the close box of its title bar, or with SIGTERM.
#   ending_test.sh <siirtolux executable> alt-f4|close-box|sigterm
. "$(dirname "$0")/e2e_lib.sh"
exe=$1
how=$2

start_display
start_program "$exe"
wid=$(wait_active_window "Siirtolux 1.0")

case "$how" in
alt-f4)
    xdotool key --clearmodifiers alt+F4
    ;;
close-box)
    # The close box is the rightmost button of openbox's title bar, in the frame above the
    # client area's top-right corner.
    client_geometry "$wid"
    top_extent=$(xprop -id "$wid" _NET_FRAME_EXTENTS | sed -E 's/.*= *[0-9]+, *[0-9]+, *([0-9]+),.*/\1/')
    xdotool mousemove $((WIN_X + WIN_W - 8)) $((WIN_Y - top_extent / 2)) click 1
    ;;
sigterm)
    kill -TERM "$APP_PID"
    ;;
*)
    fail "unknown way of ending: $how"
    ;;
esac
expect_clean_exit 10
echo "PASS: $how ends the program with exit code 0"
