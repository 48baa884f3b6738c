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

# Starts Xvfb on a free display at 96 dpi and openbox on it; exports DISPLAY.
start_display() {
    local dpi=${1:-96}
    exec 3>"$E2E_DIR/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi "$dpi" -nolisten tcp >"$E2E_DIR/xvfb.log" 2>&1 &
    E2E_PIDS+=($!)
    local i
    for i in $(seq 100); do
        [ -s "$E2E_DIR/display" ] && break
        sleep 0.05
    done
    exec 3>&-
    export DISPLAY=":$(head -n1 "$E2E_DIR/display")"
    openbox --sm-disable >"$E2E_DIR/openbox.log" 2>&1 &
    E2E_PIDS+=($!)
    # The window manager owns the screen once it has set its supporting window.
    for i in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.05
    done
    fail "openbox did not start"
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
