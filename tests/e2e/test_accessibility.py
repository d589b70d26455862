"""The real panel read and driven over AT-SPI, the interface that screen readers use.

Each test gets a private D-Bus session bus; the accessibility bus and registry come up on it
by D-Bus activation, as in a desktop session. The AT-SPI side runs in a child interpreter that
has the GObject bindings (Debian's python3-gi and gir1.2-atspi-2.0), which need not be the
interpreter that runs the tests. The test is skipped only when that machinery is missing or
does not start.
"""

import collections
import json
import os
import shutil
import subprocess
import sys
import unittest

from harness import START_TIMEOUT, E2ETestCase, HarnessError, wait_until

# Every control of the window as AT-SPI reports it: (role, accessible name). The clock labels
# are named by the date and time they show, and found by their descriptions "Date" and "Time".
CLOCK_LABELS = ("Date", "Time")
CONTROLS = [
    ("filler", "Connection lamp"),
    ("label", "Connection to WIZ750SR!"),
    ("label", "powered by:  WIZnet - Serial to Ethernet, StablE (WIZ750SR)"),
    ("image", "Maker's logo"),
    ("panel", "Date and Time Controls"),
    ("label", "Date"),
    ("push button", "SET Date/Time"),
    ("label", "Time"),
    ("check box", "Announce Hourly"),
    ("panel", "Background/Text Set-Up"),
    ("check box", "Black/Green"),
    ("check box", "Black/Red"),
    ("check box", "Blue/Yellow"),
    ("check box", "Teal/Black"),
    ("panel", "Network Communication Set-Up"),
    ("label", "Remote Host:"),
    ("text", "Remote host"),
    ("label", "Remote Port:"),
    ("text", "Remote port"),
    ("push button", "Save and Exit"),
    ("panel", "Wake Up Alarm Controls"),
    ("push button", "Set-Up WakeUp Alarm Time"),
    ("label", "Hour"),
    ("label", "Min"),
    ("label", "AM/PM"),
    ("text", "Alarm hour"),
    ("text", "Alarm minute"),
    ("text", "Alarm AM/PM"),
    ("frame", "Separator"),
    ("push button", "Play WakeUp Alarm"),
    ("push button", "Stop WakeUp Alarm"),
] + [("radio button", "Alarm #%d" % n) for n in range(1, 17)] + [
    ("frame", "Separator"),
    ("push button", "Enable WakeUp Alarm"),
    ("push button", "TEST!"),
    ("push button", "Disable WakeUp Alarm"),
    ("panel", "Wake Up Screens Selection"),
    ("check box", "Screen 1"),
    ("image", "Wake-up screen 1"),
    ("check box", "Screen 2"),
    ("image", "Wake-up screen 2"),
    ("check box", "Screen 3"),
    ("label", "Wake-up screen 3"),
]

# A child interpreter's AT-SPI calls wait this long for an answer (milliseconds).
ATSPI_CALL_TIMEOUT_MS = 30000


def control_key(node):
    """(role, name) of a node of the tree that client() prints; a clock label's description
    stands for its name."""
    role, name, description = node[:3]
    return (role, description) if description in CLOCK_LABELS else (role, name)


def atspi_python():
    """An interpreter with the AT-SPI bindings: the one running the tests, or the system's."""
    probe = "import gi; gi.require_version('Atspi', '2.0'); from gi.repository import Atspi"
    for candidate in (sys.executable, "/usr/bin/python3"):
        if candidate and os.access(candidate, os.X_OK):
            if subprocess.run([candidate, "-c", probe], capture_output=True).returncode == 0:
                return candidate
    return None


class SessionBus:
    """A private D-Bus session bus, with the environment its clients need."""

    def __init__(self, workdir, display):
        self.workdir = workdir
        self.display = display
        self.address = None
        self._process = None

    def start(self):
        runtime = os.path.join(self.workdir, "bus-runtime")
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        # The accessibility bus launcher puts its socket under XDG_RUNTIME_DIR, so tests that
        # run side by side do not share one.
        env = dict(os.environ, DISPLAY=self.display, XDG_RUNTIME_DIR=runtime,
                   XDG_CACHE_HOME=os.path.join(runtime, "cache"),
                   XDG_CONFIG_HOME=os.path.join(runtime, "config"))
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        env.pop("AT_SPI_BUS_ADDRESS", None)
        read_fd, write_fd = os.pipe()
        self._process = subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", "--nopidfile",
             "--print-address=%d" % write_fd],
            pass_fds=(write_fd,), env=env, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd, "r") as pipe:
            self.address = pipe.readline().strip()
        return bool(self.address)

    def env(self):
        return {"DBUS_SESSION_BUS_ADDRESS": self.address, "DISPLAY": self.display}

    def stop(self):
        if self._process and self._process.poll() is None:
            self._process.terminate()
            try:
                self._process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self._process.kill()
                self._process.wait()


class AccessibilityTest(E2ETestCase):

    def setUp(self):
        super().setUp()
        self.python = atspi_python()
        if not self.python:
            self.skipTest("no Python with the AT-SPI bindings (python3-gi, gir1.2-atspi-2.0)")
        if not shutil.which("dbus-daemon"):
            self.skipTest("dbus-daemon is not installed")
        self.bus = SessionBus(self.tmp, self.x.display)
        self.addCleanup(self.bus.stop)
        if not self.bus.start():
            self.skipTest("dbus-daemon did not start a session bus")
        # Bring the accessibility bus and registry (at-spi2-core) up by D-Bus activation
        # before the panel looks for them.
        out = self.atspi("desktop", check=False)
        if out.returncode != 0:
            self.skipTest("the AT-SPI registry did not start: %s" % out.stderr.strip())

    def atspi(self, *args, check=True):
        """Runs one AT-SPI request (see client() below) in the child interpreter."""
        out = subprocess.run(
            [self.python, "-W", "ignore", os.path.abspath(__file__), "--client"]
            + [str(a) for a in args],
            env=dict(os.environ, **self.bus.env()), capture_output=True, text=True,
            timeout=2 * ATSPI_CALL_TIMEOUT_MS / 1000)
        if check and out.returncode != 0:
            raise HarnessError("AT-SPI request %s failed: %s" % (args, out.stderr.strip()))
        return out

    def start_accessible_panel(self):
        return self.start_connected_panel(
            extra_env=dict(self.bus.env(), QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))

    def test_every_control_is_found_by_role_and_name(self):
        panel, _ = self.start_accessible_panel()
        expected = collections.Counter(CONTROLS)
        seen = collections.Counter()
        tree = []

        def all_found():
            tree[:] = json.loads(self.atspi("tree", panel.pid).stdout) or []
            seen.clear()
            seen.update(map(control_key, tree))
            return not (expected - seen)
        try:
            wait_until(all_found, START_TIMEOUT, "every control in the accessible tree", 0.2)
        except HarnessError as e:
            self.fail("%s; missing: %s" % (e, sorted((expected - seen).elements())))

        # A screen reader reads the clock itself, not just what the labels are for.
        clock = {node[2]: node[1] for node in tree if node[2] in CLOCK_LABELS}
        self.assertRegex(clock["Date"], r", +\w+ \d\d, \d{4}$")
        self.assertRegex(clock["Time"], r"\d:\d\d:\d\d")

    def test_button_pressed_through_action_interface_sends_its_command(self):
        panel, device = self.start_accessible_panel()
        button = ("push button", "Stop WakeUp Alarm")

        def found():
            tree = json.loads(self.atspi("tree", panel.pid).stdout)
            return any(control_key(node) == button for node in tree or [])
        wait_until(found, START_TIMEOUT, "%s in the accessible tree" % (button,), 0.2)

        mark = device.mark()
        out = self.atspi("press", panel.pid, *button)
        self.assertEqual(json.loads(out.stdout), True, out.stderr)
        device.wait_for(r"^S  ", start=mark, what="the pressed button's command")
        self.assertEqual([line[0] for line in device.commands(mark)], ["S"])


def client(args):
    """The AT-SPI side, run in an interpreter that has the bindings. Requests:

    desktop               -- print the number of applications on the accessibility bus
    tree PID              -- print [role, name, description, action names] of every node
                             of PID's application as JSON, or null while it is not registered
    press PID ROLE NAME   -- run the "Press" action of that node; print its result as JSON
    """
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi

    Atspi.set_timeout(ATSPI_CALL_TIMEOUT_MS, ATSPI_CALL_TIMEOUT_MS)
    desktop = Atspi.get_desktop(0)
    if args[0] == "desktop":
        print(desktop.get_child_count())
        return

    def nodes(node):
        yield node
        for i in range(node.get_child_count()):
            child = node.get_child_at_index(i)
            if child is not None:
                yield from nodes(child)

    def actions(node):
        if "Action" not in node.get_interfaces():
            return []
        count = Atspi.Action.get_n_actions(node)
        return [Atspi.Action.get_action_name(node, i) for i in range(count)]

    pid = int(args[1])
    apps = [desktop.get_child_at_index(i) for i in range(desktop.get_child_count())]
    app = next((a for a in apps if a is not None and a.get_process_id() == pid), None)
    if args[0] == "tree":
        tree = None
        if app is not None:
            tree = [[n.get_role_name(), n.get_name(), n.get_description(), actions(n)]
                    for n in nodes(app)]
        print(json.dumps(tree))
    elif args[0] == "press":
        role, name = args[2], args[3]
        node = next(n for n in nodes(app) if (n.get_role_name(), n.get_name()) == (role, name))
        print(json.dumps(Atspi.Action.do_action(node, actions(node).index("Press"))))


if __name__ == "__main__":
    if sys.argv[1:2] == ["--client"]:
        client(sys.argv[2:])
    else:
        unittest.main()
