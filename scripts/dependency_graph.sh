#!/usr/bin/env bash
# Prints the architecture as the code has it: which folder of src/ includes which, drawn
# from the #include lines, each folder with its layer. Fails, naming the file and line,
# where a folder includes one on its own layer or above: a layer builds only on those
# below it. With --links, also prints what the server build's program links, from
# CMake's own graph of a server configuration.
# Usage: bash scripts/dependency_graph.sh [--links]
set -euo pipefail
cd "$(dirname "$0")/.."

# The layers, lowest first. A folder may include its own files and those of any folder
# on a lower layer; the program's main() sits above all.
declare -A layer=(
    [platform]=0
    [scan]=1 [controls]=1 [command_line]=1
    [chart]=2 [exchange]=2 [controls/widgets]=2
    [populater]=3
    [ui]=4
    [.]=5
)

declare -A edges=()
violations=0
while IFS= read -r -d '' file; do
    relative=${file#src/}
    from=$(dirname "$relative")
    if [ -z "${layer[$from]+set}" ]; then
        echo "$file: folder '$from' has no layer in $0" >&2
        violations=$((violations + 1))
        continue
    fi
    while IFS=: read -r line included; do
        to=$(dirname "$included")
        [ "$to" = "$from" ] && continue
        if [ -z "${layer[$to]+set}" ]; then
            echo "$file:$line: includes $included from '$to', which has no layer" >&2
            violations=$((violations + 1))
            continue
        fi
        edges["$from -> $to"]=1
        if [ "${layer[$to]}" -ge "${layer[$from]}" ]; then
            echo "$file:$line: $from (layer ${layer[$from]}) includes $included from $to (layer ${layer[$to]})" >&2
            violations=$((violations + 1))
        fi
    done < <(grep -n '^#include "[^"]*/' "$file" | sed 's/^\([0-9]*\):#include "\([^"]*\)".*/\1:\2/' || true)
done < <(find src -name '*.h' -o -name '*.cpp' -o -name '*.h.in' | sort | tr '\n' '\0')

echo "Layers (a folder builds only on lower ones):"
for folder in "${!layer[@]}"; do
    echo "  ${layer[$folder]} $folder"
done | sort -n
echo "Includes between folders:"
for edge in "${!edges[@]}"; do
    echo "  $edge"
done | sort

if [ "${1:-}" = "--links" ]; then
    graph=$(mktemp -d)
    trap 'rm -rf "$graph"' EXIT
    cmake -S . -B "$graph" -DZK_GUI=OFF --graphviz="$graph/links.dot" >/dev/null
    echo "The server build's program links:"
    sed -n 's/.*label = "\([^"]*\)".*/  \1/p' "$graph/links.dot.zorvik-kavrona" | grep -v '^  zorvik-kavrona$' | sort -u
fi

if [ "$violations" -gt 0 ]; then
    echo "$violations include(s) reach up a layer" >&2
    exit 1
fi
