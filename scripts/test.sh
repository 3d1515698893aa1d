#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs every test without a display.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install_packages.sh $(cat scripts/packages.txt)
cmake -S . -B build-tests -DCMAKE_BUILD_TYPE=Debug -DZK_SANITIZE=ON >/dev/null
cmake --build build-tests --parallel "$(nproc)"
cd build-tests
ctest --output-on-failure --parallel "$(nproc)"
