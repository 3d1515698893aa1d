#!/usr/bin/env bash
# Times the program's scan, single-threaded and parallel, beside du and ncdu on the
# same reproducible tree: warm (best of several runs, after one that fills the cache)
# and, when run as root, cold (the page cache dropped before every run). Counts the
# system calls per visited entry with strace.
# Usage: bash bench/compare_with_du.sh [TREE_FOLDER] [THREADS]
#        (defaults /tmp/zk-bench-tree, and twice the cores as the window uses)
set -euo pipefail
cd "$(dirname "$0")/.."

tree=${1:-/tmp/zk-bench-tree}
threads=${2:-$(( 2 * $(nproc) ))}
runs=5

scripts/install_packages.sh $(cat scripts/packages.txt) ncdu strace
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DZK_BUILD_TESTS=OFF >/dev/null
cmake --build build --parallel "$(nproc)" --target scan_bench make_tree >/dev/null

if [ ! -e "$tree/.complete" ]; then
    rm -rf "$tree"
    build/bench/make_tree "$tree"
    touch "$tree/.complete"
fi

single=(build/bench/scan_bench --threads 1 "$tree")
parallel=(build/bench/scan_bench --threads "$threads" "$tree")
du_command=(du -s --apparent-size "$tree")
ncdu_command=(ncdu -0 -o /dev/null "$tree")

seconds_of() {
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    echo "$start $end" | awk '{ print $2 - $1 }'
}

drop_caches() {
    sync
    echo 3 >/proc/sys/vm/drop_caches
}

# Best wall-clock seconds of a command over $runs runs; with "cold", the cache is
# dropped before each run, else one run fills it first.
best_seconds() {
    local mode=$1
    shift
    [ "$mode" = warm ] && "$@" >/dev/null 2>&1
    local best="" took
    for _ in $(seq "$runs"); do
        [ "$mode" = cold ] && drop_caches
        took=$(seconds_of "$@")
        best=$(echo "$took $best" | awk '{ print ($2 == "" || $1 < $2) ? $1 : $2 }')
    done
    echo "$best"
}

report() {
    local mode=$1
    local ours1 oursN du ncdu
    ours1=$(best_seconds "$mode" "${single[@]}")
    oursN=$(best_seconds "$mode" "${parallel[@]}")
    du=$(best_seconds "$mode" "${du_command[@]}")
    ncdu=$(best_seconds "$mode" "${ncdu_command[@]}")
    echo "$mode cache (best of $runs runs, whole process wall time):"
    awk -v one="$ours1" -v many="$oursN" -v du="$du" -v ncdu="$ncdu" -v threads="$threads" 'BEGIN {
        printf "  scan, 1 thread     %.3f s   /du = %.2f   /ncdu = %.2f\n", one, one / du, one / ncdu
        printf "  scan, %2d threads   %.3f s   /du = %.2f   /ncdu = %.2f\n", threads, many, many / du, many / ncdu
        printf "  du -s              %.3f s\n", du
        printf "  ncdu -0 -o         %.3f s\n", ncdu
    }'
}

echo "tree: $tree"
"${parallel[@]}" | tail -n 1
report warm
if [ "$(id -u)" -eq 0 ] && [ -w /proc/sys/vm/drop_caches ]; then
    report cold
else
    echo "cold cache: skipped (dropping the page cache needs root)"
fi

entries=$(awk -F'[ =]' '{ print $2 + $4 }' <<<"$("${single[@]}" | tail -n 1)")
for command in single parallel; do
    declare -n run=$command
    calls=$(strace -c -f -o /dev/stdout "${run[@]}" 2>/dev/null | awk '$NF == "total" { print $(NF-2) }')
    awk -v calls="$calls" -v entries="$entries" -v name="$command" 'BEGIN {
        printf "system calls, %-8s %d for %d entries: %.2f per entry\n", name, calls, entries, calls / entries
    }'
done
