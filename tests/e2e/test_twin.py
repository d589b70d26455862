"""The simulator's window shows what the real panel's clicks make the device show."""

import re
import unittest

from harness import (E2ETestCase, EXIT_TIMEOUT, START_TIMEOUT, HarnessError, control_rect,
                     free_port, wait_until, write_settings)

# The twin's fixed face (tools/sim/twinwindow.h) and where it puts the screen preview: the
# panel's preview size, a 12-pixel margin from the top right corner.
FACE_SIZE = (560, 300)
PREVIEW_SIZE = control_rect("screen2Picture")[2:]
PREVIEW_AT = (FACE_SIZE[0] - 12 - PREVIEW_SIZE[0], 12)
# A corner of the face where nothing is drawn over the background.
FACE_POINT = (FACE_SIZE[0] - 4, FACE_SIZE[1] - 4)

BLACK = (0, 0, 0)
BLUE = (0, 0, 255)


def difference(a, b):
    """Mean absolute difference of two equally sized pictures, per colour channel."""
    return sum(abs(x - y) for x, y in zip(a.data, b.data)) / len(a.data)


class TwinTest(E2ETestCase):

    def grab(self, origin, rect):
        x, y, w, h = rect
        return self.x.grab(origin[0] + x, origin[1] + y, w, h)

    def test_panel_clicks_change_the_face(self):
        workdir = self.folder("work")
        port = free_port()
        write_settings(workdir, port=port)
        self.start_simulator()
        device = self.start_simulator(port, window=True)
        title = "Dawnbell simulated clock (127.0.0.1:%d)" % port
        twin = wait_until(lambda: self.x.windows(device.process.pid, title),
                          START_TIMEOUT, "the simulated clock's window")[0]
        x, y, w, h = self.x.geometry(twin)
        self.assertEqual((w, h), FACE_SIZE)
        twin_origin = (x, y)
        # The first paint follows the mapping, as for the panel's window.
        wait_until(lambda: len(self.grab(twin_origin, (0, 0) + FACE_SIZE).colours()) > 4,
                   START_TIMEOUT, "the simulated clock to be painted")

        def face():
            return self.grab(twin_origin, FACE_POINT + (1, 1)).pixel(0, 0)
        wait_until(lambda: face() == BLACK, START_TIMEOUT, "the face in Black/Green")

        panel = self.start_panel(workdir)
        panel.wait_window()
        device.wait_for(r"^connected 127\.0\.0\.1:", what="the panel to connect")
        panel.activate()
        for control, line in (("schemeBox3", r"^3  "), ("screenBox2", r"^6  ")):
            mark = device.mark()
            panel.click(control)
            device.wait_for(line, start=mark, what="%s to send its command" % control)
        screen1 = self.grab(panel.origin, control_rect("screen1Picture"))
        screen2 = self.grab(panel.origin, control_rect("screen2Picture"))
        self.assertGreater(difference(screen1, screen2), 20)

        self.x.xdotool("windowactivate", "--sync", twin)
        seen = []

        def shows_blue_and_screen_2():
            preview = self.grab(twin_origin, PREVIEW_AT + PREVIEW_SIZE)
            seen[:] = [face(), difference(preview, screen2), difference(preview, screen1)]
            return seen[0] == BLUE and seen[1] < 4
        try:
            wait_until(shows_blue_and_screen_2, START_TIMEOUT, "a blue face with screen 2")
        except HarnessError as e:
            self.fail("%s; face %s, preview differs from screen 2 by %.1f and from screen 1 "
                      "by %.1f" % (e, *seen))

        # Another client destroying the window ends the simulator, as closing it does.
        self.x.xdotool("windowclose", twin)
        self.assertEqual(device.process.wait(EXIT_TIMEOUT), 0)


if __name__ == "__main__":
    unittest.main()
