"""Drives the real dawnbell binary in a real X server, against the device simulator.

Standard library only. The pieces, each usable on its own:

* ``layout()`` / ``control_rect(name)`` -- the window's controls as ``layoutdump`` prints them
  from the layout table: kind, caption, accessible name and rectangle in client pixels.
* ``free_port()`` -- a loopback TCP port that nothing listens on right now.
* ``port_answers(port)`` -- whether something accepts connections on 127.0.0.1:port;
  ``port_listeners(port)`` -- which processes listen there, as far as this account can see.
* ``XSession`` -- an Xvfb display (1024x768x24, 96 dpi, no TCP listener) with openbox as the
  window manager; ``grab()`` reads pixels of the screen, ``xdotool()`` runs xdotool on it.
* ``Panel`` -- one dawnbell process in a working folder of its own (the settings file lives
  there) with its own runtime, temp and XDG folders; finds its window, clicks controls by
  name, types, reads the colour at a control's centre, closes the window through the window
  manager and waits for the process to end.
* ``Simulator`` -- one dawnbell-sim listening on 127.0.0.1:<port>; collects its output lines
  in a thread and waits for a line that matches a pattern. ``start_simulator(...,
  window=True)`` also shows its simulated clock on the test's display.
* ``E2ETestCase`` -- a unittest base class that gives every test its own temporary folder
  and X session and stops every process a test started, whatever the outcome;
  ``start_connected_panel()`` returns a running panel and the simulator it is connected to.
  Each test fails within its own bound and CTest's TIMEOUT (DAWNBELL_TEST_TIMEOUT).
* ``write_settings()`` / ``settings_lines()`` -- write a default settings file with a chosen
  host and port; read a settings file's lines.

Every connection made here goes to the loopback address (of a network namespace of the
test's own where one can be made, tests/private-net.sh); nothing else is ever contacted.
The binaries come from the environment variables DAWNBELL_BIN, DAWNBELL_SIM and DAWNBELL_LAYOUT
(set by CTest).
"""

import json
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest

LOOPBACK = "127.0.0.1"
DESIGN_PORT = 5000
SETTINGS_FILE = "setupdata.ini"
WINDOW_TITLE = "Dawnbell"

# Generous upper bounds for event-driven waits; a passing run never waits them out. They are
# sized for a loaded two-core machine, where a process start, its window's first paint or a
# line through the simulator can take many times as long as on an idle one.
START_TIMEOUT = 60.0
WINDOW_TIMEOUT = 90.0
LINE_TIMEOUT = 30.0
EXIT_TIMEOUT = 45.0
DESIGN_PORT_TIMEOUT = 120.0

# CTest kills a module that outlasts its TIMEOUT without a word on what it waited for: each test
# ends within a bound of its own, and all within CTest's, less the time the cleanups take.
TEST_BOUND = 180.0
REPORT_MARGIN = 30.0
_module_deadline = (time.monotonic() + float(os.environ["DAWNBELL_TEST_TIMEOUT"]) - REPORT_MARGIN
                    if os.environ.get("DAWNBELL_TEST_TIMEOUT") else None)
# What the test waits for now, innermost last: a text, or a function that says it.
_waits = []

# Lamp colours as the screen shows them (RGB).
BLACK = (0, 0, 0)
RED = (255, 0, 0)
GREEN = (0, 255, 0)
YELLOW = (255, 255, 0)


class HarnessError(AssertionError):
    """A step of the harness did not happen in time or a tool is missing."""


def require_tool(name):
    """Returns the path of a program, or fails with a message that says how to get it."""
    path = shutil.which(name)
    if not path:
        raise HarnessError("%s is not installed; run scripts/deps.sh as root to install the "
                           "end-to-end test tools" % name)
    return path


def binary(variable):
    """Returns the program named by an environment variable that CTest sets."""
    path = os.environ.get(variable)
    if not path or not os.access(path, os.X_OK):
        raise HarnessError("%s must name the built program (run the tests through ctest)"
                           % variable)
    return path


def free_port():
    """A loopback port with no listener at the moment of the call."""
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind((LOOPBACK, 0))
        return s.getsockname()[1]


def port_answers(port):
    """Whether something accepts a connection on 127.0.0.1:port."""
    try:
        with socket.create_connection((LOOPBACK, port), timeout=1.0):
            return True
    except OSError:
        return False


def port_listeners(port):
    """The processes that listen on TCP port `port`, with their command lines, as far as this
    account can see them."""
    out = subprocess.run(["ss", "-Hltnp", "sport = :%d" % port], capture_output=True, text=True,
                         timeout=30).stdout
    found = []
    for pid in sorted(set(re.findall(r"pid=(\d+)", out))):
        with open("/proc/%s/cmdline" % pid, "rb") as f:
            found.append("process %s (%s)" % (pid, f.read().replace(b"\0", b" ").decode().strip()))
    return ", ".join(found) or ("a process of another account" if out else "nothing now")


def _describe(what):
    return what() if callable(what) else what


def wait_until(predicate, timeout, what, interval=0.05):
    """Polls predicate until it returns a true value, which is returned; fails after timeout.
    `what` is a text or a function that returns one, asked when the wait fails."""
    deadline = time.monotonic() + timeout
    _waits.append(what)
    try:
        while not (value := predicate()):
            if time.monotonic() >= deadline:
                raise HarnessError("timed out after %.1f s waiting for %s"
                                   % (timeout, _describe(what)))
            time.sleep(interval)
        return value
    finally:
        _waits.pop()


_layout = None


def layout():
    """The window as the layout table builds it, read once from the program that DAWNBELL_LAYOUT
    names: {"window": [x, y, width, height], "controls": {name: row}}, where each row has the
    table's kind, caption and accessible name (None: the caption) and the control's "rect" in
    pixels of the client area."""
    global _layout
    if _layout is None:
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        out = subprocess.run([binary("DAWNBELL_LAYOUT")], env=env, capture_output=True,
                             timeout=120)
        if out.returncode != 0:
            raise HarnessError("the layout program failed: %s"
                               % out.stderr.decode(errors="replace"))
        data = json.loads(out.stdout)
        _layout = {"window": data["window"],
                   "controls": {row["name"]: row for row in data["controls"]}}
    return _layout


def __getattr__(name):
    # CLIENT_SIZE is read from the layout program when a test first asks for it.
    if name == "CLIENT_SIZE":
        return client_size()
    raise AttributeError("module %r has no attribute %r" % (__name__, name))


def client_size():
    """(width, height) of the window's client area."""
    return tuple(layout()["window"][2:])


def control_rect(name):
    """The control's rectangle (x, y, width, height) in pixels of the window's client area."""
    return tuple(layout()["controls"][name]["rect"])


def control_centre(name):
    x, y, w, h = control_rect(name)
    return (x + w // 2, y + h // 2)


def settings_lines(path):
    """The lines of a settings file, without their CR LF ends."""
    with open(path, "rb") as f:
        data = f.read()
    return data.decode("latin-1").split("\r\n")[:-1]


def write_settings(folder, host=LOOPBACK, port=DESIGN_PORT):
    """Writes the panel's default settings file into folder, with the given host and port."""
    lines = [
        '"Starting on line 2, every other line is a comment.  comments must be in quotes."',
        '"Alarm Hour"', '"6"',
        '"Alarm Minute"', '"30"',
        '"Alarm AMPM"', '"AM"',
        '"Alarm Track"', "151",
        '"BackGrounds"', '"1"',
        '"Wake Up Screens"', '"1"',
        '"Announce Hourly"', '"0"',
        '"Remote Host"', '"%s"' % host,
        '"Remote Port"', '"%s"' % port,
    ]
    path = os.path.join(folder, SETTINGS_FILE)
    with open(path, "wb") as f:
        f.write("".join(line + "\r\n" for line in lines).encode("latin-1"))
    return path


class Image:
    """An RGB picture read from the screen; pixel() takes coordinates inside the picture."""

    def __init__(self, width, height, data):
        self.width = width
        self.height = height
        self.data = data

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def colours(self):
        """The set of distinct colours in the picture."""
        return {self.data[i:i + 3] for i in range(0, len(self.data), 3)}


def _parse_ppm(data):
    # P6 header: magic, width, height, maxval, each separated by whitespace; comments possible.
    tokens = []
    pos = 0
    while len(tokens) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        tokens.append(data[pos:end])
        pos = end
    pos += 1
    if tokens[0] != b"P6" or tokens[3] != b"255":
        raise HarnessError("unexpected picture format from import: %r" % tokens)
    width, height = int(tokens[1]), int(tokens[2])
    return Image(width, height, data[pos:pos + width * height * 3])


class XSession:
    """An Xvfb display with openbox (unless window_manager is false), for one test. Use as a
    context manager or start/stop."""

    def __init__(self, workdir, width=1024, height=768, window_manager=True):
        self.workdir = workdir
        self.size = (width, height)
        self.window_manager = window_manager
        self.display = None
        self._xvfb = None
        self._wm = None

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()

    def env(self, **extra):
        """The environment for a program that runs on this display."""
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        env.pop("QT_QPA_PLATFORM", None)
        env.update(extra)
        return env

    def start(self):
        for tool in ("Xvfb", "openbox", "xdotool", "xwininfo", "xprop", "import"):
            require_tool(tool)
        read_fd, write_fd = os.pipe()
        self._xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
             "%dx%dx24" % self.size, "-dpi", "96", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        with os.fdopen(read_fd, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            self.stop()
            raise HarnessError("Xvfb did not report a display number")
        self.display = ":" + number.decode().strip()
        if not self.window_manager:
            return

        wm_config = os.path.join(self.workdir, "wm-config")
        os.makedirs(wm_config, exist_ok=True)
        self._wm = subprocess.Popen(
            ["openbox", "--sm-disable"],
            env=self.env(XDG_CONFIG_HOME=wm_config), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        wait_until(self._wm_running, START_TIMEOUT, "openbox to manage the display")

    def _wm_running(self):
        if self._wm.poll() is not None:
            raise HarnessError("openbox ended at start with code %s" % self._wm.returncode)
        out = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=self.env(),
                             capture_output=True, text=True, timeout=30)
        return "window id" in out.stdout

    def stop(self):
        for process in (self._wm, self._xvfb):
            if process and process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        self._wm = self._xvfb = None

    def xdotool(self, *args, check=True):
        """Runs xdotool on this display and returns its standard output."""
        out = subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env(),
                             capture_output=True, text=True, timeout=30)
        if check and out.returncode != 0:
            raise HarnessError("xdotool %s failed: %s" % (" ".join(map(str, args)),
                                                          out.stderr.strip()))
        return out.stdout

    def windows(self, pid, title=WINDOW_TITLE):
        """Ids of the visible windows of process pid whose title is exactly title."""
        out = self.xdotool("search", "--all", "--onlyvisible", "--pid", pid, "--name",
                           "^%s$" % re.escape(title), check=False)
        return [int(w) for w in out.split()]

    def geometry(self, window):
        """(x, y, width, height) of a window's client area in screen coordinates."""
        out = subprocess.run(["xwininfo", "-id", str(window)], env=self.env(),
                             capture_output=True, text=True, timeout=30).stdout
        values = {}
        for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"):
            match = re.search(r"^\s*%s:\s*(-?\d+)" % re.escape(key), out, re.M)
            if not match:
                raise HarnessError("xwininfo gave no %s for window %s" % (key, window))
            values[key] = int(match.group(1))
        return (values["Absolute upper-left X"], values["Absolute upper-left Y"],
                values["Width"], values["Height"])

    def grab(self, x, y, width, height):
        """The screen's pixels in the given rectangle."""
        out = subprocess.run(
            ["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (width, height, x, y),
             "+repage", "-depth", "8", "ppm:-"],
            env=self.env(), capture_output=True, timeout=30)
        if out.returncode != 0:
            raise HarnessError("import failed: %s" % out.stderr.decode(errors="replace"))
        return _parse_ppm(out.stdout)


class Panel:
    """One dawnbell process on an XSession, in a working folder that holds its settings.

    The runtime folder (where the single-copy lock lives, with the temp, XDG config, data
    and cache folders and the process's output log) defaults to <workdir>/runtime; pass the
    same runtime folder to two panels to make them count as the same user session.
    extra_env overrides any of these variables.
    """

    def __init__(self, session, workdir, runtime=None, extra_env=None, args=()):
        self.session = session
        self.args = list(args)
        self.workdir = workdir
        self.runtime = runtime or os.path.join(workdir, "runtime")
        self.extra_env = dict(extra_env or {})
        self.process = None
        self.started_at = None
        self.window = None
        self.origin = None
        self.log_path = None

    @property
    def settings_path(self):
        return os.path.join(self.workdir, SETTINGS_FILE)

    def start(self):
        """Starts the process; returns at once (the window comes after the start-up waits)."""
        program = binary("DAWNBELL_BIN")
        os.makedirs(self.runtime, mode=0o700, exist_ok=True)
        os.chmod(self.runtime, 0o700)
        temp = os.path.join(self.runtime, "tmp")
        os.makedirs(temp, exist_ok=True)
        env = self.session.env(
            QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=self.runtime, TMPDIR=temp,
            XDG_CONFIG_HOME=os.path.join(self.runtime, "config"),
            XDG_DATA_HOME=os.path.join(self.runtime, "data"),
            XDG_CACHE_HOME=os.path.join(self.runtime, "cache"),
            LC_ALL="C.UTF-8", QT_SCALE_FACTOR="1", QT_AUTO_SCREEN_SCALE_FACTOR="0",
            QT_ENABLE_HIGHDPI_SCALING="0")
        env.update(self.extra_env)
        self.log_path = os.path.join(self.runtime, "panel-%d.log" % time.monotonic_ns())
        with open(self.log_path, "wb") as log:
            self.started_at = time.monotonic()
            self.process = subprocess.Popen([program] + self.args, cwd=self.workdir, env=env,
                                            stdout=log, stderr=subprocess.STDOUT)
        return self

    @property
    def pid(self):
        return self.process.pid

    def log(self):
        try:
            with open(self.log_path, "r", errors="replace") as f:
                return f.read()
        except (OSError, TypeError):
            return ""

    def running(self):
        return self.process is not None and self.process.poll() is None

    def wait_window(self, timeout=WINDOW_TIMEOUT):
        """Waits for the main window to be mapped; returns the seconds since start()."""
        def found():
            if not self.running():
                raise HarnessError("dawnbell ended with code %s before its window showed:\n%s"
                                   % (self.process.returncode, self.log()))
            windows = self.session.windows(self.pid)
            for window in windows:
                if self.session.geometry(window)[2:] == client_size():
                    return window
            return None
        self.window = wait_until(found, timeout, self.describe_wait_for_window)
        elapsed = time.monotonic() - self.started_at
        self.origin = self.session.geometry(self.window)[:2]
        # The first paint follows the mapping; a flat fill means it has not come yet, and
        # pixels read before it would be the bare background.
        wait_until(lambda: len(self.grab_client().colours()) > 4, WINDOW_TIMEOUT,
                   "the window to be painted")
        return elapsed

    def describe_wait_for_window(self):
        """What a wait for the window saw: where the process waits, and its windows."""
        try:
            with open("/proc/%d/wchan" % self.pid) as f:
                waits_in = f.read()
        except OSError:  # it has just ended
            waits_in = "nothing"
        windows = [self.session.geometry(w)[2:] for w in
                   self.session.xdotool("search", "--all", "--pid", self.pid, check=False).split()]
        return ("the dawnbell window of %dx%d; the process waits in %s and has windows %s; its "
                "output: %r" % (client_size() + (waits_in, windows, self.log())))

    def grab_client(self):
        return self.session.grab(self.origin[0], self.origin[1], *client_size())

    def screen_point(self, name):
        cx, cy = control_centre(name)
        return (self.origin[0] + cx, self.origin[1] + cy)

    def pixel(self, name):
        """The colour at the centre of a control, as the screen shows it."""
        x, y = self.screen_point(name)
        return self.session.grab(x, y, 1, 1).pixel(0, 0)

    def wait_pixel(self, name, colour, timeout=LINE_TIMEOUT):
        """Waits until the centre of a control shows colour; fails naming the colour seen."""
        seen = []

        def matches():
            seen[:] = [self.pixel(name)]
            return seen[0] == colour
        try:
            wait_until(matches, timeout, "%s to show %s" % (name, colour))
        except HarnessError as e:
            raise HarnessError("%s; it shows %s" % (e, seen[0] if seen else None))

    def activate(self):
        self.session.xdotool("windowactivate", "--sync", self.window)

    def click(self, name):
        """Clicks a control at its centre."""
        x, y = self.screen_point(name)
        # No --sync: it waits for the pointer to move and hangs when it is already there.
        # The server handles the move and the click in order, so the click lands at x, y.
        self.session.xdotool("mousemove", x, y, "click", "1")

    def key(self, *keys):
        """Presses keys (xdotool names, e.g. 'ctrl+a', 'Return') in the focused window."""
        self.session.xdotool("key", "--clearmodifiers", *keys)

    def type(self, text):
        self.session.xdotool("type", "--delay", "20", text)

    def replace_text(self, name, text):
        """Clicks into a text box, selects all its text and types text over it."""
        self.activate()
        self.click(name)
        self.key("ctrl+a")
        self.type(text)

    def close_by_window_manager(self):
        """Asks the window manager to close the window (alt+F4 in openbox), until the panel
        shows it took the request: its window goes or another one (a message) comes. Now and
        then on a busy machine the key closes nothing, and the panel idles on; the request is
        then made again, and said on stderr so that a run shows how often."""
        def taken():
            return not self.running() or self.session.windows(self.pid) != [self.window]
        deadline = time.monotonic() + START_TIMEOUT
        while True:
            self.activate()
            self.key("alt+F4")
            try:
                wait_until(taken, 5.0, "the window manager to close the window")
                return
            except HarnessError:
                if time.monotonic() >= deadline:
                    raise
                print("alt+F4 closed nothing; pressed again", file=sys.stderr)

    def wait_exit(self, timeout=EXIT_TIMEOUT):
        """Waits for the process to end and returns its exit code."""
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError("dawnbell did not end within %.0f s" % timeout)

    def stop(self):
        """Ends the process if it still runs (cleanup only; tests end it through the window)."""
        if self.running():
            self.process.kill()
            self.process.wait()


class Simulator:
    """One dawnbell-sim on 127.0.0.1:port; its output lines are collected as they come."""

    def __init__(self, port=DESIGN_PORT, *options, env=None):
        self.port = port
        self.options = [str(o) for o in options]
        self.env = env
        self.process = None
        self._lines = []
        self._changed = threading.Condition()
        self._reader = None

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    def start(self):
        program = binary("DAWNBELL_SIM")
        self.process = subprocess.Popen(
            [program, "--host", LOOPBACK, "--port", str(self.port)] + self.options,
            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, bufsize=1,
            env=self.env)
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()
        self.wait_for(r"^listening on ", what="the simulator to listen on port %d" % self.port)
        return self

    def _read(self):
        for line in self.process.stdout:
            with self._changed:
                self._lines.append(line.rstrip("\n"))
                self._changed.notify_all()
        with self._changed:
            self._changed.notify_all()

    @property
    def lines(self):
        with self._changed:
            return list(self._lines)

    def mark(self):
        """The number of lines so far; pass it as start to wait only for later lines."""
        with self._changed:
            return len(self._lines)

    def wait_for(self, pattern, start=0, timeout=LINE_TIMEOUT, what=None):
        """Waits for a line at index >= start that matches the regular expression pattern.

        Returns the match object; fails with every line seen so far when none comes in time.
        """
        regex = re.compile(pattern)
        deadline = time.monotonic() + timeout
        with self._changed:
            index = start
            while True:
                while index < len(self._lines):
                    match = regex.search(self._lines[index])
                    index += 1
                    if match:
                        return match
                if self.process.poll() is not None and not self._reader.is_alive():
                    raise HarnessError("the simulator on port %d ended (code %s) without %s; "
                                       "it printed: %s" % (self.port, self.process.returncode,
                                                           what or pattern, self._lines))
                left = deadline - time.monotonic()
                if left <= 0:
                    raise HarnessError("no simulator line for %s within %.0f s; it printed: %s"
                                       % (what or repr(pattern), timeout, self._lines))
                self._changed.wait(min(left, 0.5))

    def commands(self, start=0):
        """Lines at index >= start that describe a command (not connection notes)."""
        return [line for line in self.lines[start:]
                if re.match(r"^\S  ", line)]

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        if self._reader:
            self._reader.join(timeout=5)
        if self.process and self.process.stdout:
            self.process.stdout.close()


class E2ETestCase(unittest.TestCase):
    """Gives each test a temporary folder (self.tmp), an X session (self.x) and helpers that
    start panels and simulators which are always stopped when the test ends."""

    test_bound = TEST_BOUND

    def setUp(self):
        self.start_bound()
        self.tmp = tempfile.mkdtemp(prefix="dawnbell-e2e-")
        self.addCleanup(shutil.rmtree, self.tmp, ignore_errors=True)
        self.x = XSession(self.tmp)
        self.addCleanup(self.x.stop)
        self.x.start()

    def start_bound(self):
        """Fails the test where it is when its bound runs out, with what it was waiting for
        (the traceback shows where)."""
        bound = self.test_bound
        if _module_deadline is not None:
            bound = min(bound, _module_deadline - time.monotonic())
        if bound <= 0:
            self.fail("no time left of the module's bound (CTest's TIMEOUT, %s s): the tests "
                      "before this one used it up" % os.environ["DAWNBELL_TEST_TIMEOUT"])

        def ran_out(signum, frame):
            raise HarnessError("the test ran out of its %.0f s bound waiting for %s"
                               % (bound, " / ".join(map(_describe, _waits)) or "a step"))
        signal.signal(signal.SIGALRM, ran_out)
        signal.setitimer(signal.ITIMER_REAL, bound)

    def doCleanups(self):
        signal.setitimer(signal.ITIMER_REAL, 0)
        return super().doCleanups()

    def folder(self, name):
        """A fresh folder under the test's temporary folder."""
        path = os.path.join(self.tmp, name)
        os.makedirs(path, exist_ok=True)
        return path

    def start_simulator(self, port=DESIGN_PORT, *options, window=False):
        """window=True adds --window and shows the simulated clock on the test's display."""
        if port == DESIGN_PORT:
            self.require_design_port_idle()
        env = None
        if window:
            options += ("--window",)
            runtime = self.folder("sim-runtime-%d" % port)
            os.chmod(runtime, 0o700)
            env = self.x.env(QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=runtime, LC_ALL="C.UTF-8",
                             QT_SCALE_FACTOR="1", QT_ENABLE_HIGHDPI_SCALING="0")
        sim = Simulator(port, *options, env=env)
        self.addCleanup(sim.stop)
        return sim.start()

    def start_panel(self, workdir=None, runtime=None, extra_env=None, args=()):
        panel = Panel(self.x, workdir or self.folder("work"), runtime, extra_env, args)
        self.addCleanup(panel.stop)
        return panel.start()

    def start_connected_panel(self, workdir=None, runtime=None, extra_env=None):
        """Starts a panel whose saved port has a simulator of its own, and waits until it
        is connected there; returns (panel, device) where device is that simulator.

        A second simulator answers the first connection on port 5000. Separate simulators
        keep the second connection off the one that the first is still leaving: a
        one-client simulator may refuse a reconnect that arrives before it has seen the
        first connection's end."""
        workdir = workdir or self.folder("work")
        port = free_port()
        write_settings(workdir, port=port)
        self.start_simulator(DESIGN_PORT)
        device = self.start_simulator(port)
        panel = self.start_panel(workdir, runtime, extra_env)
        panel.wait_window()
        device.wait_for(r"^connected 127\.0\.0\.1:", what="the panel to connect")
        panel.activate()
        return panel, device

    def require_design_port_idle(self, timeout=DESIGN_PORT_TIMEOUT):
        """The panel's first connection always goes to port 5000; nothing else may answer it.

        Only the test's own programs can listen there in a network namespace of its own; without
        one, a program outside this CTest run may hold the port for a while: this waits."""
        wait_until(lambda: not port_answers(DESIGN_PORT), timeout, lambda: (
            "127.0.0.1:%d to be free, held by %s (private network: %s)" % (
                DESIGN_PORT, port_listeners(DESIGN_PORT),
                os.environ.get("DAWNBELL_PRIVATE_NET") == "1")), interval=0.5)
