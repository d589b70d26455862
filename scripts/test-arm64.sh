#!/usr/bin/env bash
# The arm64 stage: cross-builds Dawnbell for 64-bit ARM Linux (scripts/build-arm64.sh) and
# tests it under qemu-user: the unit tests and the programs themselves (tests/cross) through
# CTest, in a network namespace of their own where only loopback exists; then the arm64
# Debian package, built and checked as the machine's own is (tests/package/check-package.sh).
# Prints the time of each step. Run it with `scripts/test.sh --arm64`.
#
# Installs what it needs when run as root. Otherwise, with packages missing, the stage says on
# its first line that it was skipped and why, and succeeds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export DAWNBELL_ARM64_BUILD_DIR=${DAWNBELL_ARM64_BUILD_DIR:-$root/build-arm64}
package_build=${DAWNBELL_ARM64_PACKAGE_BUILD_DIR:-$root/build-package-arm64}

start=$(date +%s)
step=$start
took() {
    local now
    now=$(date +%s)
    echo "== arm64 stage: $1 took $((now - step)) s"
    step=$now
}

if ! missing=$("$root/scripts/deps.sh" run package arm64 2>&1); then
    [ "$(id -u)" -ne 0 ] && { echo "arm64 stage skipped: ${missing%%$'\n'*}"; exit 0; }
    echo "$missing"
    exit 1
fi
took "installing packages"

"$root/scripts/build-arm64.sh"
took "the cross build"

# qemu-user runs the programs in the machine's network namespace: the whole run goes into one
# of its own.
(cd "$DAWNBELL_ARM64_BUILD_DIR" && bash "$root/tests/private-net.sh" ctest --output-on-failure -j"$(nproc)")
took "the tests under qemu-user"

DAWNBELL_PACKAGE_ARCH=arm64 bash "$root/tests/package/check-package.sh" "$root" \
    "$package_build" "$DAWNBELL_ARM64_BUILD_DIR/tests/ui/tst_looks"
took "building and checking the package"
echo "== arm64 stage passed in $(($(date +%s) - start)) s"
