#!/usr/bin/env bash
# The windows stage: builds Dawnbell for Windows and tests it under Wine on an Xvfb display,
# in a network namespace of its own where only loopback exists: the unit tests through CTest,
# the Task Scheduler definition, and the panel itself against the Linux simulator.
#
# Needs the cross Qt in its cache (scripts/windows-qt.sh). When the cache is missing, it is
# built first (about 40 minutes on 2 cores) if this runs as root; otherwise, or with
# DAWNBELL_WINDOWS_QT_BUILD=0, the stage says on its first line that it was skipped and why,
# and succeeds. Run it with `scripts/test.sh --windows`.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export DAWNBELL_WINDOWS_QT=${DAWNBELL_WINDOWS_QT:-/var/cache/dawnbell/qt-6.4.2-mingw64}
export DAWNBELL_WINDOWS_BUILD_DIR=${DAWNBELL_WINDOWS_BUILD_DIR:-$root/build-win}
linux_build=${DAWNBELL_BUILD_DIR:-$root/build}

skip() {
    echo "windows stage skipped: $*"
    exit 0
}

if [ ! -f "$DAWNBELL_WINDOWS_QT/.complete" ]; then
    [ "${DAWNBELL_WINDOWS_QT_BUILD:-1}" = 0 ] \
        && skip "no cross Qt in $DAWNBELL_WINDOWS_QT, and DAWNBELL_WINDOWS_QT_BUILD=0"
    [ "$(id -u)" -eq 0 ] \
        || skip "no cross Qt in $DAWNBELL_WINDOWS_QT, and building it needs root"
    echo "== windows stage: building Qt for Windows into $DAWNBELL_WINDOWS_QT"
    qt_log=$(mktemp)
    if ! "$root/scripts/windows-qt.sh" >"$qt_log" 2>&1; then
        tail -n 30 "$qt_log"
        skip "building the cross Qt failed (log above)"
    fi
fi

echo "== windows stage: cross build"
start=$(date +%s)
"$root/scripts/build-windows.sh"
# The panel under Wine talks to the Linux simulator, and is clicked where the Linux
# layoutdump says each control is.
if [ ! -x "$linux_build/tools/sim/dawnbell-sim" ] || [ ! -x "$linux_build/tests/e2e/layoutdump" ]
then
    DAWNBELL_BUILD_DIR=$linux_build "$root/scripts/build.sh" dawnbell-sim layoutdump
fi
echo "== windows stage: tests under Wine (loopback only)"
DAWNBELL_SIM=$linux_build/tools/sim/dawnbell-sim \
    DAWNBELL_LAYOUT=$linux_build/tests/e2e/layoutdump \
    unshare --map-root-user --net bash "$root/tests/windows/under-wine.sh"
echo "== windows stage passed in $(($(date +%s) - start)) s"
