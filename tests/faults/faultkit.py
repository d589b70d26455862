"""Small additions to the end-to-end harness for the fault tests: the harness itself lives in
../e2e and is imported from there unchanged."""

import os
import resource
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
# Importing this module first makes "import harness" work in the test modules.
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))

LOOPBACK_HEX = "0100007F"  # 127.0.0.1 as /proc/net/tcp writes it
TCP_ESTABLISHED = "01"


def vm_rss_kb(pid):
    """The resident set size of a process in KiB, or None once it has ended."""
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        return None
    return None


def unread_bytes(local_port):
    """Bytes that arrived on established loopback connections to local_port and wait unread."""
    total = 0
    with open("/proc/net/tcp") as f:
        next(f)
        for line in f:
            fields = line.split()
            local, state, queues = fields[1], fields[3], fields[4]
            address, port = local.split(":")
            if (address == LOOPBACK_HEX and int(port, 16) == local_port
                    and state == TCP_ESTABLISHED):
                total += int(queues.split(":")[1], 16)
    return total


class FileSizeLimit:
    """While active, programs started by this process may not write files beyond limit bytes.

    Only the soft limit changes and it is restored on exit, so only the children started
    inside the block carry it."""

    def __init__(self, limit):
        self.limit = limit
        self.saved = None

    def __enter__(self):
        self.saved = resource.getrlimit(resource.RLIMIT_FSIZE)
        resource.setrlimit(resource.RLIMIT_FSIZE, (self.limit, self.saved[1]))
        return self

    def __exit__(self, *exc):
        resource.setrlimit(resource.RLIMIT_FSIZE, self.saved)
