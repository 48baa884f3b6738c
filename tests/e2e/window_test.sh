#!/usr/bin/env bash
# The main window at 96 dpi: its title, its client area of 408 x 218, its class, its fixed size,
# and its place in the middle of the screen.
#   window_test.sh <siirtolux executable>
. "$(dirname "$0")/e2e_lib.sh"
exe=$1

start_display 96
start_program "$exe"
wid=$(wait_window "Siirtolux 1.0")
client_geometry "$wid"
[ "$WIN_W" = 408 ] && [ "$WIN_H" = 218 ] || fail "client area ${WIN_W}x${WIN_H}, expected 408x218"
xprop -id "$wid" WM_CLASS | grep -q '"siirtolux"' || fail "WM_CLASS is not siirtolux"
hints=$(xprop -id "$wid" WM_NORMAL_HINTS)
echo "$hints" | grep -q "minimum size: 408 by 218" || fail "no fixed minimum size"
echo "$hints" | grep -q "maximum size: 408 by 218" || fail "no fixed maximum size"
# Centred: (1024 - 408) / 2 and (768 - 218) / 2.
[ "$WIN_X" = 308 ] || fail "left edge at $WIN_X, expected 308"
[ "$WIN_Y" = 275 ] || fail "top edge at $WIN_Y, expected 275"
kill -TERM "$APP_PID"
expect_clean_exit 10
echo "PASS: main window 408x218, WM_CLASS siirtolux, fixed size, centred"
