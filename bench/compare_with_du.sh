#!/usr/bin/env bash
# Times the program's scan beside du and ncdu on the same warm, reproducible tree.
# Usage: bash bench/compare_with_du.sh [TREE_FOLDER]   (default /tmp/zk-bench-tree)
set -euo pipefail
cd "$(dirname "$0")/.."

tree=${1:-/tmp/zk-bench-tree}
runs=5

scripts/install_packages.sh $(cat scripts/packages.txt) ncdu
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DZK_BUILD_TESTS=OFF >/dev/null
cmake --build build --parallel "$(nproc)" --target scan_bench make_tree >/dev/null

if [ ! -e "$tree/.complete" ]; then
    rm -rf "$tree"
    build/bench/make_tree "$tree"
    touch "$tree/.complete"
fi

# Best wall-clock seconds of $runs runs of a command, after one run that warms the cache.
best_seconds() {
    "$@" >/dev/null 2>&1
    local best=""
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s.%N)
        "$@" >/dev/null 2>&1
        end=$(date +%s.%N)
        best=$(echo "$start $end $best" | awk '{ t = $2 - $1; if ($3 == "" || t < $3) print t; else print $3 }')
    done
    echo "$best"
}

ours=$(best_seconds build/bench/scan_bench "$tree")
du=$(best_seconds du -s --apparent-size "$tree")
ncdu=$(best_seconds ncdu -0 -o /dev/null "$tree")

echo "tree: $tree (warm cache, best of $runs runs, whole process wall time)"
build/bench/scan_bench "$tree" | tail -n 1
awk -v ours="$ours" -v du="$du" -v ncdu="$ncdu" 'BEGIN {
    printf "scan   %.3f s\n", ours
    printf "du     %.3f s   scan/du   = %.2f\n", du, ours / du
    printf "ncdu   %.3f s   scan/ncdu = %.2f\n", ncdu, ours / ncdu
}'
