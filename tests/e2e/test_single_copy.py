"""A second copy of the real panel only shows its message and leaves the first one alone."""

import os
import pwd
import unittest

from harness import CLIENT_SIZE, DESIGN_PORT, E2ETestCase, wait_until


class SingleCopyTest(E2ETestCase):

    def test_second_copy_shows_message_and_ends_untouched(self):
        first, device = self.start_connected_panel()
        with open(first.settings_path, "rb") as f:
            before = f.read()
        mark = device.mark()
        self.x.xdotool("windowminimize", "--sync", first.window)

        second = self.start_panel(first.workdir, first.runtime)
        # The second start shows the user the panel that runs.
        wait_until(lambda: self.x.windows(first.pid), 20, "the first copy's window brought back")
        box = wait_until(lambda: self.x.windows(second.pid), 20, "the second copy's message")[0]
        width, height = self.x.geometry(box)[2:]
        self.assertLess(width * height, CLIENT_SIZE[0] * CLIENT_SIZE[1] // 4,
                        "the second copy opened a main window, not its message")
        self.assertTrue(second.running(), "the message must wait for the user")

        self.x.xdotool("windowactivate", "--sync", box)
        second.key("Return")
        self.assertEqual(second.wait_exit(), 0)

        with open(first.settings_path, "rb") as f:
            self.assertEqual(f.read(), before)
        self.assertTrue(first.running())
        # The first copy keeps its link: its next command goes out on the same connection.
        first.activate()
        first.click("testButton")
        device.wait_for(r"^!  ", start=mark)
        self.assertEqual(device.lines[mark:], ["!  test"],
                         "the second copy must not connect")

    def test_lock_stays_out_of_the_shared_temporary_folder(self):
        self.start_simulator(DESIGN_PORT)
        temp = self.folder("shared-tmp")
        # Left by another account: a file at our runtime folder, a folder at the lock's old name.
        user = pwd.getpwuid(os.getuid()).pw_name
        open(os.path.join(temp, "runtime-" + user), "w").close()
        os.mkdir(os.path.join(temp, "dawnbell-%d.lock" % os.getuid()))

        panel = self.start_panel(extra_env={"XDG_RUNTIME_DIR": "", "TMPDIR": temp})
        panel.wait_window()
        panel.close_by_window_manager()
        self.assertEqual(panel.wait_exit(), 0, panel.log())


if __name__ == "__main__":
    unittest.main()
