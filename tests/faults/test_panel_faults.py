"""The real panel under faults: a device that stops reading while the user keeps pressing,
and a settings file that cannot be written at shutdown. Needs Xvfb, openbox and xdotool."""

import os
import subprocess
import time
import unittest

from faultkit import FileSizeLimit, unread_bytes, vm_rss_kb  # before harness: sets its path
from harness import (DESIGN_PORT, SETTINGS_FILE, START_TIMEOUT, E2ETestCase, client_size,
                     control_rect, free_port, wait_until, write_settings)

T_COMMAND_BYTES = 24  # the shortest "T", as "T,07,04,18, 3, 10, 2,2,0"


class DeviceStopsReading(E2ETestCase):
    CLICKS = 3000
    CLICK_TIMEOUT = 180.0
    RSS_GROWTH_LIMIT_KB = 20 * 1024

    def label15(self, panel):
        x, y, w, h = control_rect("timeLabel")
        return self.x.grab(panel.origin[0] + x, panel.origin[1] + y, w, h).data

    def wait_clock_change(self, panel, rss):
        """Waits for the clock label to show another time, sampling the memory meanwhile."""
        before = self.label15(panel)

        def changed():
            rss.append(vm_rss_kb(panel.pid) or 0)
            return self.label15(panel) != before
        wait_until(changed, 5.0, "the clock label to change", interval=0.2)

    def test_click_storm_against_a_device_that_reads_nothing(self):
        self.require_design_port_idle()
        work = self.folder("work")
        port = free_port()
        write_settings(work, port=port)
        self.start_simulator(DESIGN_PORT)
        device = self.start_simulator(port, "--no-read")
        panel = self.start_panel(work)
        panel.wait_window()
        device.wait_for(r"^connected 127\.0\.0\.1:", what="the panel to connect")
        start_rss = vm_rss_kb(panel.pid)
        rss = [start_rss]

        panel.activate()
        x, y = panel.screen_point("setTimeButton")
        self.x.xdotool("mousemove", x, y)
        clicker = subprocess.Popen(
            ["xdotool", "click", "--repeat", str(self.CLICKS), "--delay", "1", "1"],
            env=self.x.env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: clicker.poll() is None and (clicker.kill(), clicker.wait()))

        # While the storm runs the clock keeps ticking: the panel never waits on the socket.
        self.wait_clock_change(panel, rss)
        self.wait_clock_change(panel, rss)
        deadline = time.monotonic() + self.CLICK_TIMEOUT
        while clicker.poll() is None:
            if time.monotonic() >= deadline:
                self.fail("xdotool did not finish %d clicks in %.0f s"
                          % (self.CLICKS, self.CLICK_TIMEOUT))
            rss.append(vm_rss_kb(panel.pid) or 0)
            try:
                clicker.wait(timeout=0.2)
            except subprocess.TimeoutExpired:
                pass
        self.assertEqual(clicker.returncode, 0)

        # The presses did reach the device: it comes to hold most of the storm's worth unread
        # once the panel has worked through the clicks still queued (slowly under sanitizers).
        expected = T_COMMAND_BYTES * self.CLICKS // 2
        unread = wait_until(lambda: (unread_bytes(port) or 0) >= expected and unread_bytes(port),
                            30.0, "half the storm's bytes at the device")

        self.wait_clock_change(panel, rss)
        self.assertTrue(panel.running())
        growth = max(rss) - start_rss
        # AddressSanitizer holds freed memory in quarantine, so its RSS says nothing about
        # the panel's; the bound is checked in the ordinary build.
        if not os.environ.get("DAWNBELL_SANITIZED"):
            self.assertLess(growth, self.RSS_GROWTH_LIMIT_KB,
                            "VmRSS grew by %d KiB (from %d KiB)" % (growth, start_rss))
        print("\n%d clicks: %d bytes unread at the device, VmRSS %d KiB, peak growth %d KiB"
              % (self.CLICKS, unread, start_rss, growth))

        panel.close_by_window_manager()
        self.assertEqual(panel.wait_exit(), 0)


class SettingsUnwritableAtShutdown(E2ETestCase):

    def dismiss_save_failure(self, panel):
        """Ended from its window, the panel tells a failed save in a message box, and ends
        once the user has read it."""
        def message_box():
            boxes = [w for w in self.x.windows(panel.pid)
                     if self.x.geometry(w)[2:] != client_size()]
            return boxes[0] if boxes else None
        box = wait_until(message_box, START_TIMEOUT, "the message that the settings are lost")
        self.x.xdotool("windowactivate", "--sync", box)
        panel.key("Return")

    def leftovers(self, work):
        return sorted(n for n in os.listdir(work) if n not in (SETTINGS_FILE, "runtime"))

    def run_panel_with_folder(self, end):
        self.require_design_port_idle()
        self.start_simulator(DESIGN_PORT)
        work = self.folder("work")
        folder = os.path.join(work, SETTINGS_FILE)
        os.mkdir(folder)
        with open(os.path.join(folder, "keep.txt"), "wb") as f:
            f.write(b"mine")

        panel = self.start_panel(work)
        panel.wait_window()
        # The user hears at once that this session's choices cannot be kept.
        self.assertIn("warning: setupdata.ini cannot be saved in %s" % work, panel.log())
        end(panel)
        self.dismiss_save_failure(panel)
        self.assertEqual(panel.wait_exit(), 0)
        self.assertIn("settings not saved:", panel.log())

        self.assertTrue(os.path.isdir(folder))
        self.assertEqual(os.listdir(folder), ["keep.txt"])
        with open(os.path.join(folder, "keep.txt"), "rb") as f:
            self.assertEqual(f.read(), b"mine")
        self.assertEqual(self.leftovers(work), [])

    def test_window_close_with_a_folder_in_place(self):
        self.run_panel_with_folder(lambda panel: panel.close_by_window_manager())

    def test_save_and_exit_with_a_folder_in_place(self):
        def save_and_exit(panel):
            # The button is enabled by an edit of the endpoint boxes.
            panel.replace_text("portEdit", str(DESIGN_PORT))
            panel.click("saveAndExitButton")
        self.run_panel_with_folder(save_and_exit)

    def test_file_size_limit_keeps_the_old_file(self):
        self.require_design_port_idle()
        self.start_simulator(DESIGN_PORT)
        work = self.folder("work")
        path = write_settings(work)
        # Long comments make the file larger than the limit, which still leaves room for
        # whatever the panel prints to its log. Each stays within the reader's item cap,
        # so the panel's own save is as large.
        with open(path, "rb") as f:
            lines = f.read().split(b"\r\n")
        for comment in (0, 1, 3, 5, 7, 9):
            lines[comment] = b'"' + b"h" * 4000 + b'"'
        old = b"\r\n".join(lines)
        with open(path, "wb") as f:
            f.write(old)

        with FileSizeLimit(16 * 1024):
            panel = self.start_panel(work)
        panel.wait_window()
        panel.close_by_window_manager()
        self.dismiss_save_failure(panel)
        code = panel.wait_exit()
        # The write fails as an error, not as the limit's signal: the panel ends normally
        # and the old file is whole.
        self.assertEqual(code, 0, panel.log())
        with open(path, "rb") as f:
            self.assertEqual(f.read(), old)
        self.assertEqual(self.leftovers(work), [])


if __name__ == "__main__":
    unittest.main()
