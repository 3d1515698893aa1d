#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it: bash scripts/run.sh [FOLDER]
# With FOLDER the window opens on it as if it had been chosen with "SELECT". On a
# machine with no display it writes a snapshot of FOLDER (the current folder when none
# is given) instead and prints the PNG's path.
set -euo pipefail
caller=$PWD
folder=${1:+$(realpath -m -- "$1")}
cd "$(dirname "$0")/.."

scripts/install_packages.sh $(cat scripts/packages.txt)
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DZK_BUILD_TESTS=OFF >/dev/null
cmake --build build --parallel "$(nproc)" --target zorvik-kavrona

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    snapshot="$PWD/build/snapshot.png"
    echo "No display here: writing a snapshot of ${folder:-the current folder} instead."
    build/src/zorvik-kavrona --snapshot "$snapshot" "${folder:-$caller}"
    echo "$snapshot"
else
    exec build/src/zorvik-kavrona ${folder:+"$folder"}
fi
