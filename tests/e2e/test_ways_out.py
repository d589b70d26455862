"""Every way the real panel can be ended saves the choices made in the session."""

import os
import signal
import subprocess
import time
import unittest

from harness import START_TIMEOUT, E2ETestCase, binary, settings_lines, wait_until

SCHEME_LINE = 10  # the colour scheme's line in setupdata.ini, counted from 0


class WaysOutTest(E2ETestCase):

    def choose_blue_yellow(self):
        panel, device = self.start_connected_panel()
        mark = device.mark()
        panel.click("schemeBox3")
        device.wait_for(r"^3  ", start=mark, timeout=START_TIMEOUT,
                        what="Blue/Yellow to reach the device")
        return panel

    def assert_scheme_saved(self, panel):
        self.assertEqual(settings_lines(panel.settings_path)[SCHEME_LINE], "3")

    def test_repeated_terminate_saves_and_exits_cleanly(self):
        panel = self.choose_blue_yellow()
        # Signals that come during the shutdown the first one started change nothing.
        deadline = time.monotonic() + START_TIMEOUT
        while panel.running() and time.monotonic() < deadline:
            panel.process.send_signal(signal.SIGTERM)
            time.sleep(0.002)
        self.assertEqual(panel.wait_exit(START_TIMEOUT), 0, panel.log())
        self.assert_scheme_saved(panel)

    def test_hangup_saves_and_exits_cleanly(self):
        panel = self.choose_blue_yellow()
        panel.process.send_signal(signal.SIGHUP)
        self.assertEqual(panel.wait_exit(START_TIMEOUT), 0, panel.log())
        self.assert_scheme_saved(panel)

    def test_destroyed_window_ends_the_panel(self):
        panel = self.choose_blue_yellow()
        self.x.xdotool("windowclose", panel.window)
        self.assertEqual(panel.wait_exit(START_TIMEOUT), 0, panel.log())
        self.assert_scheme_saved(panel)

        # The lock went with the process: the next start opens its window.
        again = self.start_panel(panel.workdir, panel.runtime)
        again.wait_window()

    def test_lost_display_still_saves(self):
        panel = self.choose_blue_yellow()
        self.x.stop()
        # Qt ends the process itself, with its own status; the settings are saved on the way.
        panel.wait_exit(START_TIMEOUT)
        self.assert_scheme_saved(panel)


class CommandLineTest(E2ETestCase):

    def run_panel(self, *args, stdout=subprocess.PIPE, env=()):
        """Runs the panel with no display at all, so it must answer without one."""
        workdir = self.folder("cli")
        env = dict(env, PATH="/usr/bin:/bin", HOME=workdir)
        result = subprocess.run([binary("DAWNBELL_BIN")] + list(args), cwd=workdir, env=env,
                                stdout=stdout, stderr=subprocess.PIPE, text=True, timeout=60)
        self.assertEqual(os.listdir(workdir), [], "nothing may be written")
        return result

    def test_answers_without_starting(self):
        # A display that nothing serves: the toolkit would abort on it.
        silent = next(":%d" % n for n in range(4000, 5000)
                      if not os.path.exists("/tmp/.X11-unix/X%d" % n))
        cases = [(["--version"], {}, 0, "dawnbell 1.00\n", ""),
                 (["--help"], {}, 0, "Usage: dawnbell [options]\n", ""),
                 (["--help-all"], {}, 0, "--qwindowgeometry", ""),
                 ([], {"DISPLAY": silent}, 1, "", "display %s:" % silent),
                 (["--no-such-option"], {}, 2, "",
                  "dawnbell: unknown option 'no-such-option' (see --help)\n"),
                 (["stray"], {}, 2, "", "dawnbell: unexpected argument 'stray' (see --help)\n"),
                 ([], {}, 1, "", "DISPLAY nor WAYLAND_DISPLAY is set"),
                 (["-C", "/dev/null/folder"], {"QT_QPA_PLATFORM": "offscreen"}, 1, "",
                  "cannot run in /dev/null/folder: Not a directory")]
        for args, env, code, out, err in cases:
            with self.subTest(args=args):
                result = self.run_panel(*args, env=env)
                self.assertEqual(result.returncode, code, result.stderr)
                self.assertIn(out, result.stdout)
                self.assertIn(err, result.stderr)
                self.assertLessEqual(result.stderr.count("\n"), 1, result.stderr)

    def test_output_that_cannot_be_written_fails(self):
        with open("/dev/full", "w") as full:
            result = self.run_panel("--help", stdout=full)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stderr, "dawnbell: cannot write to standard output: "
                         "No space left on device; free some space, or send the output "
                         "elsewhere\n")

    def test_directory_option_keeps_settings_there(self):
        self.start_simulator()
        workdir = self.folder("home")
        panel = self.start_panel(workdir, args=["-C", "new/folder"])
        panel.wait_window()
        panel.close_by_window_manager()
        self.assertEqual(panel.wait_exit(START_TIMEOUT), 0)
        self.assertEqual(len(settings_lines(workdir + "/new/folder/setupdata.ini")), 19)
        self.assertFalse(os.path.exists(panel.settings_path))
        # Diagnostics are for those who turn them on: a session that went well prints nothing.
        self.assertEqual(panel.log(), "")

    def test_menu_launch_that_cannot_make_its_folder_says_why(self):
        blocker = os.path.join(self.folder("home"), "config")
        open(blocker, "w").close()
        panel = self.start_panel(args=["--user-config"], extra_env={"XDG_CONFIG_HOME": blocker})
        box = wait_until(lambda: self.x.windows(panel.pid), START_TIMEOUT, "the message box")[0]
        self.x.xdotool("windowactivate", "--sync", box)
        panel.key("Return")
        self.assertEqual(panel.wait_exit(START_TIMEOUT), 1)
        self.assertIn("cannot run in %s/dawnbell: Not a directory" % blocker, panel.log())


if __name__ == "__main__":
    unittest.main()
