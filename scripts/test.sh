#!/usr/bin/env bash
# Builds everything and runs the whole test suite. Installs missing Debian packages when
# run as root, so it works on a fresh machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DAWNBELL_BUILD_DIR:-$root/build}

"$root/scripts/build.sh"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
