"""scripts/run.sh --no-build with the test build's programs and a loopback port the test chose."""

import os
import re
import signal
import socket
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness  # noqa: E402

RUN_SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../scripts/run.sh")


def session_members(session):
    """Processes in the given session, whoever their parent is now."""
    return [int(pid) for pid in subprocess.run(["pgrep", "-s", str(session)],
                                               capture_output=True, text=True).stdout.split()]


class RunScript(unittest.TestCase):
    def setUp(self):
        self.tmp = self.enterContext(tempfile.TemporaryDirectory(ignore_cleanup_errors=True))
        self.port = harness.free_port()
        harness.write_settings(self.tmp, port=self.port)

    def start(self, env):
        env.update(XDG_RUNTIME_DIR=self.tmp, XDG_CONFIG_HOME=os.path.join(self.tmp, "config"),
                   LC_ALL="C.UTF-8", QT_SCALE_FACTOR="1", QT_ENABLE_HIGHDPI_SCALING="0")
        # A session of its own, so whatever it starts can be found and ended.
        script = subprocess.Popen(["bash", RUN_SCRIPT, "--no-build"], cwd=self.tmp, env=env,
                                  stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                  start_new_session=True)
        self.addCleanup(self.end_session, script)
        return script

    def end_session(self, script):
        for pid in session_members(script.pid):
            os.kill(pid, signal.SIGKILL)
        script.communicate()

    def test_port_taken_starts_nothing(self):
        # The simulator goes to the saved loopback host, so a listener there is in its way.
        for host, family in (("127.0.0.1", socket.AF_INET), ("127.0.0.2", socket.AF_INET),
                             ("::1", socket.AF_INET6), ("[::1]", socket.AF_INET6)):
            address = host.strip("[]")  # the panel saves an IPv6 address in brackets
            with self.subTest(host=host), socket.create_server((address, self.port),
                                                               family=family):
                harness.write_settings(self.tmp, host=host, port=self.port)
                script = self.start({k: v for k, v in os.environ.items()
                                     if k not in ("DISPLAY", "WAYLAND_DISPLAY")})
                err = script.communicate(timeout=60)[1]
                self.assertEqual(script.returncode, 1)
                self.assertRegex(err, r"\A[^\n]* %s port %d\b[^\n]*\n\Z"
                                 % (re.escape(address), self.port))
                self.assertEqual(session_members(script.pid), [], "run.sh left a process running")

    def test_clock_and_panel_apart(self):
        for window_manager in (True, False):
            with self.subTest(window_manager=window_manager), \
                    harness.XSession(self.tmp, 1280, 1024, window_manager) as x:
                script = self.start(x.env(QT_QPA_PLATFORM="xcb"))
                panel = self.frame(x, "^Dawnbell$")
                clock = self.frame(x, r"^Dawnbell simulated clock \(127\.0\.0\.1:%d\)$" % self.port)
                self.assertTrue(all(r[0] >= 0 and r[1] >= 0 and r[2] <= 1280 and r[3] <= 1024
                                    for r in (panel, clock)), (panel, clock))
                self.assertTrue(panel[3] <= clock[1] or clock[3] <= panel[1]
                                or panel[2] <= clock[0] or clock[2] <= panel[0], (panel, clock))
                # The panel saves and ends on SIGTERM; run.sh then stops the simulator.
                os.kill(int(x.xdotool("search", "--onlyvisible", "--name", "^Dawnbell$",
                                      "getwindowpid")), signal.SIGTERM)
                script.communicate(timeout=harness.EXIT_TIMEOUT)
                self.assertEqual(session_members(script.pid), [])

    def frame(self, x, title):
        """(left, top, right, bottom) of the window with that title, with its decorations."""
        window = harness.wait_until(
            lambda: x.xdotool("search", "--onlyvisible", "--name", title, check=False).split(),
            harness.START_TIMEOUT, "a window named %s" % title)[0]
        left, top, width, height = x.geometry(window)
        extents = subprocess.run(["xprop", "-id", window, "_NET_FRAME_EXTENTS"], env=x.env(),
                                 capture_output=True, text=True).stdout
        l, r, t, b = map(int, re.findall(r"\d+", extents.partition("=")[2]) or [0, 0, 0, 0])
        return (left - l, top - t, left + width + r, top + height + b)


if __name__ == "__main__":
    unittest.main()
