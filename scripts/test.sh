#!/usr/bin/env bash
# Builds everything and runs the whole test suite twice: once in the ordinary build, and once
# in a clang build with AddressSanitizer and UndefinedBehaviorSanitizer (halting on the first
# report), which also runs the fuzz targets for a short, bounded time. Installs missing Debian
# packages when run as root, so it works on a fresh machine.
#
# DAWNBELL_QUICK=1 skips the sanitizer stage. `scripts/test.sh --windows` runs the windows
# stage instead (scripts/test-windows.sh): the Windows build's tests under Wine;
# `scripts/test.sh --arm64` the arm64 stage (scripts/test-arm64.sh): the arm64 build's tests
# and package under qemu-user.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/compiler-cache.sh"
case "${1:-}" in
    --windows) exec "$root/scripts/test-windows.sh" ;;
    --arm64) exec "$root/scripts/test-arm64.sh" ;;
esac
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
# intercept_tls_get_addr=0: clang 14's runtime guesses the bounds of a thread-local block that
# the dynamic linker allocates at run time from the two words in front of it whenever the block
# starts 16 bytes into a page, a header glibc stopped writing in 2.25. When a block lands there
# by chance (libjpeg's, loaded for the window's pictures, in every panel) the leak checker gets
# a bogus range and crashes at exit. Where the block lands depends only on the allocations made
# before it, so upgrading or adding unrelated system packages can start or stop the crash.
# Leak checking stays whole: the blocks are heap blocks reachable from the thread's own
# records, so what they point at still counts as held and leaks are still reported
# (tests/sanitizer checks both).
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0:intercept_tls_get_addr=0
export DAWNBELL_SANITIZED=1
(cd "$asan_build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs" -LE package)
