#!/usr/bin/env bash
# What a folder costs at any depth and any width: peak memory and seconds of the scan
# (bench/scan_bench), of the import of the tree's export (bench/exchange_bench) and of
# the window opening the tree and graphing its root (--snapshot, offscreen), on 200,000
# empty sibling folders and on chains of folders 20,000 and 100,000 deep (made by
# bench/make_tree). Given BASE=path/to/another/build (its build-release, say), every case
# runs with that build's programs too, in the same rounds, but for the 100,000-deep chain,
# which takes an older build gigabytes, unless BASE_DEEP=1. Medians of ROUNDS.
# Usage: bash bench/compare_deep_and_wide.sh [WORK_FOLDER] [ROUNDS]  (defaults /tmp/zk-bench-shapes, 1)
set -euo pipefail
cd "$(dirname "$0")/.."

work=${1:-/tmp/zk-bench-shapes}
rounds=${2:-1}
base=${BASE:-}

scripts/install_packages.sh $(cat scripts/packages.txt) time
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DZK_BUILD_TESTS=OFF >/dev/null
cmake --build build-release --parallel 2 --target scan_bench exchange_bench make_tree zorvik-kavrona >/dev/null

mkdir -p "$work"
for shape in siblings:200000 chain:20000 chain:100000; do
    folder="$work/${shape%%:*}-${shape##*:}"
    if [ ! -e "$folder.complete" ]; then
        rm -rf "$folder"
        build-release/bench/make_tree "--${shape%%:*}" "${shape##*:}" "$folder"
        build-release/src/zorvik-kavrona --export "$folder.json" "$folder"
        touch "$folder.complete"
    fi
done
results=$(mktemp)
trap 'rm -f "$results"' EXIT

# case build seconds peak_kib, one line a run.
record() { echo "$1 $2 $3 $4" >>"$results"; }
from_line() { # case build; a benchmark's line ending in "... seconds=S peak_rss_kib=N ..." on stdin
    local line
    line=$(tail -n 1)
    record "$1" "$2" "$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' <<<"$line")" "$(sed -n 's/.*peak_rss_kib=\([0-9]*\).*/\1/p' <<<"$line")"
}
run_cases() { # build-folder name
    local build=$1 name=$2 shape threads
    for shape in siblings-200000:1 siblings-200000:4 chain-20000:1 chain-20000:32 chain-100000:1 chain-100000:16; do
        threads=${shape##*:}
        shape=${shape%%:*}
        [ "$name" = base ] && [ "$shape" = chain-100000 ] && [ "${BASE_DEEP:-0}" != 1 ] && continue
        "$build/bench/scan_bench" --threads "$threads" "$work/$shape" | from_line "scan-$shape-$threads-threads" "$name"
    done
    for shape in chain-20000 chain-100000; do
        [ "$name" = base ] && [ "$shape" = chain-100000 ] && [ "${BASE_DEEP:-0}" != 1 ] && continue
        "$build/bench/exchange_bench" import "$work/$shape.json" 2>/dev/null | from_line "import-$shape" "$name" || true
    done
    for shape in siblings-200000 chain-20000 chain-100000; do
        [ "$name" = base ] && [ "$shape" = chain-100000 ] && [ "${BASE_DEEP:-0}" != 1 ] && continue
        record "window-$shape" "$name" $( { QT_QPA_PLATFORM=offscreen /usr/bin/time -f "%e %M" \
            "$build/src/zorvik-kavrona" --snapshot "$work/snapshot.png" "$work/$shape" >/dev/null; } 2>&1 | tail -n 1)
    done
}

for round in $(seq "$rounds"); do
    echo "round $round of $rounds" >&2
    run_cases build-release ours
    [ -n "$base" ] && run_cases "$base" base
done

echo
printf '%-32s %12s %12s %12s %12s\n' case seconds peak_MiB base_seconds base_peak_MiB
awk '
    function median(list,    n, v, i, j, t) {
        n = split(list, v, " ")
        for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (v[j] + 0 < v[i] + 0) { t = v[i]; v[i] = v[j]; v[j] = t }
        return n ? v[int((n + 1) / 2)] : ""
    }
    { if (!($1 in seen)) { seen[$1] = 1; order[++cases] = $1 } s[$1, $2] = s[$1, $2] " " $3; m[$1, $2] = m[$1, $2] " " $4 }
    END {
        for (c = 1; c <= cases; c++) {
            k = order[c]
            bs = median(s[k, "base"]); bm = median(m[k, "base"])
            printf "%-32s %12.3f %12.1f %12s %12s\n", k, median(s[k, "ours"]), median(m[k, "ours"]) / 1024,
                bs == "" ? "-" : sprintf("%.3f", bs), bm == "" ? "-" : sprintf("%.1f", bm / 1024)
        }
    }' "$results"
