"""The Windows build under Wine: the real dawnbell.exe against the Linux simulator on loopback,
its ways of saving, and the Task Scheduler definition shipped beside dawnbell-send.exe.

Run by tests/windows/under-wine.sh inside a network namespace that has only loopback, with
WINEPREFIX, DAWNBELL_WINDOWS_BUILD_DIR (the cross build), DAWNBELL_SIM (the Linux simulator)
and DAWNBELL_LAYOUT (the Linux layoutdump, for the controls' rectangles) set. DAWNBELL_WINDOWS_SCREENSHOT names a PNG to keep of the panel's window.
DAWNBELL_WINDOWS_INSTALLER names the installer that InstallerTest installs and uninstalls
(scripts/package-windows.sh sets it).
"""

import glob
import os
import socket
import subprocess
import sys
import threading
import time
import unittest
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

from harness import (DESIGN_PORT, LOOPBACK, E2ETestCase, HarnessError, Panel,  # noqa: E402
                     Simulator, client_size, free_port, wait_until, write_settings)

WINE = os.environ.get("WINE", "wine")
BUILD = os.environ.get("DAWNBELL_WINDOWS_BUILD_DIR", "")
INSTALLER = os.environ.get("DAWNBELL_WINDOWS_INSTALLER")
TASK_NS = {"t": "http://schemas.microsoft.com/windows/2004/02/mit/task"}


def built(*parts):
    path = os.path.join(BUILD, *parts)
    if not os.path.isfile(path):
        raise HarnessError("%s is missing; run scripts/build-windows.sh" % path)
    return path


def crlf_lines(path):
    """The lines of a file that must end each in CR LF, and nothing else."""
    with open(path, "rb") as f:
        data = f.read()
    lines = data.split(b"\r\n")
    if lines[-1] != b"" or any(b"\n" in line or b"\r" in line for line in lines):
        raise AssertionError("not CR LF lines throughout: %r" % data)
    return [line.decode("latin-1") for line in lines[:-1]]


def user_folder(kind):
    """The "Roaming" or "Local" application-data folder of the prefix's user."""
    prefix = os.environ["WINEPREFIX"]
    folders = [f for f in glob.glob(os.path.join(prefix, "drive_c", "users", "*", "AppData",
                                                 kind))
               if "/users/Public/" not in f]
    if len(folders) != 1:
        raise HarnessError("no single %s folder in %s: %s" % (kind, prefix, folders))
    return folders[0]


def roaming_folder():
    return user_folder("Roaming")


class WinePanel(Panel):
    """dawnbell.exe under Wine, on the test's display, in its own working folder."""

    program = None  # the built one unless set

    def start(self):
        os.makedirs(self.runtime, exist_ok=True)
        self.log_path = os.path.join(self.runtime, "panel-%d.log" % time.monotonic_ns())
        with open(self.log_path, "wb") as log:
            self.process = subprocess.Popen(
                [WINE, self.program or built("dawnbell.exe")] + self.args, cwd=self.workdir,
                env=self.session.env(), stdout=log, stderr=subprocess.STDOUT)
        return self

    def wait_window(self, timeout=120):
        # A new prefix finishes setting itself up before the first window shows.
        def found():
            if not self.running():
                raise HarnessError("dawnbell.exe ended with code %s before its window showed:"
                                   "\n%s" % (self.process.returncode, self.log()))
            out = self.session.xdotool("search", "--onlyvisible", "--name", "^Dawnbell$",
                                       check=False)
            for window in map(int, out.split()):
                if self.session.geometry(window)[2:] == client_size():
                    return window
            return None
        self.window = wait_until(found, timeout, "the dawnbell.exe window", interval=0.2)
        self.origin = self.session.geometry(self.window)[:2]
        wait_until(lambda: len(self.grab_client().colours()) > 4, timeout,
                   "the window to be painted")


class WineTestCase(E2ETestCase):

    def start_wine_panel(self, workdir, args=(), program=None):
        panel = WinePanel(self.x, workdir, runtime=self.folder("runtime"), args=args)
        panel.program = program
        self.addCleanup(panel.stop)
        return panel.start()

    def connected_panel(self, workdir, args=(), settings_folder=None, program=None):
        """A panel started in workdir whose settings (in settings_folder, by default
        workdir) name a simulator of their own; the first connection goes to port 5000.
        Returns (panel, device)."""
        port = free_port()
        write_settings(settings_folder or workdir, port=port)
        self.start_simulator(DESIGN_PORT)
        device = self.start_simulator(port)
        panel = self.start_wine_panel(workdir, args, program)
        panel.wait_window()
        device.wait_for(r"^connected 127\.0\.0\.1:", what="dawnbell.exe to connect")
        panel.activate()
        return panel, device

    def click_and_expect(self, panel, device, control, pattern):
        mark = device.mark()
        panel.click(control)
        device.wait_for(pattern, start=mark, what="%s to send its command" % control)


class WinePanelTest(WineTestCase):

    def test_test_button_reaches_device_and_window_close_saves_crlf_file(self):
        workdir = self.folder("work")
        panel, device = self.connected_panel(workdir)
        self.click_and_expect(panel, device, "testButton", r"^!  ")
        self.click_and_expect(panel, device, "schemeBox3", r"^3  ")
        picture = os.environ.get("DAWNBELL_WINDOWS_SCREENSHOT")
        if picture:
            x, y = panel.origin
            subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d"
                            % (client_size() + (x, y)), "+repage", picture],
                           env=self.x.env(), check=True, timeout=60)

        panel.close_by_window_manager()
        self.assertEqual(panel.wait_exit(timeout=60), 0, panel.log())
        lines = crlf_lines(panel.settings_path)
        self.assertEqual(len(lines), 19, lines)
        self.assertEqual(lines[10], "3")

    def test_end_of_session_saves_in_roaming_folder(self):
        folder = os.path.join(roaming_folder(), "dawnbell")
        os.makedirs(folder, exist_ok=True)
        settings = os.path.join(folder, "setupdata.ini")
        self.addCleanup(lambda: os.path.exists(settings) and os.remove(settings))
        workdir = self.folder("elsewhere")
        panel, device = self.connected_panel(workdir, ["--user-config"], settings_folder=folder)
        self.click_and_expect(panel, device, "schemeBox2", r"^2  ")

        # The session's end asks every window whether it may end, then tells it that it
        # ends, and then ends what is left; the panel saves on the question.
        subprocess.run([WINE, "wineboot", "--end-session"], env=self.x.env(), check=True,
                       timeout=120, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        panel.wait_exit(timeout=60)
        self.assertEqual(crlf_lines(settings)[10], "2")
        self.assertFalse(os.path.exists(os.path.join(workdir, "setupdata.ini")))


class ConsoleTest(WineTestCase):
    """dawnbell.exe started from a Command Prompt's console window: Ctrl+C there, or the
    console's closing, saves the settings and ends the panel its own way, giving up the lock."""

    def panel_in_a_console(self):
        """A panel that cmd started in a console window of its own, with a choice made."""
        # One that outlived a failed test would hold the lock against the next.
        self.addCleanup(subprocess.run, [WINE, "taskkill", "/f", "/im", "dawnbell.exe"],
                        env=self.x.env(), capture_output=True, timeout=120)
        panel, device = self.connected_panel(
            self.folder("work"), program="wineconsole",
            args=["cmd", "/k", "Z:" + built("dawnbell.exe").replace("/", "\\")])
        self.click_and_expect(panel, device, "schemeBox3", r"^3  ")
        return panel

    def assert_saved_and_ended(self, panel, lock):
        wait_until(lambda: crlf_lines(panel.settings_path)[10] == "3"
                   and not os.path.exists(lock), 60, "the choice saved and the lock given up")

    def test_ctrl_c_in_the_console_saves(self):
        panel = self.panel_in_a_console()
        console = wait_until(lambda: self.x.xdotool("search", "--name", r"\\cmd\.exe$",
                                                    check=False).split(), 60, "the console")
        self.x.xdotool("windowactivate", "--sync", console[0])
        panel.key("ctrl+c")
        self.assert_saved_and_ended(panel, os.path.join(user_folder("Local"), "dawnbell.lock"))

    def test_closed_console_saves(self):
        # Windows tells each program of a console whose window closes; Wine ends them without
        # a word, so the event is delivered as Windows delivers it.
        panel = self.panel_in_a_console()
        lock = os.path.join(user_folder("Local"), "dawnbell.lock")
        with open(lock) as f:
            pid = f.readline().strip()
        subprocess.run([WINE, built("consoleclose.exe"), pid], env=self.x.env(), check=True,
                       timeout=120)
        self.assert_saved_and_ended(panel, lock)


@unittest.skipUnless(INSTALLER, "DAWNBELL_WINDOWS_INSTALLER names no installer")
class InstallerTest(WineTestCase):
    """The installer as a user runs it, silently: the panel starts from the installed folder
    as the Start menu entry starts it, and the uninstaller takes away what was installed."""

    def test_install_start_uninstall(self):
        folder = os.path.join(os.environ["WINEPREFIX"], "drive_c", "Program Files",
                              "Dawnbell")
        menu_entry = os.path.join(os.environ["WINEPREFIX"], "drive_c", "ProgramData",
                                  "Microsoft", "Windows", "Start Menu", "Programs",
                                  "Dawnbell.lnk")
        subprocess.run([WINE, INSTALLER, "/S"], env=self.x.env(), check=True, timeout=300)
        self.assertTrue(os.path.isfile(menu_entry))

        self.start_simulator(DESIGN_PORT)
        panel = self.start_wine_panel(folder, ["--user-config"],
                                      program=os.path.join(folder, "dawnbell.exe"))
        panel.wait_window()
        panel.close_by_window_manager()
        self.assertEqual(panel.wait_exit(timeout=60), 0, panel.log())

        # The uninstaller copies itself away and ends at once; its copy does the work.
        subprocess.run([WINE, os.path.join(folder, "uninstall.exe"), "/S"], env=self.x.env(),
                       check=True, timeout=300)
        wait_until(lambda: not os.path.exists(folder), 120, "the uninstaller to finish")
        self.assertFalse(os.path.exists(menu_entry))


class SendDeliveryTest(unittest.TestCase):
    """dawnbell-send.exe against the Linux simulator and a listener on loopback: exit 0 when the
    module took the command; 1 and one line when it reset the connection, closed it at once or
    was busy with another client, as on Linux."""

    NOT_TAKEN = (r"\Adawnbell-send: sending to 127\.0\.0\.1:%d failed: (reset by the module|closed "
                 r"by the module before it took the command) \(the module serves one client at a "
                 r"time: close the panel if it is connected\)(\. The module at 127\.0\.0\.1 .*|"
                 r"\. no module answered at 127\.0\.0\.1)?\r?\n\Z")

    def module_port(self, behaviour):
        """The port of a stand-in module that behaves so with its next client."""
        if behaviour == "closes at once":
            listener = socket.create_server((LOOPBACK, 0))
            self.addCleanup(listener.close)
            closer = threading.Thread(target=lambda: listener.accept()[0].close())
            closer.start()
            self.addCleanup(closer.join, 30)
            return listener.getsockname()[1]
        resets = ("--reset-after", 1) if behaviour == "resets after reading" else ()
        simulator = Simulator(free_port(), *resets)
        self.addCleanup(simulator.stop)
        simulator.start()
        if behaviour == "busy with the panel":
            self.addCleanup(socket.create_connection((LOOPBACK, simulator.port), 30).close)
            simulator.wait_for(r"^connected ", what="the stand-in panel to connect")
        return simulator.port

    def test_exit_status_says_whether_the_module_took_the_command(self):
        for behaviour in ("takes it", "resets after reading", "closes at once",
                          "busy with the panel"):
            with self.subTest(behaviour):
                port = self.module_port(behaviour)
                sent = subprocess.run([WINE, built("dawnbell-send.exe"), "--host", LOOPBACK,
                                       "--port", str(port), "stop"],
                                      capture_output=True, text=True, timeout=120)
                if behaviour == "takes it":
                    self.assertEqual((sent.returncode, sent.stderr), (0, ""))
                    continue
                self.assertEqual(sent.returncode, 1, sent.stderr)
                self.assertRegex(sent.stderr, self.NOT_TAKEN % port)
                if behaviour == "resets after reading":
                    self.assertIn("reset by the module", sent.stderr)


class FindTest(unittest.TestCase):
    """dawnbell-send.exe find asks the Linux simulator on its command port, by unicast on
    loopback, and prints its line as on Linux."""

    def test_finds_the_simulator(self):
        command_port = free_port()
        simulator = Simulator(free_port(), "--command-port", command_port)
        self.addCleanup(simulator.stop)
        simulator.start()
        found = subprocess.run(
            [WINE, built("dawnbell-send.exe"), "find", "--to", LOOPBACK, "--command-port",
             str(command_port)], capture_output=True, text=True, timeout=120)
        self.assertEqual(found.returncode, 0, found.stderr)
        self.assertRegex(found.stdout, r"\A127\.0\.0\.1:%d\t02:DB:[0-9A-F:]+\tWIZ750SR\tOPEN\t"
                         % simulator.port)


class TaskDefinitionTest(unittest.TestCase):
    """dawnbell-sync.xml as shipped: what Task Scheduler reads, and what it would run."""

    def setUp(self):
        self.path = built("tools", "send", "dawnbell-sync.xml")

    def test_file_is_utf16_with_crlf_lines_and_well_formed(self):
        with open(self.path, "rb") as f:
            data = f.read()
        self.assertEqual(data[:2], b"\xff\xfe")
        text = data.decode("utf-16")
        self.assertNotIn("\n", text.replace("\r\n", ""))
        subprocess.run(["xmllint", "--noout", self.path], check=True)

    def test_task_runs_send_time_nightly_and_after_logon_and_ships_disabled(self):
        task = ElementTree.parse(self.path).getroot()

        def text(path):
            node = task.find(path, TASK_NS)
            self.assertIsNotNone(node, path)
            return node.text.strip()
        self.assertTrue(text("t:Actions/t:Exec/t:Command").endswith('\\dawnbell-send.exe"'))
        self.assertTrue(text("t:Actions/t:Exec/t:Arguments").endswith(" time"))
        self.assertEqual(text("t:Triggers/t:CalendarTrigger/t:ScheduleByDay/t:DaysInterval"),
                         "1")
        self.assertEqual(text("t:Triggers/t:LogonTrigger/t:Delay"), "PT1M")
        self.assertEqual(text("t:Settings/t:StartWhenAvailable"), "true")
        self.assertEqual(text("t:Settings/t:Enabled"), "false")

    def test_schtasks_accepts_the_definition(self):
        name = "Dawnbell clock sync test %d" % os.getpid()
        windows_path = "Z:" + self.path.replace("/", "\\")
        created = subprocess.run([WINE, "schtasks", "/create", "/tn", name, "/xml",
                                  windows_path], capture_output=True, text=True, timeout=120)
        self.assertEqual(created.returncode, 0, created.stdout + created.stderr)
        subprocess.run([WINE, "schtasks", "/delete", "/tn", name, "/f"],
                       capture_output=True, timeout=120)


if __name__ == "__main__":
    unittest.main()
