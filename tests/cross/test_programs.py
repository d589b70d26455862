"""The programs of a build for another processor, run under its emulator through the launchers
that DAWNBELL_BIN, DAWNBELL_SEND and DAWNBELL_SIM name, on 127.0.0.1 in a network namespace of
the test's own (tests/private-net.sh). The package check runs `dawnbell-send --version` and
the others' --help under the emulator."""

import datetime
import os
import re
import shutil
import signal
import subprocess
import tempfile
import threading
import unittest

from harness import (DESIGN_PORT, Simulator, binary, free_port, settings_lines,
                     wait_until, write_settings)

# An emulated program starts many times slower than a native one, more so on a loaded machine.
PROGRAM_TIMEOUT = 120.0
# How far ahead of the second it is sent at `time` sets the clock (Device::TimeLeadSeconds).
TIME_LEAD = datetime.timedelta(seconds=2)
CLOCK_LINE = r"^T  clock set to (\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)$"


class CrossProgramsTest(unittest.TestCase):

    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="dawnbell-cross-")
        self.addCleanup(shutil.rmtree, self.tmp, ignore_errors=True)

    def start_simulator(self, port):
        sim = Simulator(port)
        self.addCleanup(sim.stop)
        return sim.start()

    def test_time_reaches_the_simulator(self):
        port = free_port()
        write_settings(self.tmp, port=port)  # the endpoint, as the daily timer finds it
        sim = self.start_simulator(port)
        mark = sim.mark()
        before = datetime.datetime.now().replace(microsecond=0)
        done = subprocess.run([binary("DAWNBELL_SEND"), "-C", self.tmp, "time"],
                              capture_output=True, text=True, timeout=PROGRAM_TIMEOUT)
        after = datetime.datetime.now()
        self.assertEqual(done.returncode, 0, done.stderr)
        sim.wait_for(r"^disconnected$", start=mark, what="dawnbell-send to hang up")
        # One command, decoded whole: a byte out of place is a malformed line or another time.
        commands = sim.commands(mark)
        self.assertEqual(len(commands), 1, commands)
        match = re.match(CLOCK_LINE, commands[0])
        self.assertTrue(match, commands)
        set_to = datetime.datetime.strptime(match.group(1), "%Y-%m-%d %H:%M:%S")
        self.assertTrue(before <= set_to - TIME_LEAD <= after,
                        "%s is not %s ahead of a second between %s and %s"
                        % (set_to, TIME_LEAD, before, after))

    def test_panel_shows_its_window_offscreen(self):
        port = free_port()
        settings = write_settings(self.tmp, port=port)
        written = settings_lines(settings)
        self.start_simulator(DESIGN_PORT)  # the panel's first connection goes there
        device = self.start_simulator(port)
        runtime = os.path.join(self.tmp, "runtime")
        os.mkdir(runtime, 0o700)
        # The toolkit tells accessibility tools of a window as it is shown, and its cache logs
        # the window's entry, with its place on the screen, then.
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=runtime,
                   XDG_CONFIG_HOME=os.path.join(self.tmp, "config"), LC_ALL="C.UTF-8",
                   QT_LOGGING_RULES="qt.accessibility.cache=true")
        panel = subprocess.Popen([binary("DAWNBELL_BIN")], cwd=self.tmp, env=env,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        self.addCleanup(lambda: panel.poll() is None and panel.kill())
        log = []
        reader = threading.Thread(target=lambda: log.extend(panel.stderr), daemon=True)
        reader.start()
        shown = re.compile(r'name="Dawnbell" role=Client .*obj=DawnbellWindow.*rect=QRect')
        wait_until(lambda: any(shown.search(line) for line in log), PROGRAM_TIMEOUT,
                   lambda: "the panel to show its window; it wrote: %s" % log)
        device.wait_for(r"^connected 127\.0\.0\.1:", what="the panel to connect")
        panel.send_signal(signal.SIGTERM)
        self.assertEqual(panel.wait(timeout=PROGRAM_TIMEOUT), 0, log)
        self.assertEqual(settings_lines(settings), written)


if __name__ == "__main__":
    unittest.main()
