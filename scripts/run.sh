#!/usr/bin/env bash
# Builds the panel and runs it in the current folder (where it keeps setupdata.ini).
# When no device is configured (no settings file yet, or a loopback host), the bundled device
# simulator is started on that host and port first, and the panel only once it listens; when
# another program holds the port, nothing is started and the exit status is 1. The simulator
# stops when the panel ends. On a display it also shows its simulated clock below the panel;
# DAWNBELL_SIM_CONSOLE=1 keeps it to the console.
#
# run.sh [--no-build]: --no-build runs the programs already built in the build folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DAWNBELL_BUILD_DIR:-$root/build}

case "${1:-}" in
    "") "$root/scripts/build.sh" dawnbell dawnbell-sim ;; # only what it runs, not the tests
    --no-build) ;;
    *) echo "usage: run.sh [--no-build]" >&2; exit 2 ;;
esac

display=
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    display=yes
else
    "$root/scripts/deps.sh" headless
fi

host=127.0.0.1
port=5000
if [ -f setupdata.ini ]; then
    # Items 17 and 19 are the host and the port, one per line in a file the panel wrote.
    host=$(sed -n '17p' setupdata.ini | tr -d '"\r ')
    port=$(sed -n '19p' setupdata.ini | tr -d '"\r ')
fi

# An IPv6 address may be saved in brackets, as the host box takes it.
if [[ "$host" == \[*\] ]]; then
    host=${host:1:${#host}-2}
fi

# The simulator listens where the panel will connect: on the saved host when that is a
# loopback address; on 127.0.0.1 for the name localhost and for a blank host, which the panel
# reads as 127.0.0.1.
sim_host=
if [[ "$host" =~ ^127\.[0-9]{1,3}\.[0-9]{1,3}\.[0-9]{1,3}$ || "$host" == ::1 ]]; then
    sim_host=$host
elif [ -z "$host" ] || [ "$host" = localhost ]; then
    sim_host=127.0.0.1
fi

# Frame positions on the screen: the panel (693 x 468) at the top left, the simulated clock
# (560 x 300) below it, apart even with a window manager's title bars, within 1280 x 1024.
panel_place=(-qwindowgeometry +20+20)
clock_place=(-qwindowgeometry +20+560)

sim_pid=
if [ -n "$sim_host" ]; then
    sim_window=()
    if [ "${DAWNBELL_SIM_CONSOLE:-0}" != 1 ] && [ -n "$display" ]; then
        sim_window=(--window "${clock_place[@]}")
    fi
    work=$(mktemp -d)
    # Ends after the simulator and the copy of its lines, so nothing outlives the script.
    trap 'rm -rf "$work"; [ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null; wait' EXIT
    mkfifo "$work/out"
    "$build/tools/sim/dawnbell-sim" --host "$sim_host" --port "$port" "${sim_window[@]}" \
        >"$work/out" 2>"$work/err" &
    sim_pid=$!
    exec 3<"$work/out"
    # Its first line says it listens; without it, it has ended and said why on stderr.
    if ! read -r ready <&3 || [[ "$ready" != "listening on "* ]]; then
        wait "$sim_pid" || true
        sim_pid=
        why=$(tail -n 1 "$work/err")
        echo "run.sh: nothing started: the device simulator cannot listen on $sim_host" \
            "port $port (${why##*: })" >&2
        exit 1
    fi
    echo "$ready"
    cat <&3 &
else
    echo "Using the device at $host:$port from setupdata.ini"
fi

if [ -n "$display" ]; then
    "$build/app/dawnbell" "${panel_place[@]}"
else
    echo "No display found; running the panel in a virtual X server (xvfb-run)." >&2
    xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" "$build/app/dawnbell" "${panel_place[@]}"
fi
