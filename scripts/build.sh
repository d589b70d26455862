#!/usr/bin/env bash
# Configures and builds the project into build/ (or $DAWNBELL_BUILD_DIR): the targets named as
# arguments, or everything when none are named.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# A compiler cache, where one is installed, makes a rebuild of unchanged sources cheap; the
# base folder makes clones in other folders share it.
if command -v ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
fi
build=${DAWNBELL_BUILD_DIR:-$root/build}

"$root/scripts/deps.sh" run
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ $# -gt 0 ]; then
    cmake --build "$build" -j"$(nproc)" --target "$@"
else
    cmake --build "$build" -j"$(nproc)"
fi
