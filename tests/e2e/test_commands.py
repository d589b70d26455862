"""Every command control of the real panel, clicked in the window, reaches the device."""

import datetime
import unittest

from harness import E2ETestCase, settings_lines

# Control clicked, and the simulator's line for the command it must send. The order matters:
# the panel starts with "Black/Green" checked and no screen box checked, and "Announce
# Hourly" is clicked twice (on, then off).
CLICKS = [
    ("setTimeButton", r"^T  clock set to (\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)$"),
    ("playAlarmButton", r"^P  play track 151$"),
    ("stopAlarmButton", r"^S  "),
    ("enableAlarmButton", r"^E  "),
    ("disableAlarmButton", r"^D  "),
    ("testButton", r"^!  "),
    ("announceBox", r"^H  "),
    ("announceBox", r"^h  "),
    ("schemeBox2", r"^2  "),
    ("schemeBox3", r"^3  "),
    ("schemeBox4", r"^4  "),
    ("schemeBox1", r"^1  "),
    ("screenBox1", r"^5  "),
    ("screenBox2", r"^6  "),
    ("screenBox3", r"^7  "),
    ("setAlarmButton", r"^A  alarm 6:30 AM, track 151$"),
]


class CommandsTest(E2ETestCase):

    def setUp(self):
        super().setUp()
        self.panel, self.sim = self.start_connected_panel()

    def click_and_expect(self, control, pattern):
        mark = self.sim.mark()
        self.panel.click(control)
        return self.sim.wait_for(pattern, start=mark, what="%s to send its command" % control)

    def test_every_control_sends_its_command_once(self):
        start = self.sim.mark()
        for control, pattern in CLICKS:
            with self.subTest(control=control, expect=pattern):
                match = self.click_and_expect(control, pattern)
                if control == "setTimeButton":
                    sent = datetime.datetime.strptime(match.group(1), "%Y-%m-%d %H:%M:%S")
                    self.assertLess(abs((datetime.datetime.now() - sent).total_seconds()), 120)

        # Nothing extra, nothing doubled, nothing malformed, and the link never dropped.
        codes = [line[0] for line in self.sim.commands(start)]
        self.assertEqual(codes, list("TPSED!Hh2341567A"), self.sim.lines)
        self.assertNotIn("disconnected", self.sim.lines[start:])

    def test_alarm_entry_expands_single_letters(self):
        # Typed text, expected simulator line after Set-Up; "a" alone would be sent as PM.
        cases = [
            ({"alarmHourEdit": "7", "alarmMinuteEdit": "05", "alarmAmPmEdit": "p"},
             r"^A  alarm 7:05 PM, track 151$"),
            ({"alarmAmPmEdit": "a"}, r"^A  alarm 7:05 AM, track 151$"),
            ({"alarmHourEdit": "12", "alarmAmPmEdit": "P"}, r"^A  alarm 12:05 PM, track 151$"),
            ({"alarmMinuteEdit": "0", "alarmAmPmEdit": "A"}, r"^A  alarm 12:00 AM, track 151$"),
        ]
        for typed, pattern in cases:
            with self.subTest(typed=typed):
                for box, text in typed.items():
                    self.panel.replace_text(box, text)
                self.click_and_expect("setAlarmButton", pattern)

        # The box itself holds the expanded text: the window close saves it.
        self.panel.replace_text("alarmAmPmEdit", "p")
        self.panel.close_by_window_manager()
        self.assertEqual(self.panel.wait_exit(), 0)
        lines = settings_lines(self.panel.settings_path)
        self.assertEqual(lines[2:7:2], ['"12"', '"0"', '"PM"'])

    def test_selected_track_is_played_and_saved(self):
        self.panel.click("trackButton5")
        self.click_and_expect("playAlarmButton", r"^P  play track 154$")
        self.panel.click("trackButton16")
        self.click_and_expect("setAlarmButton", r"^A  alarm 6:30 AM, track 165$")

        self.panel.close_by_window_manager()
        self.assertEqual(self.panel.wait_exit(), 0)
        self.assertEqual(settings_lines(self.panel.settings_path)[8], "165")


if __name__ == "__main__":
    unittest.main()
