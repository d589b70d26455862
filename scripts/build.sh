#!/usr/bin/env bash
# Configures and builds the project into build/ (or $DAWNBELL_BUILD_DIR): the targets named as
# arguments, or everything when none are named.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/compiler-cache.sh"
build=${DAWNBELL_BUILD_DIR:-$root/build}

"$root/scripts/deps.sh" run
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ $# -gt 0 ]; then
    cmake --build "$build" -j"$(nproc)" --target "$@"
else
    cmake --build "$build" -j"$(nproc)"
fi
