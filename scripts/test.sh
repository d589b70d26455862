#!/usr/bin/env bash
# Builds everything and runs the whole test suite twice: once in the ordinary build, and once
# in a clang build with AddressSanitizer and UndefinedBehaviorSanitizer (halting on the first
# report), which also runs the fuzz targets for a short, bounded time. Installs missing Debian
# packages when run as root, so it works on a fresh machine.
#
# DAWNBELL_QUICK=1 skips the sanitizer stage.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DAWNBELL_BUILD_DIR:-$root/build}
asan_build=${DAWNBELL_ASAN_BUILD_DIR:-$root/build-asan}
jobs=$(nproc)

"$root/scripts/deps.sh" test
echo "== ordinary build"
"$root/scripts/build.sh"
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs")

[ "${DAWNBELL_QUICK:-0}" = 1 ] && exit 0

echo "== sanitizer build (ASan + UBSan) with fuzz targets"
cmake -S "$root" -B "$asan_build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
      -DDAWNBELL_SANITIZE=ON -DDAWNBELL_FUZZ=ON >/dev/null
cmake --build "$asan_build" -j"$jobs"
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
export DAWNBELL_SANITIZED=1
(cd "$asan_build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs" -LE package)
