"""The logo's web link goes through the desktop's URL handler; here a stand-in browser that
only records the address it was given, so nothing leaves the machine."""

import os
import stat
import unittest

from harness import E2ETestCase, wait_until

MAKER_SITE = "https://www.dawnbell.example/"

STAND_IN = """#!/bin/sh
# Records how it was reached and the address it was asked to open; opens nothing.
printf '%s %s\\n' "$1" "$2" >> "{record}"
"""


class WebLinkTest(E2ETestCase):

    def install_stand_in_browser(self):
        """Registers a stand-in as the https handler of an isolated desktop configuration.

        The handler is found through mimeapps.list; BROWSER, xdg-open's generic fallback,
        names the same stand-in, so a real browser is never started."""
        home = self.folder("home")
        config = self.folder("home/config")
        data = self.folder("home/data")
        applications = self.folder("home/data/applications")
        self.record = os.path.join(self.tmp, "opened.txt")

        script = os.path.join(self.tmp, "stand-in-browser")
        with open(script, "w") as f:
            f.write(STAND_IN.format(record=self.record))
        os.chmod(script, os.stat(script).st_mode | stat.S_IXUSR)

        with open(os.path.join(applications, "stand-in-browser.desktop"), "w") as f:
            f.write("[Desktop Entry]\nType=Application\nName=Stand-in browser\n"
                    "Exec=%s mimeapps %%u\nMimeType=x-scheme-handler/https;\n" % script)
        with open(os.path.join(config, "mimeapps.list"), "w") as f:
            f.write("[Default Applications]\n"
                    "x-scheme-handler/https=stand-in-browser.desktop\n"
                    "x-scheme-handler/http=stand-in-browser.desktop\n")
        fallback = os.path.join(self.tmp, "stand-in-fallback")
        with open(fallback, "w") as f:
            f.write('#!/bin/sh\nexec "%s" fallback "$1"\n' % script)
        os.chmod(fallback, os.stat(fallback).st_mode | stat.S_IXUSR)

        return {
            "HOME": home, "XDG_CONFIG_HOME": config, "XDG_DATA_HOME": data,
            "XDG_CONFIG_DIRS": config, "BROWSER": fallback, "DEFAULT_BROWSER": "",
            "XDG_CURRENT_DESKTOP": "", "DESKTOP_SESSION": "", "KDE_FULL_SESSION": "",
            "GNOME_DESKTOP_SESSION_ID": "",
        }

    def recorded(self):
        try:
            with open(self.record) as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def test_logo_opens_maker_site_and_panel_keeps_working(self):
        env = self.install_stand_in_browser()
        panel, device = self.start_connected_panel(extra_env=env)
        mark = device.mark()

        panel.click("logoPicture")
        opened = wait_until(self.recorded, 20, "the stand-in browser to be started")
        self.assertEqual(opened, "mimeapps %s\n" % MAKER_SITE)

        self.assertTrue(panel.running())
        self.assertEqual(self.x.windows(panel.pid), [panel.window])
        panel.activate()
        panel.click("testButton")
        device.wait_for(r"^!  ", start=mark)
        self.assertEqual(device.lines[mark:], ["!  test"])


if __name__ == "__main__":
    unittest.main()
