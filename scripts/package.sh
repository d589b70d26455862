#!/usr/bin/env bash
# Builds the Debian package into build-package/ (or $DAWNBELL_PACKAGE_BUILD_DIR): a build
# folder without tests, so only the three programs it ships are built, compiled and linked
# with Debian's hardening flags (fortify, stack protector, read-only relocations bound at
# start, position-independent code). Prints the package's path as its last line.
#
# DAWNBELL_PACKAGE_ARCH=arm64 cross-builds the same package for 64-bit ARM, into
# build-package-arm64/, with the toolchain file named by that architecture's GNU triplet.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
machine=$(dpkg --print-architecture)
arch=${DAWNBELL_PACKAGE_ARCH:-$machine}
cross=()
if [ "$arch" = "$machine" ]; then
    build=${DAWNBELL_PACKAGE_BUILD_DIR:-$root/build-package}
    "$root/scripts/deps.sh" package
else
    build=${DAWNBELL_PACKAGE_BUILD_DIR:-$root/build-package-$arch}
    "$root/scripts/deps.sh" package "$arch"
    triplet=$(dpkg-architecture -a"$arch" -qDEB_HOST_GNU_TYPE 2>/dev/null)
    . "$root/scripts/host-tools.sh"
    cross=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/$triplet.cmake" -DDAWNBELL_HOST_TOOLS="$host_tools")
fi

# CMake reads CXXFLAGS and LDFLAGS only when it first configures a folder, and never
# CPPFLAGS, so the preprocessor's flags go with the compiler's and are passed explicitly.
# dpkg-buildflags maps the folder it runs in to "." in debugging information, and gives the
# flags of the architecture the package is for.
flag() {
    (cd "$root" && DEB_HOST_ARCH=$arch DEB_BUILD_MAINT_OPTIONS=hardening=+all \
        dpkg-buildflags --get "$1")
}
cmake -S "$root" -B "$build" "${cross[@]}" -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=None \
      -DCMAKE_CXX_FLAGS="$(flag CPPFLAGS) $(flag CXXFLAGS)" \
      -DCMAKE_EXE_LINKER_FLAGS="$(flag LDFLAGS)" >/dev/null
cmake --build "$build" -j"$(nproc)"
report=$(cd "$build" && cpack -G DEB)
sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' <<<"$report"
