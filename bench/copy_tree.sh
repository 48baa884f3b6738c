#!/usr/bin/env bash
# Copies (a) a tree of 20,000 files of 1-16 KiB in 200 folders three levels deep and (b) one
# 1 GiB file with the copy engine and, as its peer, with `cp -a`, several rounds each, the two
# taking turns at going first; prints the medians and their ratios (goals: tree at most 0.6,
# file at most 1.05), and the engine's peak memory for 20,000 and for 100,000 files (goal: flat).
#   bench/copy_tree.sh [rounds] [folder for the trees]
# SIIRTOLUX_BENCH_BUILD names the build folder (default build/release).
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}
build=${SIIRTOLUX_BENCH_BUILD:-build/release}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DSIIRTOLUX_TESTS=OFF >/dev/null
cmake --build "$build" --target copy_tree -j"$(nproc)" >/dev/null
driver=$(realpath "$build/bench/copy_tree")

work=$(mktemp -d "${2:-${TMPDIR:-/tmp}}/siirtolux-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
echo "generating in $work ..."
"$driver" make "$work/puu" 20000 1
"$driver" big "$work/iso.bin" 1024

now_ns() { date +%s%N; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# Times one copy of $1 into a fresh folder; what the last round wrote is on disk first, so
# that neither side pays for the other's writeback.
timed() {
    local how=$1 source=$2
    rm -rf "$work/kohde"
    mkdir "$work/kohde"
    sync
    local start end
    start=$(now_ns)
    if [ "$how" = engine ]; then
        "$driver" copy "$source" "$work/kohde" >"$work/memory"
    else
        cp -a "$source" "$work/kohde/"
    fi
    end=$(now_ns)
    awk -v a="$start" -v b="$end" 'BEGIN {printf "%.1f\n", (b - a) / 1e6}'
}

check_same() {
    diff -r "$1" "$work/kohde/$(basename "$1")" >/dev/null || { echo "the copy of $1 differs" >&2; exit 1; }
}

run() {
    local label=$1 source=$2 goal=$3
    : >"$work/ours"
    : >"$work/peer"
    for round in $(seq "$rounds"); do
        if [ $((round % 2)) -eq 1 ]; then
            timed engine "$source" >>"$work/ours"; check_same "$source"
            timed cp "$source" >>"$work/peer"
        else
            timed cp "$source" >>"$work/peer"
            timed engine "$source" >>"$work/ours"; check_same "$source"
        fi
    done
    local ours peer
    ours=$(median <"$work/ours")
    peer=$(median <"$work/peer")
    echo "$label: engine ms per round: $(tr '\n' ' ' <"$work/ours")"
    echo "$label: cp -a  ms per round: $(tr '\n' ' ' <"$work/peer")"
    awk -v l="$label" -v a="$ours" -v b="$peer" -v g="$goal" -v n="$rounds" \
        'BEGIN {printf "%s, median of %d: engine %.1f ms, cp -a %.1f ms, ratio %.2f (goal: at most %s)\n", l, n, a, b, a / b, g}'
}

run "tree of 20,000 files" "$work/puu" 0.6
run "one 1 GiB file" "$work/iso.bin" 1.05

# Peak memory: the engine's resident size for the tree above and for one five times as big.
rm -rf "$work/kohde" "$work/iso.bin"
mkdir "$work/kohde"
small=$("$driver" copy "$work/puu" "$work/kohde")
rm -rf "$work/kohde" "$work/puu"
"$driver" make "$work/puu" 100000 2
mkdir "$work/kohde"
large=$("$driver" copy "$work/puu" "$work/kohde")
echo "peak memory of the engine: ${small} KiB for 20,000 files, ${large} KiB for 100,000 files"
awk -v a="$small" -v b="$large" 'BEGIN {printf "memory ratio 100,000 / 20,000 files: %.2f (goal: flat, about 1)\n", b / a}'
