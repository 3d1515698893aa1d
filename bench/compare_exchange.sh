#!/usr/bin/env bash
# What exports cost. The import of generated exports of 1,000,000 and 3,000,000 entries
# (bench/exchange_bench) and of the benchmark tree's own export, in seconds and peak
# memory, beside the scan of that tree; and the export of the benchmark tree beside the
# scan alone, single-threaded and at the window's thread count, warm and (as root) cold.
# Medians of ROUNDS interleaved runs. Then, once each, the peak memory of importing
# exports made to cost the reader memory, read from standard input as they are made:
# levels below an excluded and a dot-named folder, a 1 GB value the reader ignores, a
# 1 GB name, 100,000,000 files in one folder and 1,000,000 sibling folders. Given
# BASE=path/to/another/build (its build-release, say), every case is run with that
# build's programs too, in the same rounds, and printed beside ours as "NAME:base".
# Usage: bash bench/compare_exchange.sh [TREE_FOLDER] [ROUNDS]  (defaults /tmp/zk-bench-tree, 3)
set -euo pipefail
cd "$(dirname "$0")/.."

tree=${1:-/tmp/zk-bench-tree}
rounds=${2:-3}

scripts/install_packages.sh $(cat scripts/packages.txt) time
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DZK_BUILD_TESTS=OFF >/dev/null
cmake --build build-release --parallel 2 --target scan_bench exchange_bench make_tree zorvik-kavrona >/dev/null
builds=(build-release)
[ -n "${BASE:-}" ] && builds+=("$BASE")
# The build a case runs with; cases of the base build are named with ":base".
use_build() {
    bench=$1/bench
    program=$1/src/zorvik-kavrona
    suffix=$([ "$1" = build-release ] || echo ":base")
}
use_build build-release

if [ ! -e "$tree/.complete" ]; then
    rm -rf "$tree"
    "$bench/make_tree" "$tree"
    touch "$tree/.complete"
fi
work=$(mktemp -d)
results=$(mktemp)
trap 'rm -rf "$work" "$results"' EXIT
"$bench/exchange_bench" generate 1000000 "$work/1m.json"
"$bench/exchange_bench" generate 3000000 "$work/3m.json"
"$program" --export "$work/tree.json" "$tree"

can_drop=no
[ "$(id -u)" -eq 0 ] && [ -w /proc/sys/vm/drop_caches ] && can_drop=yes
drop_caches() { sync; echo 3 > /proc/sys/vm/drop_caches; }

# case seconds peak_kib, one line a run.
record() { echo "$1$suffix $2 $3" >> "$results"; }
# case, and a benchmark's line ending in "... seconds=S peak_rss_kib=N ...".
record_line() {
    record "$1" "$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' <<<"$2")" "$(sed -n 's/.*peak_rss_kib=\([0-9]*\).*/\1/p' <<<"$2")"
}
scan() { record_line "$1" "$("$bench/scan_bench" --threads "$2" "$tree" | tail -n 1)"; } # case threads
import() { record_line "$1" "$("$bench/exchange_bench" import "$2")"; }                 # case file
hostile() { # case kind count
    record_line "$1" "$("$bench/exchange_bench" hostile "$2" "$3" - | "$bench/exchange_bench" import - 2>/dev/null)"
}
export_tree() { # case; the whole program, timed by time(1)
    record "$1" $( { /usr/bin/time -f "%e %M" "$program" --export - "$tree" >/dev/null; } 2>&1 | tail -n 1)
}

for round in $(seq "$rounds"); do
    echo "round $round of $rounds" >&2
    for build in "${builds[@]}"; do
        use_build "$build"
        import "import-1,000,000-entries" "$work/1m.json"
        import "import-3,000,000-entries" "$work/3m.json"
        import "import-of-the-tree's-export" "$work/tree.json"
        scan "scan-1-thread" 1
        scan "scan-window-threads" window
        export_tree "export-window-threads"
        if [ "$can_drop" = yes ]; then
            drop_caches; scan "cold-scan-window-threads" window
            drop_caches; export_tree "cold-export-window-threads"
        fi
    done
done

echo "hostile exports" >&2
for build in "${builds[@]}"; do
    use_build "$build"
    hostile "hostile-3,000,000-excluded-levels" excluded-levels 3000000
    hostile "hostile-3,000,000-dot-levels" dot-levels 3000000
    hostile "hostile-1-GB-ignored-value" ignored-string 1000000000
    hostile "hostile-1-GB-name" long-name 1000000000
    hostile "hostile-100,000,000-files" files-in-a-folder 100000000
    hostile "hostile-1,000,000-sibling-folders" sibling-folders 1000000
done

median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
echo
printf '%-32s %10s %14s\n' case seconds peak_MiB
awk '{ t[$1] = t[$1] " " $2; m[$1] = m[$1] " " $3; order[$1] = NR }
     END { for (c in t) print order[c], c, t[c], "|", m[c] }' "$results" | sort -n | cut -d' ' -f2- |
while read -r name rest; do
    printf '%-32s %10.3f %14.1f\n' "$name" "$(median <<<"${rest%%|*}")" "$(median <<<"${rest##*|}" | awk '{ print $1 / 1024 }')"
done
