"""Finding the clock from the panel: the search, "Use", "Save and Exit", and the next start;
a search under a flood of answers; and who the simulator answers."""

import os
import re
import socket
import subprocess
import time
import unittest

from harness import (DESIGN_PORT, START_TIMEOUT, E2ETestCase, HarnessError, control_rect,
                     free_port, settings_lines, wait_until)

DIALOG_TITLE = "Find clocks on the network"
HOST_LINE, PORT_LINE = 16, 18  # the endpoint's lines in setupdata.ini, counted from 0
COMMAND_PORT = 50001
SEARCH_REQUEST = b"MA\xff\xff\xff\xff\xff\xff\r\nPW \r\nMC\r\nLI\r\nLP\r\n"
SEARCH_ENDED = re.compile(r"search ended after (\d+) ms: (\d+) modules(, the list is full)?")


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

    def start_flooder(self):
        """A fake module that answers every search with an endless flood (DAWNBELL_FLOOD)."""
        if not os.environ.get("DAWNBELL_FLOOD"):
            self.skipTest("no flooding module is built here")
        flooder = subprocess.Popen([os.environ["DAWNBELL_FLOOD"], str(COMMAND_PORT)],
                                   stdout=subprocess.PIPE, text=True)
        self.addCleanup(flooder.stdout.close)
        self.addCleanup(flooder.wait)
        self.addCleanup(flooder.kill)
        self.assertEqual(flooder.stdout.readline(), "ready\n")
        return flooder

    def clock_picture(self, panel):
        x, y, w, h = control_rect("timeLabel")
        return self.x.grab(panel.origin[0] + x, panel.origin[1] + y, w, h).data

    def test_flood_of_answers_stretches_no_search_and_stops_no_clock(self):
        # Connected at once, the panel asks no module about itself: the searches are the dialog's.
        self.start_simulator(DESIGN_PORT, "--command-port", "0")
        self.start_flooder()
        panel = self.start_panel(self.folder("work"),
                                 extra_env={"QT_LOGGING_RULES": "dawnbell.link.debug=true"})
        panel.wait_window()
        self.open_dialog(panel)
        wait_until(lambda: SEARCH_ENDED.search(panel.log()), START_TIMEOUT, "the first search")
        # The dialog opens over the clock: moved aside, it leaves the clock in sight.
        dialog = self.x.windows(panel.pid, DIALOG_TITLE)[0]
        _, _, w, h = control_rect("dateTimeFrame")
        self.x.xdotool("windowmove", dialog, panel.origin[0] + w + 40, panel.origin[1])
        self.x.xdotool("windowactivate", "--sync", dialog, "key", "alt+s")  # "Search again"

        # The clock label changes every second while the search runs and after it.
        changes, last, started = [], self.clock_picture(panel), time.monotonic()
        while time.monotonic() - started < 5.0:
            picture = self.clock_picture(panel)
            if picture != last:
                changes.append(time.monotonic())
                last = picture
        gaps = [b - a for a, b in zip([started] + changes, changes + [time.monotonic()])]
        self.assertLess(max(gaps), 2.5, "the clock stood still: changes at %s" % gaps)

        ended = wait_until(lambda: SEARCH_ENDED.findall(panel.log())[1:], START_TIMEOUT,
                           "the second search to end")[0]
        self.assertLessEqual(int(ended[0]), 1500, panel.log())
        self.assertEqual((int(ended[1]), ended[2]), (256, ", the list is full"))

    def test_simulator_on_loopback_answers_this_machine_only(self):
        # Another machine: a veth pair inside the test's own namespace, documentation addresses.
        if subprocess.run(["ip", "link", "add", "dbv0", "type", "veth", "peer", "name", "dbv1"],
                          capture_output=True).returncode != 0:
            self.skipTest("no veth pair can be made here")
        for device, address in (("dbv0", "192.0.2.1/24"), ("dbv1", "192.0.2.2/24")):
            subprocess.run(["ip", "addr", "add", address, "dev", device], check=True)
            subprocess.run(["ip", "link", "set", device, "up"], check=True)
        self.addCleanup(subprocess.run, ["ip", "link", "del", "dbv0"])
        device = self.start_simulator(free_port(), "--host", "127.0.0.2")
        for asker, asked, verdict in (("127.0.0.1", "127.0.0.2", "answered"),
                                      ("192.0.2.2", "192.0.2.1", "not from this machine")):
            with self.subTest(asker=asker), socket.socket(socket.AF_INET,
                                                          socket.SOCK_DGRAM) as s:
                s.bind((asker, 0))
                start = device.mark()
                s.sendto(SEARCH_REQUEST, (asked, COMMAND_PORT))
                device.wait_for(r"^search from %s:\d+ .*: %s$" % (re.escape(asker), verdict),
                                start)
                s.settimeout(0 if verdict != "answered" else START_TIMEOUT)
                try:
                    answered_from = s.recvfrom(2048)[1][0]
                except OSError:
                    answered_from = None
                # A module answers from the address it gives itself.
                self.assertEqual(answered_from, asked if verdict == "answered" else None)


if __name__ == "__main__":
    unittest.main()
