"""Leaving the real panel: "Save and Exit" keeps the edited endpoint, a window close does not."""

import unittest

from harness import DESIGN_PORT, YELLOW, E2ETestCase, free_port, settings_lines


class ShutdownTest(E2ETestCase):

    def test_save_and_exit_saves_edited_port_and_next_start_uses_it(self):
        self.start_simulator(DESIGN_PORT)
        panel = self.start_panel()
        panel.wait_window()
        port = free_port()

        panel.replace_text("portEdit", str(port))
        panel.click("saveAndExitButton")
        self.assertEqual(panel.wait_exit(), 0)

        lines = settings_lines(panel.settings_path)
        self.assertEqual(len(lines), 19, lines)
        self.assertEqual(lines[16], '"127.0.0.1"')
        self.assertEqual(lines[18], '"%d"' % port)

        # The next start connects on the saved port, after the built-in one.
        device = self.start_simulator(port)
        again = self.start_panel(panel.workdir)
        again.wait_window()
        device.wait_for(r"^connected 127\.0\.0\.1:", what="the panel to connect on %d" % port)
        again.wait_pixel("linkLamp", YELLOW)

    def test_window_close_saves_endpoint_as_loaded(self):
        self.start_simulator(DESIGN_PORT)
        panel = self.start_panel()
        panel.wait_window()
        with open(panel.settings_path, "rb") as f:
            loaded = f.read()

        panel.replace_text("hostEdit", "127.0.0.2")
        panel.replace_text("portEdit", str(free_port()))
        panel.close_by_window_manager()
        self.assertEqual(panel.wait_exit(), 0)

        # Nothing else changed either, so the file is written back byte for byte.
        with open(panel.settings_path, "rb") as f:
            self.assertEqual(f.read(), loaded)


if __name__ == "__main__":
    unittest.main()
