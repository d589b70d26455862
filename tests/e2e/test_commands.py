"""Every command control of the real panel, clicked in the window, reaches the device."""

import datetime
import unittest

from harness import E2ETestCase, settings_lines

# Control clicked, and the simulator's line for the command it must send. The order matters:
# the panel starts with "Black/Green" checked and no screen box checked, and "Announce
# Hourly" is clicked twice (on, then off).
CLICKS = [
    ("CMDSET_TIME", r"^T  clock set to (\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)$"),
    ("CMDPlay_WUA", r"^P  play track 151$"),
    ("CMDStop_WUA", r"^S  "),
    ("CMDSet_EWUA", r"^E  "),
    ("CMDSet_DWUA", r"^D  "),
    ("CMDSet_TEST", r"^!  "),
    ("Check1", r"^H  "),
    ("Check1", r"^h  "),
    ("Check22", r"^2  "),
    ("Check23", r"^3  "),
    ("Check24", r"^4  "),
    ("Check21", r"^1  "),
    ("Check31", r"^5  "),
    ("Check32", r"^6  "),
    ("Check33", r"^7  "),
    ("CMDSet_WUA", r"^A  alarm 6:30 AM, track 151$"),
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
                if control == "CMDSET_TIME":
                    sent = datetime.datetime.strptime(match.group(1), "%Y-%m-%d %H:%M:%S")
                    self.assertLess(abs((datetime.datetime.now() - sent).total_seconds()), 120)

        # Nothing extra, nothing doubled, nothing malformed, and the link never dropped.
        codes = [line[0] for line in self.sim.commands(start)]
        self.assertEqual(codes, list("TPSED!Hh2341567A"), self.sim.lines)
        self.assertNotIn("disconnected", self.sim.lines[start:])

    def test_alarm_entry_expands_single_letters(self):
        # Typed text, expected simulator line after Set-Up; "a" alone would be sent as PM.
        cases = [
            ({"Text_SATH": "7", "Text_SATM": "05", "Text_SATAMPM": "p"},
             r"^A  alarm 7:05 PM, track 151$"),
            ({"Text_SATAMPM": "a"}, r"^A  alarm 7:05 AM, track 151$"),
            ({"Text_SATH": "12", "Text_SATAMPM": "P"}, r"^A  alarm 12:05 PM, track 151$"),
            ({"Text_SATM": "0", "Text_SATAMPM": "A"}, r"^A  alarm 12:00 AM, track 151$"),
        ]
        for typed, pattern in cases:
            with self.subTest(typed=typed):
                for box, text in typed.items():
                    self.panel.replace_text(box, text)
                self.click_and_expect("CMDSet_WUA", pattern)

        # The box itself holds the expanded text: the window close saves it.
        self.panel.replace_text("Text_SATAMPM", "p")
        self.panel.close_by_window_manager()
        self.assertEqual(self.panel.wait_exit(), 0)
        lines = settings_lines(self.panel.settings_path)
        self.assertEqual(lines[2:7:2], ['"12"', '"0"', '"PM"'])

    def test_selected_track_is_played_and_saved(self):
        self.panel.click("Option1(5)")
        self.click_and_expect("CMDPlay_WUA", r"^P  play track 154$")
        self.panel.click("Option1(16)")
        self.click_and_expect("CMDSet_WUA", r"^A  alarm 6:30 AM, track 165$")

        self.panel.close_by_window_manager()
        self.assertEqual(self.panel.wait_exit(), 0)
        self.assertEqual(settings_lines(self.panel.settings_path)[8], "165")


if __name__ == "__main__":
    unittest.main()
