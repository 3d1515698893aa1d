#!/usr/bin/env bash
# What a folder costs at any depth and any width: seconds, peak memory and peak memory a
# folder of the scan (bench/scan_bench), of the import of an export (bench/exchange_bench)
# and of the window opening a tree and graphing its root (--snapshot, offscreen), on
# 200,000 empty sibling folders, on chains of folders 20,000 and 100,000 deep (made by
# bench/make_tree), on the benchmark tree, and for the import, on a generated export of
# 3,000,000 entries. A folder's cost is the peak less the same program's peak on an empty
# folder (an export of one folder), over the folders. Given BASE=path/to/another/build
# (its build-release, say), every case runs with that build's programs too, in the same
# rounds, but for the 100,000-deep chain, which takes an older build gigabytes, unless
# BASE_DEEP=1. Medians of ROUNDS.
# Usage: bash bench/compare_deep_and_wide.sh [WORK_FOLDER] [ROUNDS]  (defaults /tmp/zk-bench-shapes, 1)
set -euo pipefail
cd "$(dirname "$0")/.."

work=${1:-/tmp/zk-bench-shapes}
rounds=${2:-1}
base=${BASE:-}

scripts/install_packages.sh $(cat scripts/packages.txt) time
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DZK_BUILD_TESTS=OFF >/dev/null
cmake --build build-release --parallel 2 --target scan_bench exchange_bench make_tree zorvik-kavrona >/dev/null

mkdir -p "$work/empty"
for shape in siblings:200000 chain:20000 chain:100000 tree:0; do
    name=${shape%%:*}-${shape##*:}
    [ "$shape" = tree:0 ] && name=tree
    folder="$work/$name"
    if [ ! -e "$folder.complete" ]; then
        rm -rf "$folder"
        if [ "$shape" = tree:0 ]; then
            build-release/bench/make_tree "$folder"
        else
            build-release/bench/make_tree "--${shape%%:*}" "${shape##*:}" "$folder"
        fi
        build-release/src/zorvik-kavrona --export "$folder.json" "$folder"
        touch "$folder.complete"
    fi
done
[ -e "$work/3m.json" ] || build-release/bench/exchange_bench generate 3000000 "$work/3m.json"
[ -e "$work/empty.json" ] || build-release/src/zorvik-kavrona --export "$work/empty.json" "$work/empty"
results=$(mktemp)
timing=$(mktemp)
trap 'rm -f "$results" "$timing"' EXIT

# case build seconds peak_kib folders, one line a run.
record() { echo "$1 $2 $3 $4 $5" >>"$results"; }
from_line() { # case build; a benchmark's line "folders=N ... seconds=S peak_rss_kib=N ..." on stdin
    local line
    line=$(tail -n 1)
    record "$1" "$2" "$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' <<<"$line")" \
        "$(sed -n 's/.*peak_rss_kib=\([0-9]*\).*/\1/p' <<<"$line")" "$(sed -n 's/^folders=\([0-9]*\).*/\1/p' <<<"$line")"
}
window() { # case build-folder name folder [folders: else the single-threaded scan's count]
    QT_QPA_PLATFORM=offscreen /usr/bin/time -o "$timing" -f "%e %M" \
        "$2/src/zorvik-kavrona" --snapshot "$work/snapshot.png" "$4" >/dev/null 2>&1
    record "$1" "$3" $(tail -n 1 "$timing") "$5"
}
skipped() { [ "$1" = base ] && [ "$2" = chain-100000 ] && [ "${BASE_DEEP:-0}" != 1 ]; }
run_cases() { # build-folder name
    local build=$1 name=$2 shape threads
    "$build/bench/scan_bench" --threads 1 "$work/empty" | from_line "scan-empty-folder" "$name"
    for shape in siblings-200000:1 siblings-200000:4 chain-20000:1 chain-20000:32 chain-100000:1 chain-100000:16 tree:1 tree:window; do
        threads=${shape##*:}
        shape=${shape%%:*}
        skipped "$name" "$shape" && continue
        "$build/bench/scan_bench" --threads "$threads" "$work/$shape" | from_line "scan-$shape-$threads-threads" "$name"
    done
    "$build/bench/exchange_bench" import "$work/empty.json" 2>/dev/null | from_line "import-empty-folder" "$name"
    for shape in siblings-200000 chain-20000 chain-100000 tree 3m; do
        skipped "$name" "$shape" && continue
        "$build/bench/exchange_bench" import "$work/$shape.json" 2>/dev/null | from_line "import-$shape" "$name" || true
    done
    window "window-empty-folder" "$build" "$name" "$work/empty" 1
    for shape in siblings-200000 chain-20000 chain-100000 tree; do
        skipped "$name" "$shape" && continue
        window "window-$shape" "$build" "$name" "$work/$shape" ""
    done
}

for round in $(seq "$rounds"); do
    echo "round $round of $rounds" >&2
    run_cases build-release ours
    [ -n "$base" ] && run_cases "$base" base
done

echo
printf '%-30s %9s %9s %10s %9s %9s %10s\n' case seconds peak_MiB B/folder base_s base_MiB base_B/fold
awk '
    function median(list,    n, v, i, j, t) {
        n = split(list, v, " ")
        for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (v[j] + 0 < v[i] + 0) { t = v[i]; v[i] = v[j]; v[j] = t }
        return n ? v[int((n + 1) / 2)] : ""
    }
    # What a case costs a folder above the same program on an empty folder, in bytes.
    function per_folder(k, build,    kind, empty, peak, count) {
        kind = k; sub(/-.*/, "", kind)
        empty = median(m[kind "-empty-folder", build]); peak = median(m[k, build])
        count = folders[k]
        if (count == "") { count = k; sub(/^window-/, "scan-", count); count = folders[count "-1-threads"] }
        if (peak == "" || empty == "" || k ~ /empty/ || count + 0 == 0) return "-"
        return sprintf("%.0f", (peak - empty) * 1024 / count)
    }
    { if (!($1 in seen)) { seen[$1] = 1; order[++cases] = $1 }
      s[$1, $2] = s[$1, $2] " " $3; m[$1, $2] = m[$1, $2] " " $4; if ($5 != "") folders[$1] = $5 }
    END {
        for (c = 1; c <= cases; c++) {
            k = order[c]
            bs = median(s[k, "base"]); bm = median(m[k, "base"])
            printf "%-30s %9.3f %9.1f %10s %9s %9s %10s\n", k, median(s[k, "ours"]), median(m[k, "ours"]) / 1024, per_folder(k, "ours"),
                bs == "" ? "-" : sprintf("%.3f", bs), bm == "" ? "-" : sprintf("%.1f", bm / 1024), bm == "" ? "-" : per_folder(k, "base")
        }
    }' "$results"
