"""Two copies of the real panel started at the same instant, round after round, in one user
session: exactly one becomes the panel and the other only shows its message. The winner is
then killed, so every later round also starts over a lock whose owner is gone."""

import os
import unittest

import faultkit  # noqa: F401  (puts the harness on the path)
from harness import (CLIENT_SIZE, DESIGN_PORT, E2ETestCase, HarnessError, wait_until,
                     write_settings)


class TwoCopiesAtOnce(E2ETestCase):
    ROUNDS = 15
    RESOLVE_TIMEOUT = 20.0

    def sizes(self, panel):
        """The client sizes of the panel's visible windows; windows that vanish are skipped."""
        found = []
        for window in self.x.windows(panel.pid):
            try:
                found.append((window, tuple(self.x.geometry(window)[2:])))
            except HarnessError:
                pass
        return found

    def resolve(self, pair, round_number):
        """Waits until one copy shows the main window and the other a message box; returns
        (winner, loser, box window). Fails at once when both open main windows."""
        def outcome():
            windows = {}
            for panel in pair:
                if not panel.running():
                    raise AssertionError("round %d: a copy ended with %s before the user "
                                         "answered:\n%s" % (round_number,
                                                           panel.process.returncode,
                                                           panel.log()))
                windows[panel] = self.sizes(panel)
            mains = [p for p in pair if any(s == CLIENT_SIZE for _, s in windows[p])]
            if len(mains) > 1:
                raise AssertionError("round %d: both copies opened the main window"
                                     % round_number)
            boxes = [(p, w) for p in pair for w, s in windows[p] if s != CLIENT_SIZE]
            if len(mains) == 1 and len(boxes) == 1 and boxes[0][0] is not mains[0]:
                return mains[0], boxes[0][0], boxes[0][1]
            return None
        return wait_until(outcome, self.RESOLVE_TIMEOUT,
                          "round %d: one panel and one message" % round_number)

    def test_one_copy_wins_every_round_and_a_killed_one_never_blocks(self):
        self.require_design_port_idle()
        self.start_simulator(DESIGN_PORT)
        work = self.folder("work")
        path = write_settings(work)
        with open(path, "rb") as f:
            settings = f.read()
        runtime = self.folder("runtime")

        for round_number in range(1, self.ROUNDS + 1):
            pair = [self.start_panel(work, runtime), self.start_panel(work, runtime)]
            winner, loser, box = self.resolve(pair, round_number)

            self.x.xdotool("windowactivate", "--sync", box)
            loser.key("Return")
            self.assertEqual(loser.wait_exit(), 0, loser.log())
            self.assertTrue(winner.running(), "round %d: the winner ended" % round_number)
            # The message alone must not cost the first copy its window. The window manager
            # may be restacking as the message goes, so the window gets a moment to show.
            wait_until(lambda: any(s == CLIENT_SIZE for _, s in self.sizes(winner)), 5.0,
                       "round %d: the winner's window after the message" % round_number)

            # A crash leaves the lock behind; the next round has to see through it.
            winner.process.kill()
            winner.process.wait()
            with open(path, "rb") as f:
                self.assertEqual(f.read(), settings, "round %d changed the settings"
                                 % round_number)

        last = self.start_panel(work, runtime)
        last.wait_window()
        self.assertEqual(len(self.sizes(last)), 1)
        last.close_by_window_manager()
        self.assertEqual(last.wait_exit(), 0, last.log())
        self.assertEqual(sorted(os.listdir(work)), ["setupdata.ini"])


if __name__ == "__main__":
    unittest.main()
