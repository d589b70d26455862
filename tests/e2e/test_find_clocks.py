"""Finding the clock from the panel: the search, "Use", "Save and Exit", and the next start;
who the simulator answers; and a search under a flood of answers."""

import os
import re
import socket
import subprocess
import sys
import time
import unittest

from harness import (DESIGN_PORT, START_TIMEOUT, E2ETestCase, HarnessError, control_rect,
                     free_port, settings_lines, wait_until)

DIALOG_TITLE = "Find clocks on the network"
HOST_LINE, PORT_LINE = 16, 18  # the endpoint's lines in setupdata.ini, counted from 0
COMMAND_PORT = 50001
SEARCH_ENDED = re.compile(r"search ended after (\d+) ms: (\d+) modules(, the list is full)?")
# A fake module that answers the latest asker without pause, each answer a whole one from
# another MAC.
FLOODER = """if 1:
    import socket, struct
    s = socket.socket(type=socket.SOCK_DGRAM)
    s.bind(("127.0.0.1", %d))
    print(flush=True)
    asker, n = s.recvfrom(99)[1], 0
    while True:
        try:
            asker = s.recvfrom(99, socket.MSG_DONTWAIT)[1]  # a new search's
        except BlockingIOError:
            n += 1
        s.sendto(b"MA\\2\\xfe" + struct.pack(">I", n) + b"\\r\\nLI127.0.0.1\\r\\nLP5000\\r\\n", asker)
""" % COMMAND_PORT


class FindClocksTest(E2ETestCase):

    def setUp(self):
        super().setUp()
        # The search goes to every network the machine is on: only inside a namespace of the
        # test's own is that loopback alone.
        if os.environ.get("DAWNBELL_PRIVATE_NET") != "1":
            self.skipTest("a search would leave the machine: no network namespace of its own")

    def open_dialog(self, panel):
        """Opens the dialog from the host box's context menu, its last entry."""
        def dialog_open():
            return self.x.windows(panel.pid, DIALOG_TITLE)
        for _ in range(5):
            panel.activate()
            x, y = panel.screen_point("hostEdit")
            self.x.xdotool("mousemove", x, y, "click", "3")
            panel.key("Up")
            panel.key("Return")
            try:
                return wait_until(dialog_open, 5.0, "the find-clocks dialog to open")
            except HarnessError:
                continue
        raise HarnessError("the host box's context menu opened no find-clocks dialog")

    def test_found_clock_is_used_saved_and_connected_at_the_next_start(self):
        # The first connection's simulator keeps out of the search; the clock to find listens
        # on 127.0.0.2, as a module of its own would.
        self.start_simulator(DESIGN_PORT, "--command-port", "0")
        port = free_port()
        device = self.start_simulator(port, "--host", "127.0.0.2")
        workdir = self.folder("work")
        panel = self.start_panel(workdir)
        panel.wait_window()

        self.open_dialog(panel)
        device.wait_for(r"^search from 127\.0\.0\.1:\d+ .*: answered$", timeout=START_TIMEOUT,
                        what="the panel's search to reach the clock")
        # Return is "Use" once the clock is in the list; before that it does nothing.
        wait_until(lambda: (panel.key("Return"), not self.x.windows(panel.pid, DIALOG_TITLE))[1],
                   START_TIMEOUT, "the found clock to be used", 0.5)

        panel.click("saveAndExitButton")
        self.assertEqual(panel.wait_exit(START_TIMEOUT), 0, panel.log())
        lines = settings_lines(panel.settings_path)
        self.assertEqual((lines[HOST_LINE], lines[PORT_LINE]), ('"127.0.0.2"', '"%d"' % port))

        self.start_panel(workdir).wait_window()
        device.wait_for(r"^connected 127\.0\.0\.\d+:", timeout=START_TIMEOUT,
                        what="the next start to connect to the found clock")

        # It answered this machine from its own address (saved above), and no other machine: a
        # veth pair inside the test's own namespace plays one, with documentation addresses.
        for command in ("link add dbv0 type veth peer name dbv1", "addr add 192.0.2.1/24 dev dbv0",
                        "addr add 192.0.2.2/24 dev dbv1", "link set dbv0 up", "link set dbv1 up"):
            subprocess.run(["ip"] + command.split(), check=True)
        with socket.socket(type=socket.SOCK_DGRAM) as s:
            s.bind(("192.0.2.2", 0))
            s.sendto(b"MA\xff\xff\xff\xff\xff\xff\r\nPW \r\nLI\r\n", ("192.0.2.1", COMMAND_PORT))
            device.wait_for(r"^search from 192\.0\.2\.2:.*: not from this machine$")
            self.assertRaises(BlockingIOError, s.recv, 1, socket.MSG_DONTWAIT)

    def test_flood_of_answers_stretches_no_search_and_stops_no_clock(self):
        # Connected at once, the panel asks no module about itself: the searches are the dialog's.
        self.start_simulator(DESIGN_PORT, "--command-port", "0")
        flooder = subprocess.Popen([sys.executable, "-c", FLOODER], stdout=subprocess.PIPE)
        self.addCleanup(flooder.communicate)
        self.addCleanup(flooder.kill)
        flooder.stdout.readline()  # it listens
        panel = self.start_panel(extra_env={"QT_LOGGING_RULES": "dawnbell.link.debug=true"})
        panel.wait_window()
        self.open_dialog(panel)
        wait_until(lambda: SEARCH_ENDED.search(panel.log()), START_TIMEOUT, "the first search")
        # Moved off the clock, the dialog searches again while the test watches the clock.
        dialog = self.x.windows(panel.pid, DIALOG_TITLE)[0]
        self.x.xdotool("windowmove", dialog, panel.origin[0] + 260, panel.origin[1])
        self.x.xdotool("windowactivate", "--sync", dialog, "key", "alt+s")
        x, y, w, h = control_rect("timeLabel")
        pictures = []
        while not pictures or time.monotonic() - pictures[0][0] < 5.0:
            picture = self.x.grab(panel.origin[0] + x, panel.origin[1] + y, w, h).data
            pictures.append((time.monotonic(), picture))
        changes = [t for (t, a), (_, b) in zip(pictures, pictures[1:]) if a != b]
        gaps = [b - a for a, b in zip([pictures[0][0]] + changes, changes + [pictures[-1][0]])]
        self.assertLess(max(gaps), 2.5, "the clock stood still between changes: %s" % gaps)
        ended = wait_until(lambda: SEARCH_ENDED.findall(panel.log())[1:], START_TIMEOUT,
                           "the second search to end")[0]
        # A loaded machine may carry fewer answers in the second; the list never passes its bound
        # and says when it reached it.
        listed = int(ended[1])
        self.assertLessEqual(listed, 256)
        self.assertEqual(ended[2], ", the list is full" if listed == 256 else "")
        self.assertLessEqual(int(ended[0]), 1500)

if __name__ == "__main__":
    unittest.main()
