#!/usr/bin/env bash
# A copy started by a click on "Kopioi": paths typed into the main window's fields (one with "ä"
# and blanks) are copied whole, attributes kept, into an existing destination folder, and the
# log file beside the program holds the four lines of the event log in UTF-8 with CR LF. The
# program then goes on running with "Kopioi" disabled.
#   copy_test.sh <siirtolux executable>
. "$(dirname "$0")/e2e_lib.sh"
exe=$1

export LC_ALL=C
drive_c="$E2E_DIR/c"
export SIIRTOLUX_DRIVE_C="$drive_c"
source_text='C:\Lähde kansio'
destination_text='c:\kohde'
make_source_tree "$drive_c/Lähde kansio"
# Typed in another case than it is on disk, as names on the program's home platform ignore case.
mkdir -p "$drive_c/Kohde"

start_display
start_program "$exe"
wid=$(wait_active_window "Siirtolux 1.0")

# Edit2 (16, 184, 145 x 21) and Edit3 (168, 184, 137 x 21); "Kopioi" (312, 72, 89 x 25).
type_into "$wid" 88 194 "$source_text"
type_into "$wid" 236 194 "$destination_text"
before=$(date +%s)
click_in "$wid" 356 84

log="$E2E_DIR/app/loki.txt"
wait_path "$log" 20
after=$(date +%s)
for title in Virhe Vahvista; do expect_no_window "$title"; done

expect_same_tree "$drive_c/Lähde kansio" "$drive_c/Kohde/Lähde kansio"
[ "$(ls -A "$drive_c/Kohde")" = "Lähde kansio" ] || fail "the destination holds more than the source folder"

read_log "$log"
[ ${#LOG_LINES[@]} = 4 ] || fail "the log file has ${#LOG_LINES[@]} lines, expected 4"
started=$(line_value "${LOG_LINES[1]}" "Kopiointi aloitettu  ")
finished=$(line_value "${LOG_LINES[3]}" "Kopiointi valmis!   ")
# The clock shows the second of the click (the clock ticks every 500 ms, so it may lag by one);
# the completion line repeats the clock as it stands once the copy is over.
start_s=$(c_clock_seconds "$started")
end_s=$(c_clock_seconds "$finished")
[ "$start_s" -ge $((before - 1)) ] && [ "$start_s" -le "$after" ] ||
    fail "start line shows '$started', not a time between the click and the save"
[ "$end_s" -ge "$start_s" ] && [ "$end_s" -le "$after" ] ||
    fail "completion line shows '$finished', not a time between the start and the save"
expect_log_bytes "$log" \
    "Odotan kopiointi käskyä..." \
    "Kopiointi aloitettu  $started" \
    "Kopioidaan  $source_text $destination_text" \
    "Kopiointi valmis!   $finished"

# The program goes on running after a copy without the close option, with "Kopioi" disabled:
# another click copies nothing, asks nothing and leaves the log file as it is.
program_running || fail "the program ended after the copy"
cp "$log" "$E2E_DIR/first-log"
click_in "$wid" 356 84
sleep 1
for title in Virhe Vahvista Kopioidaan; do expect_no_window "$title"; done
cmp -s "$log" "$E2E_DIR/first-log" || fail "a click on the disabled Kopioi changed the log file"
kill -TERM "$APP_PID"
expect_clean_exit 10
echo "PASS: typed paths copied whole with attributes; loki.txt holds the four lines in UTF-8 with CR LF; Kopioi is disabled after the copy"
