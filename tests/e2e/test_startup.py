"""Start-up of the real panel: the default settings file, the lamp and the start-up waits."""

import unittest

from harness import (DESIGN_PORT, GREEN, RED, YELLOW, E2ETestCase, control_rect,
                     free_port, settings_lines, write_settings)


class StartupTest(E2ETestCase):

    def test_device_answering_gives_yellow_lamp_and_default_file(self):
        sim = self.start_simulator(DESIGN_PORT)
        panel = self.start_panel()
        panel.wait_window()

        panel.wait_pixel("Shape1", YELLOW)
        # Only the first connection is certain to be served: the one-client simulator may
        # turn the immediate reconnect away while it still holds the first connection, after
        # the kernel has completed the handshake that the lamp reports.
        sim.wait_for(r"^connected 127\.0\.0\.1:")

        lines = settings_lines(panel.settings_path)
        self.assertEqual(len(lines), 19, lines)
        self.assertEqual(lines[16], '"127.0.0.1"')
        self.assertEqual(lines[18], '"5000"')

        # The clock labels carry text as soon as the window shows: their insides are not
        # one flat colour.
        picture = panel.grab_client()
        for label in ("Label16", "Label15"):
            x, y, w, h = control_rect(label)
            colours = {picture.pixel(px, py)
                       for px in range(x + 3, x + w - 3) for py in range(y + 3, y + h - 3)}
            self.assertGreater(len(colours), 1, "%s shows no text" % label)

    def test_device_absent_gives_red_lamp_after_both_waits(self):
        self.require_design_port_idle()
        panel = self.start_panel()
        elapsed = panel.wait_window()

        # Each of the two connection attempts waits its full 2 seconds on a refusal.
        self.assertGreaterEqual(elapsed, 3.5)
        panel.wait_pixel("Shape1", RED)

    def test_only_first_connection_answering_gives_red_lamp(self):
        self.require_design_port_idle()
        sim = self.start_simulator(DESIGN_PORT)
        work = self.folder("work")
        write_settings(work, port=free_port())
        panel = self.start_panel(work)
        panel.wait_window()

        panel.wait_pixel("Shape1", RED)
        sim.wait_for(r"^connected ")

    def test_only_saved_port_answering_gives_green_lamp(self):
        self.require_design_port_idle()
        port = free_port()
        sim = self.start_simulator(port)
        work = self.folder("work")
        write_settings(work, port=port)
        panel = self.start_panel(work)
        panel.wait_window()

        panel.wait_pixel("Shape1", GREEN)
        sim.wait_for(r"^connected 127\.0\.0\.1:")


if __name__ == "__main__":
    unittest.main()
