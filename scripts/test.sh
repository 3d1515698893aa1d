#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer,
# builds and checks the Debian package, and runs every test without a display.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install_packages.sh $(cat scripts/packages.txt)
cmake -S . -B build-tests -DCMAKE_BUILD_TYPE=Debug -DZK_SANITIZE=ON >/dev/null
cmake --build build-tests --parallel "$(nproc)"

# The package from its own Release build: unpacked, its program answers with the
# package's version, and lintian finds no error.
package=$(bash scripts/package.sh --build-only)
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$package" "$unpacked"
answer=$("$unpacked/usr/bin/zorvik-kavrona" --version)
echo "$answer"
[ "$answer" = "zorvik-kavrona $(dpkg-deb --field "$package" Version)" ]
lintian --fail-on error --display-info "$package"

cd build-tests
ctest --output-on-failure --parallel "$(nproc)"
