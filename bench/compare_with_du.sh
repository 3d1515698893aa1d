#!/usr/bin/env bash
# Times the program's scan against a plain C walker with the same counting rules
# (bench/c_walker.c), warm and cold, single-threaded and at the window's thread count,
# in one interleaved run: every round runs each case once, in turn, so that whatever
# else the machine does falls on all of them alike; medians are printed. Cold runs drop
# the page cache first (root only). du and ncdu are timed warm beside them, and, given
# BASE=path/to/another/build, that build's scan_bench too (today's code, say). Ends with
# the peak memory of each case and the system calls per visited entry (strace).
# Usage: bash bench/compare_with_du.sh [TREE_FOLDER] [ROUNDS]
#        (defaults /tmp/zk-bench-tree and 5); COLD_THREADS="1 2 4 8 16 32" sets the
#        thread counts tried cold, to find the walker's best and ours.
set -euo pipefail
cd "$(dirname "$0")/.."

tree=${1:-/tmp/zk-bench-tree}
rounds=${2:-5}
cold_threads=${COLD_THREADS:-1 2 4 8 16 32}
base=${BASE:-}

scripts/install_packages.sh $(cat scripts/packages.txt) ncdu strace
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DZK_BUILD_TESTS=OFF >/dev/null
cmake --build build-release --parallel 2 --target scan_bench c_walker make_tree >/dev/null

if [ ! -e "$tree/.complete" ]; then
    rm -rf "$tree"
    build-release/bench/make_tree "$tree"
    touch "$tree/.complete"
fi

ours=build-release/bench/scan_bench
walker=build-release/bench/c_walker
window=$("$ours" --threads window "$tree" | sed -n 's/.*threads=\([0-9]*\).*/\1/p')
results=$(mktemp)
trap 'rm -f "$results"' EXIT

can_drop=no
[ "$(id -u)" -eq 0 ] && [ -w /proc/sys/vm/drop_caches ] && can_drop=yes

drop_caches() {
    sync
    echo 3 >/proc/sys/vm/drop_caches
}

# One run: "mode name threads seconds peak_kib" into the results. The programs time
# their own scan; du and ncdu are timed as whole processes.
run_case() {
    local mode=$1 name=$2 threads=$3
    shift 3
    [ "$mode" = cold ] && drop_caches
    local line seconds peak
    case $name in
    du | ncdu)
        local start end
        start=$(date +%s.%N)
        "$@" >/dev/null 2>&1
        end=$(date +%s.%N)
        seconds=$(echo "$start $end" | awk '{ print $2 - $1 }')
        peak=0
        ;;
    *)
        line=$("$@" | tail -n 1)
        seconds=$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' <<<"$line")
        peak=$(sed -n 's/.*peak_rss_kib=\([0-9]*\).*/\1/p' <<<"$line")
        ;;
    esac
    echo "$mode $name $threads $seconds $peak" >>"$results"
}

warm_cases() {
    run_case warm ours 1 "$ours" --threads 1 "$tree"
    run_case warm walker 1 "$walker" --threads 1 "$tree"
    run_case warm ours "$window" "$ours" --threads "$window" "$tree"
    run_case warm walker "$window" "$walker" --threads "$window" "$tree"
    if [ -n "$base" ]; then
        run_case warm base 1 "$base/bench/scan_bench" --threads 1 "$tree"
        run_case warm base "$window" "$base/bench/scan_bench" --threads "$window" "$tree"
    fi
    run_case warm du 1 du -s --apparent-size "$tree"
    run_case warm ncdu 1 ncdu -0 -o /dev/null "$tree"
}

cold_cases() {
    local threads
    for threads in $cold_threads; do
        run_case cold ours "$threads" "$ours" --threads "$threads" "$tree"
        run_case cold walker "$threads" "$walker" --threads "$threads" "$tree"
    done
    if [ -n "$base" ]; then
        run_case cold base 1 "$base/bench/scan_bench" --threads 1 "$tree"
        run_case cold base "$window" "$base/bench/scan_bench" --threads "$window" "$tree"
    fi
}

echo "tree: $tree, $rounds rounds, the window's thread count: $window, load: $(cut -d' ' -f1-3 /proc/loadavg)"
"$ours" --threads 1 "$tree" >/dev/null
for round in $(seq "$rounds"); do
    warm_cases
    [ "$can_drop" = yes ] && cold_cases
done
[ "$can_drop" = yes ] || echo "cold cache: skipped (dropping the page cache needs root)"

awk '
    { key = $1 " " $2 " " $3; if (!(key in n)) order[++cases] = key; n[key]++; seconds[key, n[key]] = $4; peak[key, n[key]] = $5 }
    function median(array, key, count,    i, j, t, v) {
        for (i = 1; i <= count; i++) v[i] = array[key, i]
        for (i = 1; i <= count; i++) for (j = i + 1; j <= count; j++) if (v[j] + 0 < v[i] + 0) { t = v[i]; v[i] = v[j]; v[j] = t }
        return count % 2 ? v[(count + 1) / 2] : (v[count / 2] + v[count / 2 + 1]) / 2
    }
    END {
        for (c = 1; c <= cases; c++) { key = order[c]; med[key] = median(seconds, key, n[key]); mem[key] = median(peak, key, n[key]) }
        print "median seconds of the scan (du, ncdu: of the whole process)"
        for (m = 1; m <= 2; m++) {
            mode = m == 1 ? "warm" : "cold"
            best = ""
            for (c = 1; c <= cases; c++) {
                split(order[c], part, " ")
                if (part[1] == mode && part[2] == "walker" && (best == "" || med[order[c]] < best)) { best = med[order[c]]; best_threads = part[3] }
            }
            if (best == "") continue
            print mode ":"
            for (c = 1; c <= cases; c++) {
                key = order[c]
                split(key, part, " ")
                if (part[1] != mode) continue
                line = sprintf("  %-6s %2d threads %7.3f s", part[2], part[3], med[key])
                same = mode " walker " part[3]
                if (part[2] != "walker" && (same in med)) line = line sprintf("  /walker same threads %.3f", med[key] / med[same])
                if (part[2] != "walker") line = line sprintf("  /walker best %.3f", med[key] / best)
                if (mem[key] > 0) line = line sprintf("  peak %.1f MiB", mem[key] / 1024)
                print line
            }
            printf "  the walker at its best: %d threads, %.3f s\n", best_threads, best
        }
    }' "$results"

entries=$("$ours" --threads 1 "$tree" | tail -n 1 | awk -F'[ =]' '{ print $2 + $4 }')
for command in "ours 1" "ours $window" "walker 1" "walker $window"; do
    set -- $command
    program=$ours
    [ "$1" = walker ] && program=$walker
    calls=$(strace -c -f -o /dev/stdout "$program" --threads "$2" "$tree" 2>/dev/null | awk '$NF == "total" { print $(NF-2) }')
    awk -v calls="$calls" -v entries="$entries" -v name="$1, $2 threads" 'BEGIN {
        printf "system calls, %-18s %d for %d entries: %.3f per entry\n", name, calls, entries, calls / entries
    }'
done
