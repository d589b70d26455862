#!/usr/bin/env bash
# Runs Windows programs under Wine, inside a network namespace of their own (started by
# scripts/test-windows.sh and scripts/package-windows.sh with unshare): loopback is the only
# network there. Starts an Xvfb display and a persistent wineserver for a Wine prefix in the
# cross build's folder, then runs the command given, from this folder; without one, the unit
# tests through CTest and the end-to-end checks against the Linux simulator (DAWNBELL_SIM).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${DAWNBELL_WINDOWS_BUILD_DIR:?}

ip link set lo up
export WINEPREFIX=$build/wineprefix WINEARCH=win64 WINEDEBUG=-all
# No prompts to fetch Mono or Gecko: nothing here needs them.
export WINEDLLOVERRIDES="mscoree,mshtml="
# The built programs find the cross Qt's libraries (and through them its plugins) and the
# MinGW runtime where they were installed.
windows_path() {
    local path=$1
    printf 'Z:%s' "${path//\//\\}"
}
qt=${DAWNBELL_WINDOWS_QT:-/var/cache/dawnbell/qt-6.4.2-mingw64}
WINEPATH="$(windows_path "$qt/bin");$(windows_path /usr/lib/gcc/x86_64-w64-mingw32/12-posix)"
export WINEPATH="$WINEPATH;$(windows_path /usr/x86_64-w64-mingw32/lib)"

work=$(mktemp -d)
xvfb=
wm=
cleanup() {
    wineserver -k 2>/dev/null || true
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
until [ -s "$work/display" ]; do
    kill -0 "$xvfb" 2>/dev/null || { echo "Xvfb did not start" >&2; exit 1; }
    sleep 0.1
done
export DISPLAY=:$(head -n 1 "$work/display")
# A window manager, as a Windows desktop has: without one, Wine waits 2 seconds for it to let
# go of each window that closes, and the unit tests open and close hundreds.
XDG_CONFIG_HOME=$work openbox --sm-disable >/dev/null 2>&1 &
wm=$!
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
    kill -0 "$wm" 2>/dev/null || { echo "openbox did not start" >&2; exit 1; }
    sleep 0.1
done

# The server works in the prefix's folder, which the first run on a fresh clone makes.
mkdir -p "$WINEPREFIX"
wineserver -p
wineboot >/dev/null 2>&1

cd "$here"
if [ $# -gt 0 ]; then
    "$@"
else
    # Every unit test; the cases that Windows itself does not have say so as they skip.
    (cd "$build" && ctest --output-on-failure -j"$(nproc)" --timeout 300)
    python3 -m unittest -v test_wine
fi
