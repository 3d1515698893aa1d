#!/usr/bin/env bash
# Installs what is missing, builds the Debian package in build-package/ and installs it:
# bash scripts/package.sh. With --build-only it stops once the package is built and
# prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
build_only=false
[ "${1:-}" = --build-only ] && build_only=true

scripts/install_packages.sh $(cat scripts/packages.txt) >&2
# Built with Debian's hardening flags, all of them, as Debian builds its own packages.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DZK_BUILD_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build build-package --parallel "$(nproc)" >&2
rm -f build-package/zorvik-kavrona_*.deb
(cd build-package && cpack -G DEB >/dev/null)
package=$(echo "$PWD"/build-package/zorvik-kavrona_*.deb)

if $build_only; then
    echo "$package"
    exit 0
fi
as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
"${as_root[@]}" apt-get install -y --no-install-recommends "$package"
