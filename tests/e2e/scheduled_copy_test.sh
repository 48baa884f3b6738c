#!/usr/bin/env bash
# A scheduled copy with the close option, the settings window left open: a start time typed a few
# seconds ahead in the clock's own form fires once, copies the default source into the default
# destination, saves the log file and ends the program with exit code 0.
#   scheduled_copy_test.sh <siirtolux executable>
. "$(dirname "$0")/e2e_lib.sh"
exe=$1

# In the C locale the clock text is "MM/dd/yy hh:mm:ss", as date(1) writes it.
export LC_ALL=C
drive_c="$E2E_DIR/c"
export SIIRTOLUX_DRIVE_C="$drive_c"
make_source_tree "$drive_c/Omat tiedostot"
mkdir -p "$drive_c/Varakopiot"

start_display
start_program "$exe"
main=$(wait_active_window "Siirtolux 1.0")

settings=$(open_settings "$main")

# Three seconds leave time to type the text, arm the start and tick the close option.
start_time=$(c_clock_text $(($(date +%s) + 3)))
# Edit1 (8, 64, 129 x 21), "Aseta aloitus" (144, 63, 97 x 25), CheckBox2's box at (8, 144).
type_into "$settings" 72 74 "$start_time"
click_in "$settings" 192 75
click_in "$settings" 14 152
armed_at=$(date +%s)
[ "$armed_at" -lt "$(c_clock_seconds "$start_time")" ] ||
    fail "arming took until $(c_clock_text "$armed_at"), past the start time $start_time; nothing can be checked"

log="$E2E_DIR/app/loki.txt"
wait_path "$log" 15
expect_clean_exit 10
for title in Virhe Vahvista; do expect_no_window "$title"; done

expect_same_tree "$drive_c/Omat tiedostot" "$drive_c/Varakopiot/Omat tiedostot"

read_log "$log"
[ ${#LOG_LINES[@]} = 5 ] || {
    printf '%s\n' "${LOG_LINES[@]}" >&2
    fail "the log file has ${#LOG_LINES[@]} lines, expected the initial line, the scheduled-start line and one copy's three"
}
# The poll starts the copy when the clock shows the start time, so the start line repeats it.
finished=$(line_value "${LOG_LINES[4]}" "Kopiointi valmis!   ")
[ "$(c_clock_seconds "$finished")" -ge "$(c_clock_seconds "$start_time")" ] ||
    fail "completion line shows '$finished', before the start time $start_time"
expect_log_bytes "$log" \
    "Odotan kopiointi käskyä..." \
    "Kopiointi alkaa:   $start_time" \
    "Kopiointi aloitettu  $start_time" \
    'Kopioidaan  C:\Omat tiedostot C:\Varakopiot' \
    "Kopiointi valmis!   $finished"
echo "PASS: the start time $start_time fired once with the settings window open; the program ended by itself"
