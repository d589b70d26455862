#!/usr/bin/env bash
# Runs a test command in a network namespace of its own, where loopback is the only network.
# The panel's first connection always goes to 127.0.0.1:5000; there, only the test's own
# programs can answer it, never a simulator, a second test run or any other program on the
# machine. Root makes the namespace with `unshare --net`, another account with `unshare
# --map-root-user --net` where the system lets it. Where neither works, the test runs as it is,
# on the machine's loopback, and says so on stderr; it then takes turns on port 5000 through
# CTest's resource lock and waits for a stranger to let the port go.
#
# DAWNBELL_PRIVATE_NET=0 runs the test on the machine's loopback; inside a namespace made
# here it is 1.
set -euo pipefail
if [ "${DAWNBELL_PRIVATE_NET:-}" != 0 ]; then
    for unshare in "unshare --net" "unshare --map-root-user --net"; do
        # The trial also proves that the loopback device can be brought up there.
        if $unshare ip link set lo up 2>/dev/null; then
            exec $unshare env DAWNBELL_PRIVATE_NET=1 sh -c 'ip link set lo up && exec "$@"' \
                private-net "$@"
        fi
    done
fi
echo "private-net.sh: no network namespace of its own; the test shares 127.0.0.1 with the" \
    "machine" >&2
exec env DAWNBELL_PRIVATE_NET=0 "$@"
