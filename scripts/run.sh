#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install_packages.sh $(cat scripts/packages.txt)
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DZK_BUILD_TESTS=OFF >/dev/null
cmake --build build --parallel "$(nproc)"

echo
echo "Built in build/. The main window is not part of the program yet, so there is nothing to start."
echo "The folder scan can be tried with:  build/bench/scan_bench FOLDER"
