#!/usr/bin/env bash
# Cross-builds Dawnbell for 64-bit ARM Linux into build-arm64/ (or $DAWNBELL_ARM64_BUILD_DIR):
# dawnbell, dawnbell-sim, dawnbell-send and the unit tests, from the same sources as the
# machine's build, against Debian's own arm64 Qt (cmake/aarch64-linux-gnu.cmake). CTest runs
# the tests under qemu-user. The targets named as arguments, or everything when none are named.
#
# Run as root on Debian 12, it installs what it needs: the arm64 architecture in dpkg, the
# cross compilers, the arm64 Qt and qemu-user.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DAWNBELL_ARM64_BUILD_DIR:-$root/build-arm64}
. "$root/scripts/compiler-cache.sh"

"$root/scripts/deps.sh" run arm64 >/dev/null

. "$root/scripts/host-tools.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DDAWNBELL_HOST_TOOLS="$host_tools" \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/aarch64-linux-gnu.cmake" >/dev/null
# Below the other work on the machine: the stage runs beside other builds in CI.
nice -n 10 cmake --build "$build" -j"$(nproc)" ${1:+--target "$@"}
