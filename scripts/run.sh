#!/usr/bin/env bash
# Builds the panel and runs it in the current folder (where it keeps setupdata.ini).
# When no device is configured (no settings file yet, or a loopback host), the bundled
# device simulator is started on that port first and stopped when the panel ends. On a
# display it also shows its simulated clock; DAWNBELL_SIM_CONSOLE=1 keeps it to the console.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DAWNBELL_BUILD_DIR:-$root/build}

# Only the two programs it runs, so the window comes up without waiting for the tests to build.
"$root/scripts/build.sh" dawnbell dawnbell-sim

host=127.0.0.1
port=5000
if [ -f setupdata.ini ]; then
    # Items 17 and 19 are the host and the port, one per line in a file the panel wrote.
    host=$(sed -n '17p' setupdata.ini | tr -d '"\r')
    port=$(sed -n '19p' setupdata.ini | tr -d '"\r ')
fi

sim_pid=
case "$host" in
    127.*|localhost|::1)
        sim_window=()
        if [ "${DAWNBELL_SIM_CONSOLE:-0}" != 1 ] \
            && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
            sim_window=(--window)
        fi
        "$build/tools/sim/dawnbell-sim" --host 127.0.0.1 --port "$port" "${sim_window[@]}" &
        sim_pid=$!
        trap 'kill "$sim_pid" 2>/dev/null || true' EXIT
        sleep 0.3
        ;;
    *)
        echo "Using the device at $host:$port from setupdata.ini"
        ;;
esac

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found; running the panel in a virtual X server (xvfb-run)." >&2
    xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$build/app/dawnbell"
else
    "$build/app/dawnbell"
fi
