"""Finding the clock from the panel: the search, "Use", "Save and Exit", and the next start."""

import os
import unittest

from harness import (DESIGN_PORT, START_TIMEOUT, E2ETestCase, HarnessError, free_port,
                     settings_lines, wait_until)

DIALOG_TITLE = "Find clocks on the network"
HOST_LINE, PORT_LINE = 16, 18  # the endpoint's lines in setupdata.ini, counted from 0


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


if __name__ == "__main__":
    unittest.main()
