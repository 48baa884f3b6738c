#!/usr/bin/env bash
# Measures, in one run under Xvfb with openbox:
#  (a) the program's processor time over 10 idle seconds (goal: at most 0.05 s), and
#  (b) the time from start to the main window being mapped, next to a minimal FLTK program's
#      (goal: at most 1.5 times), as medians of several starts.
#   bench/startup_idle.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-9}
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DSIIRTOLUX_TESTS=OFF >/dev/null
cmake --build build/release --target siirtolux map_timer minimal_fltk -j"$(nproc)" >/dev/null

work=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
exec 3>&-
export DISPLAY=":$(head -n1 "$work/display")"
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
sleep 1
cp build/release/app/siirtolux "$work/siirtolux"

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# (b) start-up, alternating the two programs so that both see the same machine.
: >"$work/ours"
: >"$work/peer"
for _ in $(seq "$runs"); do
    build/release/bench/map_timer "Siirtolux 1.0" "$work/siirtolux" >>"$work/ours"
    build/release/bench/map_timer "Minimal FLTK" build/release/bench/minimal_fltk >>"$work/peer"
done
ours=$(median <"$work/ours")
peer=$(median <"$work/peer")

# (a) idle processor time: utime + stime from /proc, in clock ticks.
"$work/siirtolux" >/dev/null 2>&1 &
app=$!
pids+=($app)
sleep 2
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
before=$(ticks "$app")
sleep 10
after=$(ticks "$app")
hz=$(getconf CLK_TCK)
idle=$(awk -v t=$((after - before)) -v hz="$hz" 'BEGIN {printf "%.3f", t / hz}')
kill -TERM "$app"
wait "$app" || true

echo "idle: processor time over 10 s: ${idle} s (goal: at most 0.05 s)"
echo "start-up to mapped window, median of $runs: siirtolux ${ours} ms, minimal FLTK ${peer} ms"
awk -v a="$ours" -v b="$peer" 'BEGIN {printf "start-up ratio: %.2f (goal: at most 1.5)\n", a / b}'
