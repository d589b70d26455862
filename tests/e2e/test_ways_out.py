"""Every way the real panel can be ended saves the choices made in the session."""

import os
import signal
import subprocess
import unittest

from harness import E2ETestCase, binary, settings_lines

SCHEME_LINE = 10  # the colour scheme's line in setupdata.ini, counted from 0


class WaysOutTest(E2ETestCase):

    def choose_blue_yellow(self):
        panel, device = self.start_connected_panel()
        mark = device.mark()
        panel.click("schemeBox3")
        device.wait_for(r"^3  ", start=mark, what="Blue/Yellow to reach the device")
        return panel

    def assert_scheme_saved(self, panel):
        self.assertEqual(settings_lines(panel.settings_path)[SCHEME_LINE], "3")

    def test_terminate_saves_and_exits_cleanly(self):
        panel = self.choose_blue_yellow()
        panel.process.send_signal(signal.SIGTERM)
        self.assertEqual(panel.wait_exit(), 0, panel.log())
        self.assert_scheme_saved(panel)

    def test_hangup_saves_and_exits_cleanly(self):
        panel = self.choose_blue_yellow()
        panel.process.send_signal(signal.SIGHUP)
        self.assertEqual(panel.wait_exit(), 0, panel.log())
        self.assert_scheme_saved(panel)

    def test_destroyed_window_ends_the_panel(self):
        panel = self.choose_blue_yellow()
        self.x.xdotool("windowclose", panel.window)
        self.assertEqual(panel.wait_exit(), 0, panel.log())
        self.assert_scheme_saved(panel)

        # The lock went with the process: the next start opens its window.
        again = self.start_panel(panel.workdir, panel.runtime)
        again.wait_window()

    def test_lost_display_still_saves(self):
        panel = self.choose_blue_yellow()
        self.x.stop()
        # Qt ends the process itself, with its own status; the settings are saved on the way.
        panel.wait_exit()
        self.assert_scheme_saved(panel)


class CommandLineTest(E2ETestCase):

    def run_panel(self, *args):
        """Runs the panel with no display at all, so it must answer without one."""
        workdir = self.folder("cli")
        result = subprocess.run([binary("DAWNBELL_BIN")] + list(args), cwd=workdir,
                                env={"PATH": "/usr/bin:/bin", "HOME": workdir},
                                capture_output=True, text=True, timeout=60)
        self.assertEqual(os.listdir(workdir), [], "nothing may be written")
        return result

    def test_answers_without_starting(self):
        cases = [(["--version"], 0, "dawnbell 1.00\n", ""),
                 (["--help"], 0, "--directory", ""),
                 (["--no-such-option"], 2, "", "no-such-option"),
                 (["stray"], 2, "", "stray")]
        for args, code, out, err in cases:
            with self.subTest(args=args):
                result = self.run_panel(*args)
                self.assertEqual(result.returncode, code, result.stderr)
                self.assertIn(out, result.stdout)
                self.assertIn(err, result.stderr)

    def test_directory_option_keeps_settings_there(self):
        self.start_simulator()
        workdir = self.folder("home")
        panel = self.start_panel(workdir, args=["-C", "new/folder"])
        panel.wait_window()
        panel.close_by_window_manager()
        self.assertEqual(panel.wait_exit(), 0)
        self.assertEqual(len(settings_lines(workdir + "/new/folder/setupdata.ini")), 19)
        self.assertFalse(os.path.exists(panel.settings_path))


if __name__ == "__main__":
    unittest.main()
