#!/usr/bin/env bash
# Deletes a tree of 20,000 files (1-16 KiB, in 200 folders three levels deep) with the delete
# engine and, as its peer, with `rm -rf` on an identical copy, several rounds, the two taking turns
# at going first; prints the medians and their ratio (goal: at most 1.10).
#   bench/delete_tree.sh [rounds] [folder for the trees]
# SIIRTOLUX_BENCH_BUILD names the build folder (default build/release).
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-7}
build=${SIIRTOLUX_BENCH_BUILD:-build/release}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DSIIRTOLUX_TESTS=OFF >/dev/null
cmake --build "$build" --target delete_tree -j"$(nproc)" >/dev/null
driver=$(realpath "$build/bench/delete_tree")

work=$(mktemp -d "${2:-${TMPDIR:-/tmp}}/siirtolux-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
"$driver" make "$work/malli" 1

now_ms() { date +%s%N | awk '{printf "%.1f", $1 / 1e6}'; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# Times one delete of a fresh copy; the copy is written out first so that neither side pays
# for the other's writeback.
timed() {
    local how=$1
    cp -a "$work/malli" "$work/puu"
    sync
    local start end
    start=$(now_ms)
    if [ "$how" = engine ]; then
        "$driver" delete "$work/puu"
    else
        rm -rf "$work/puu"
    fi
    end=$(now_ms)
    [ ! -e "$work/puu" ] || { echo "delete left $work/puu behind" >&2; exit 1; }
    awk -v a="$start" -v b="$end" 'BEGIN {printf "%.1f\n", b - a}'
}

: >"$work/ours"
: >"$work/peer"
for round in $(seq "$rounds"); do
    if [ $((round % 2)) -eq 1 ]; then
        timed engine >>"$work/ours"
        timed rm >>"$work/peer"
    else
        timed rm >>"$work/peer"
        timed engine >>"$work/ours"
    fi
done
ours=$(median <"$work/ours")
peer=$(median <"$work/peer")
echo "engine, ms per round: $(tr '\n' ' ' <"$work/ours")"
echo "rm -rf, ms per round: $(tr '\n' ' ' <"$work/peer")"
echo "delete of 20,000 files, median of $rounds: engine ${ours} ms, rm -rf ${peer} ms"
awk -v a="$ours" -v b="$peer" 'BEGIN {printf "ratio engine / rm -rf: %.2f (goal: at most 1.10)\n", a / b}'
