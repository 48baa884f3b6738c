#!/usr/bin/env bash
# Real keys on the real program: S on a focused button presses "Sulje" and ends the program with
# exit code 0; S typed into the clock field is only text. The window carries the program icon.
#   keys_test.sh <siirtolux executable>
. "$(dirname "$0")/e2e_lib.sh"
exe=$1

start_display
start_program "$exe"
wid=$(wait_active_window "Siirtolux 1.0")
xprop -id "$wid" _NET_WM_ICON | grep -q "Icon (32 x 32)" || fail "the window has no 32 x 32 icon"

# The focus starts in the clock field: S there is typed, nothing ends.
xdotool key --delay 50 shift+s s
sleep 1
kill -0 "$APP_PID" 2>/dev/null || fail "S in the clock field ended the program"

# Tab to the list, to "Sulje", to "Kopioi"; S on "Kopioi" presses "Sulje".
xdotool key --delay 50 Tab Tab Tab s
expect_clean_exit 10
echo "PASS: S is text in a field and presses Sulje on a button; the window has its icon"
