"""The real panel read and driven over AT-SPI, the interface that screen readers use: a private
D-Bus session bus brings the accessibility bus and registry up by activation, as a desktop
session does. The AT-SPI side runs in a child interpreter that has python3-gi and
gir1.2-atspi-2.0; without them, or when the registry does not start, the test is skipped."""

import collections
import json
import os
import shutil
import subprocess
import sys
import unittest

from harness import START_TIMEOUT, E2ETestCase, HarnessError, layout, wait_until

ROLES = {"Lamp": "status bar", "Label": "label", "Picture": "image", "GroupBox": "panel",
         "PushButton": "push button", "CheckBox": "check box", "LineEdit": "text",
         "RadioButton": "radio button", "Line": "frame"}


def layout_controls():
    """{name: (role, accessible name)} of every row of the layout table: the table's accessible
    name, else the caption (a clock label's is its description: its name is the clock's text)."""
    return {name: (ROLES[row["kind"]], row["accessibleName"] or row["caption"])
            for name, row in layout()["controls"].items()}


class AccessibilityTest(E2ETestCase):

    def setUp(self):
        super().setUp()
        if not shutil.which("dbus-daemon"):
            self.skipTest("dbus-daemon is not installed")
        # The accessibility bus puts its socket under XDG_RUNTIME_DIR: one of its own per test.
        runtime = self.folder("bus-runtime")
        os.chmod(runtime, 0o700)
        env = {k: v for k, v in self.x.env(XDG_RUNTIME_DIR=runtime).items()
               if k not in ("DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS")}
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address"],
                               env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.addCleanup(bus.wait)
        self.addCleanup(bus.terminate)
        with bus.stdout:
            self.bus = {"DBUS_SESSION_BUS_ADDRESS": bus.stdout.readline().decode().strip()}
        # Brings the accessibility bus and registry up before the panel looks for them.
        for self.python in (sys.executable, "/usr/bin/python3"):
            try:
                return self.atspi(0)
            except (HarnessError, OSError) as e:
                error = e
        self.skipTest("no AT-SPI (python3-gi, gir1.2-atspi-2.0, registry): %s" % error)

    def atspi(self, *args):
        """Runs client(*args) in the child interpreter and returns what it printed."""
        out = subprocess.run(
            [self.python, "-W", "ignore", os.path.abspath(__file__), "--client"]
            + [str(a) for a in args], env=self.x.env(**self.bus), capture_output=True,
            text=True, timeout=60)
        if out.returncode != 0:
            raise HarnessError("AT-SPI request %s failed: %s" % (args, out.stderr.strip()))
        return json.loads(out.stdout)

    def test_controls_found_by_role_and_name_and_a_button_pressed(self):
        panel, device = self.start_connected_panel(
            extra_env=dict(self.bus, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))
        controls = layout_controls()
        expected = collections.Counter(controls.values())
        tree, missing = [], []

        def all_found():
            tree[:] = self.atspi(panel.pid) or []
            # The lamp's name goes on with the link's state ("Connection lamp: Connected to
            # ..."), which its tooltip, the description, repeats; a clock label's name is the
            # clock, its description what it is.
            seen = collections.Counter(
                (role, name.split(": ")[0] if role == "status bar"
                 else desc if role == "label" and desc else name)
                for role, name, desc in tree)
            missing[:] = (expected - seen).elements()
            return not missing
        try:
            wait_until(all_found, START_TIMEOUT, "every control in the accessible tree", 0.2)
        except HarnessError as e:
            self.fail("%s; missing: %s" % (e, sorted(missing)))
        # A screen reader reads the clock itself, not just what the labels are for.
        clock = {desc: name for _, name, desc in tree if desc}
        self.assertRegex(clock["Date"], r", +\w+ \d\d, \d{4}$")
        self.assertRegex(clock["Time"], r"\d:\d\d:\d\d")

        mark = device.mark()
        self.assertIs(self.atspi(panel.pid, "push button", "Stop WakeUp Alarm"), True)
        device.wait_for(r"^S  ", start=mark, what="the pressed button's command")
        self.assertEqual([line[0] for line in device.commands(mark)], ["S"])


def client(pid, *button):
    """Prints [role, name, description] of every node of process pid's application as JSON
    (null while it is not registered), or runs the Press action of button (role, name)."""
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi

    def nodes(node):
        yield node
        for child in map(node.get_child_at_index, range(node.get_child_count())):
            yield from nodes(child) if child else ()

    Atspi.set_timeout(30000, 30000)
    desktop = Atspi.get_desktop(0)
    app = next((a for a in map(desktop.get_child_at_index, range(desktop.get_child_count()))
                if a and a.get_process_id() == int(pid)), None)
    if not button:
        print(json.dumps(app and [[n.get_role_name(), n.get_name(), n.get_description()]
                                  for n in nodes(app)]))
        return
    node = next(n for n in nodes(app) if (n.get_role_name(), n.get_name()) == button)
    actions = [Atspi.Action.get_action_name(node, i)
               for i in range(Atspi.Action.get_n_actions(node))]
    print(json.dumps(Atspi.Action.do_action(node, actions.index("Press"))))


if __name__ == "__main__":
    client(*sys.argv[2:]) if sys.argv[1:2] == ["--client"] else unittest.main()
