"""Start-up of the real panel: the default settings file, the lamp and the start-up waits."""

import os
import resource
import signal
import time
import unittest

from harness import (DESIGN_PORT, EXIT_TIMEOUT, GREEN, RED, START_TIMEOUT, YELLOW, E2ETestCase,
                     control_rect, free_port, settings_lines, wait_until, write_settings)


def cpu_seconds(pid=None):
    """Processor time a running process has used so far, or without pid all reaped children."""
    if pid is None:
        usage = resource.getrusage(resource.RUSAGE_CHILDREN)
        return usage.ru_utime + usage.ru_stime
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")  # utime + stime


class StartupTest(E2ETestCase):

    def test_device_answering_gives_yellow_lamp_and_default_file(self):
        sim = self.start_simulator(DESIGN_PORT)
        panel = self.start_panel()
        panel.wait_window()

        panel.wait_pixel("linkLamp", YELLOW)
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
        for label in ("dateLabel", "timeLabel"):
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
        panel.wait_pixel("linkLamp", RED)

    def test_only_first_connection_answering_gives_red_lamp(self):
        self.require_design_port_idle()
        sim = self.start_simulator(DESIGN_PORT)
        work = self.folder("work")
        write_settings(work, port=free_port())
        panel = self.start_panel(work)
        panel.wait_window()

        panel.wait_pixel("linkLamp", RED)
        sim.wait_for(r"^connected ")

    def test_only_saved_port_answering_gives_green_lamp(self):
        self.require_design_port_idle()
        port = free_port()
        sim = self.start_simulator(port)
        work = self.folder("work")
        write_settings(work, port=port)
        panel = self.start_panel(work)
        panel.wait_window()

        panel.wait_pixel("linkLamp", GREEN)
        sim.wait_for(r"^connected 127\.0\.0\.1:")

    def test_end_signal_during_first_wait_ends_at_once_without_spinning(self):
        self.require_design_port_idle()
        panel = self.start_panel(extra_env={"QT_LOGGING_RULES": "dawnbell.link=true"})
        wait_until(lambda: "connecting to 127.0.0.1 port 5000" in panel.log(), START_TIMEOUT,
                   "the first connection attempt")
        self.assertFalse(os.path.exists(panel.settings_path), "the first wait is over")

        cpu_before = cpu_seconds(panel.pid)
        reaped_before = cpu_seconds()
        signalled = time.monotonic()
        panel.process.send_signal(signal.SIGTERM)
        code = panel.process.wait(timeout=EXIT_TIMEOUT)
        exit_seconds = time.monotonic() - signalled
        cpu_after_signal = cpu_seconds() - reaped_before - cpu_before

        self.assertEqual(code, 0, panel.log())
        # Waiting out the 2 s or spinning through it breaks a bound; the processor-time one
        # catches a spin. The sanitizer build's leak check at exit takes tens of milliseconds.
        if not os.environ.get("DAWNBELL_SANITIZED"):
            self.assertLess(exit_seconds, 1.0)
            self.assertLess(cpu_after_signal, 0.05)
        self.assertFalse(os.path.exists(panel.settings_path), "nothing loaded, nothing saved")


if __name__ == "__main__":
    unittest.main()
