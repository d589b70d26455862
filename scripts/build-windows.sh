#!/usr/bin/env bash
# Cross-builds Dawnbell for 64-bit Windows into build-win/ (or $DAWNBELL_WINDOWS_BUILD_DIR):
# dawnbell.exe, dawnbell-sim.exe, dawnbell-send.exe and the unit tests, from the same sources
# as the Linux build, with MinGW-w64 and the Qt that scripts/windows-qt.sh builds once into
# its cache (it returns at once when the cache is complete). The targets named as arguments,
# or everything when none are named.
#
# Run as root on Debian 12, it installs what building, packaging and testing for Windows
# need: the cross compilers, NSIS, Wine, zip and xmllint.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DAWNBELL_WINDOWS_BUILD_DIR:-$root/build-win}
export DAWNBELL_WINDOWS_QT=${DAWNBELL_WINDOWS_QT:-/var/cache/dawnbell/qt-6.4.2-mingw64}

"$root/scripts/deps.sh" windows >/dev/null

"$root/scripts/windows-qt.sh"

. "$root/scripts/host-tools.sh"

# The tests run under Wine through CTest's emulator; the host's Qt tools (moc, rcc) serve
# the cross build, as they served Qt's own.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DDAWNBELL_HOST_TOOLS="$host_tools" \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
      -DDAWNBELL_WINDOWS_QT="$DAWNBELL_WINDOWS_QT" \
      -DQt6_DIR="$DAWNBELL_WINDOWS_QT/lib/cmake/Qt6" \
      -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
      -DCMAKE_CROSSCOMPILING_EMULATOR="$root/tests/windows/wine-test.sh" >/dev/null
if [ $# -gt 0 ]; then
    nice -n 10 cmake --build "$build" --target "$@"
else
    nice -n 10 cmake --build "$build"
fi
