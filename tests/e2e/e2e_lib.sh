# Shared steps of the end-to-end tests: each test runs its own copy of the program in its own
# folder (so its loki.txt is its own) on its own X server with a window manager.
set -euo pipefail

E2E_DIR=$(mktemp -d /tmp/siirtolux-e2e.XXXXXX)
chmod 755 "$E2E_DIR"
E2E_PIDS=()

e2e_cleanup() {
    local pid
    for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${E2E_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$E2E_DIR"
}
trap e2e_cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Starts Xvfb on a free display at 96 dpi and openbox on it; exports DISPLAY. A display number
# that another X server on the machine is just giving up can refuse the window manager, so the
# pair is started afresh a few times before the test fails.
start_display() {
    local dpi=${1:-96} attempt
    for attempt in 1 2 3 4 5; do
        try_display "$dpi" && return 0
        echo "X server or window manager did not come up (attempt $attempt), starting them again" >&2
    done
    fail "openbox did not start"
}

try_display() {
    local dpi=$1 i xvfb wm
    : >"$E2E_DIR/display"
    exec 3>"$E2E_DIR/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi "$dpi" -nolisten tcp >"$E2E_DIR/xvfb.log" 2>&1 &
    xvfb=$!
    E2E_PIDS+=($xvfb)
    for i in $(seq 100); do
        [ -s "$E2E_DIR/display" ] && break
        sleep 0.05
    done
    exec 3>&-
    export DISPLAY=":$(head -n1 "$E2E_DIR/display")"
    openbox --sm-disable >"$E2E_DIR/openbox.log" 2>&1 &
    wm=$!
    E2E_PIDS+=($wm)
    # The window manager owns the screen once it has set its supporting window.
    for i in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        kill -0 "$wm" 2>/dev/null || break
        sleep 0.05
    done
    kill "$wm" "$xvfb" 2>/dev/null || true
    wait "$wm" "$xvfb" 2>/dev/null || true
    return 1
}

# Copies the program into the test's folder and starts it; sets APP_PID.
start_program() {
    local exe=$1
    mkdir -p "$E2E_DIR/app"
    cp "$exe" "$E2E_DIR/app/siirtolux"
    (cd "$E2E_DIR" && exec "$E2E_DIR/app/siirtolux" >"$E2E_DIR/program.log" 2>&1) &
    APP_PID=$!
}

# Waits for the window titled $1 to be mapped; prints its id.
wait_window() {
    local title=$1 i id
    for i in $(seq 200); do
        id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n1 || true)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        if ! kill -0 "$APP_PID" 2>/dev/null; then
            cat "$E2E_DIR/program.log" >&2
            fail "the program ended before its window appeared"
        fi
        sleep 0.05
    done
    fail "no window titled '$title'"
}

# Waits for the window titled $1 and activates it; prints its id.
wait_active_window() {
    local id
    id=$(wait_window "$1") || exit 1
    xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
    echo "$id"
}

# Clicks "Asetukset" (312, 104, 89 x 25) in the main window $1 and waits for the settings
# window; prints its id.
open_settings() {
    click_in "$1" 356 116 || exit 1
    wait_active_window "Kopiointi asetukset"
}

# Waits for the program to end (at most $1 seconds) and sets APP_RC to its exit code.
wait_exit() {
    local limit=${1:-10} i state
    for i in $(seq $((limit * 20))); do
        state=$(ps -o stat= -p "$APP_PID" 2>/dev/null || true)
        if [ -z "$state" ] || [ "${state:0:1}" = Z ]; then
            APP_RC=0
            wait "$APP_PID" || APP_RC=$?
            return 0
        fi
        sleep 0.05
    done
    fail "the program did not end within $limit s"
}

# Sets WIN_X, WIN_Y, WIN_W, WIN_H: the client area of window $1 on the screen.
client_geometry() {
    local info
    info=$(xwininfo -id "$1")
    WIN_X=$(echo "$info" | sed -n 's/.*Absolute upper-left X: *//p')
    WIN_Y=$(echo "$info" | sed -n 's/.*Absolute upper-left Y: *//p')
    WIN_W=$(echo "$info" | sed -n 's/.*Width: *//p')
    WIN_H=$(echo "$info" | sed -n 's/.*Height: *//p')
}

# Fails unless the program ended with exit code 0 and its sanitizers had nothing to say.
expect_clean_exit() {
    wait_exit "${1:-10}"
    if [ "$APP_RC" != 0 ]; then
        cat "$E2E_DIR/program.log" >&2
        fail "exit code $APP_RC, expected 0"
    fi
}

# Succeeds while the program runs; an ended program that is not yet waited for counts as ended.
program_running() {
    local state
    state=$(ps -o stat= -p "$APP_PID" 2>/dev/null || true)
    [ -n "$state" ] && [ "${state:0:1}" != Z ]
}

# Clicks at (x, y) of window $1's client area, in pixels at 96 dpi. (No --sync: it waits for
# the pointer to move, which never happens when it is there already.)
click_in() {
    client_geometry "$1"
    xdotool mousemove $((WIN_X + $2)) $((WIN_Y + $3)) click 1
}

# Replaces the text of the edit field at (x, y) of window $1 with $4: a click puts the focus in
# the field, Ctrl+A selects all it holds, and the typed text replaces the selection.
type_into() {
    click_in "$1" "$2" "$3"
    xdotool key --clearmodifiers ctrl+a
    # xdotool reads the text in its own locale.
    LC_ALL=C.UTF-8 xdotool type --delay 20 -- "$4"
}

# Waits until the path $1 exists (at most $2 seconds, default 10); fails otherwise, when the
# program ends first, or at once when an error window ("Virhe") is shown meanwhile.
wait_path() {
    local path=$1 limit=${2:-10} i
    for i in $(seq $((limit * 20))); do
        [ -e "$path" ] && return 0
        expect_no_window Virhe
        if ! program_running; then
            [ -e "$path" ] && return 0
            cat "$E2E_DIR/program.log" >&2
            fail "the program ended before $path appeared"
        fi
        sleep 0.05
    done
    fail "$path did not appear within $limit s"
}

# Fails when a window titled $1 is mapped.
expect_no_window() {
    if xdotool search --onlyvisible --name "^${1}\$" >/dev/null 2>&1; then
        fail "a window titled '$1' appeared"
    fi
}

# Makes a small source tree in folder $1: names with "ä" and blanks, a sub-folder, an empty
# file, random bytes spanning several write chunks, unusual permission bits, a relative symbolic
# link and modification times in the past.
make_source_tree() {
    local root=$1
    mkdir -p "$root/ali kansio/syvä"
    printf 'Hyvää päivää\r\n' >"$root/tiedosto ä.txt"
    head -c 3000001 /dev/urandom >"$root/satunnainen.bin"
    head -c 4099 /dev/urandom >"$root/ali kansio/pieni.bin"
    : >"$root/ali kansio/syvä/tyhjä"
    printf '#!/bin/sh\necho hei\n' >"$root/ali kansio/ajettava.sh"
    ln -s "../tiedosto ä.txt" "$root/ali kansio/linkki"
    chmod 600 "$root/satunnainen.bin"
    chmod 755 "$root/ali kansio/ajettava.sh"
    chmod 640 "$root/ali kansio/pieni.bin"
    chmod 750 "$root/ali kansio/syvä"
    touch -d '2021-03-04 05:06:07' "$root/tiedosto ä.txt"
    touch -d '2019-12-31 23:59:59' "$root/satunnainen.bin" "$root/ali kansio/syvä/tyhjä"
    touch -d '2020-06-15 12:00:00' "$root/ali kansio/pieni.bin" "$root/ali kansio/ajettava.sh"
}

# One line per entry under folder $1: its relative name and kind, and for a file its permission
# bits, modification time and size, for a folder its permission bits, for a link its target.
tree_manifest() {
    (
        cd "$1"
        find . -mindepth 1 -print0 | sort -z | while IFS= read -r -d '' entry; do
            if [ -L "$entry" ]; then
                echo "$entry link -> $(readlink "$entry")"
            elif [ -d "$entry" ]; then
                echo "$entry folder $(stat -c '%a' "$entry")"
            else
                echo "$entry $(stat -c '%F %a %Y %s' "$entry")"
            fi
        done
    )
}

# Fails unless folder $2 holds the same tree as folder $1: the same names, contents, kinds,
# permission bits, file modification times and link targets.
expect_same_tree() {
    [ -d "$2" ] || fail "no folder $2"
    diff -r --no-dereference "$1" "$2" >&2 || fail "$2 differs from $1"
    diff <(tree_manifest "$1") <(tree_manifest "$2") >&2 || fail "names, kinds or attributes in $2 differ from $1"
}

# The clock text of the C locale for the epoch second $1: "MM/dd/yy hh:mm:ss", or the date
# alone during the first second of a day.
c_clock_text() {
    local text
    text=$(LC_ALL=C date -d "@$1" '+%m/%d/%y %H:%M:%S')
    echo "${text% 00:00:00}"
}

# The epoch second of a C-locale clock text; fails on any other form.
c_clock_seconds() {
    [[ $1 =~ ^[0-9]{2}/[0-9]{2}/[0-9]{2}( [0-9]{2}:[0-9]{2}:[0-9]{2})?$ ]] ||
        fail "'$1' is not a clock text of the C locale"
    LC_ALL=C date -d "$1" +%s
}

# Splits the log file $1 into LOG_LINES after checking its form: valid UTF-8, no byte-order mark,
# CR LF after every line and no CR or LF anywhere else.
read_log() {
    local file=$1 bare
    [ -f "$file" ] || fail "no log file $file"
    iconv -f UTF-8 -t UTF-8 "$file" >/dev/null 2>&1 || fail "$file is not valid UTF-8"
    [ "$(head -c 3 "$file" | od -An -tx1 | tr -d ' ')" != efbbbf ] || fail "$file starts with a byte-order mark"
    [ "$(tail -c 2 "$file" | od -An -tx1 | tr -d ' ')" = 0d0a ] || fail "$file does not end in CR LF"
    # With every CR LF taken out, no CR or LF may be left.
    bare=$(sed -z 's/\r\n//g' "$file" | tr -dc '\r\n' | wc -c)
    [ "$bare" = 0 ] || fail "$file has a CR or LF that is not part of a CR LF"
    mapfile -t LOG_LINES < <(sed 's/\r$//' "$file")
}

# Fails unless log file $1 is, byte for byte, the lines $2... each followed by CR LF.
expect_log_bytes() {
    local file=$1
    shift
    cmp "$file" <(printf '%s\r\n' "$@") >&2 || {
        od -c "$file" | head -n 40 >&2
        fail "$file is not the expected lines"
    }
}

# Prints what follows the fixed prefix $2 in the log line $1; fails when the line does not start
# with that prefix.
line_value() {
    [[ $1 == "$2"* ]] || fail "log line '$1' does not start with '$2'"
    echo "${1#"$2"}"
}
