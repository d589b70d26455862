"""The settings file under faults of the machine: the writer killed at random moments, a file
size limit, and a folder where the file should be. Whatever happens, the file on disk is a
whole record, old or new, and temporary files do not pile up. Also: a saved port that is no
port never sends dawnbell-send to another host.

Runs the savestress helper (DAWNBELL_SAVESTRESS) and dawnbell-send (DAWNBELL_SEND), both set
by CTest; needs no display."""

import os
import random
import resource
import select
import shutil
import socket
import signal
import subprocess
import tempfile
import time
import unittest

SETTINGS_FILE = "setupdata.ini"


def helper():
    path = os.environ.get("DAWNBELL_SAVESTRESS")
    if not path or not os.access(path, os.X_OK):
        raise unittest.SkipTest("DAWNBELL_SAVESTRESS must name the savestress helper "
                                "(run the tests through ctest)")
    return path


def check(path):
    """Which record the file holds: "A", "B" or "BAD"."""
    out = subprocess.run([helper(), "check", path], capture_output=True, text=True,
                         timeout=30)
    return out.stdout.strip()


def save(path, record, preexec_fn=None):
    """Saves record "A" or "B" once; returns whether the save succeeded."""
    out = subprocess.run([helper(), "save", path, record], capture_output=True,
                         timeout=30, preexec_fn=preexec_fn)
    if out.returncode not in (0, 1):
        raise AssertionError("savestress save ended with %d: %s"
                             % (out.returncode, out.stderr.decode(errors="replace")))
    return out.returncode == 0


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def strays(folder):
    """Names in folder other than the settings file."""
    return sorted(name for name in os.listdir(folder) if name != SETTINGS_FILE)


class SettingsFaultCase(unittest.TestCase):

    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="dawnbell-faults-")
        self.addCleanup(shutil.rmtree, self.tmp, ignore_errors=True)
        self.path = os.path.join(self.tmp, SETTINGS_FILE)


class KillDuringSave(SettingsFaultCase):
    ROUNDS = 300
    MAX_DELAY = 0.030
    # Enough for every round on a slow machine; the rounds stop early rather than overrun.
    TIME_BUDGET = 50.0
    READY_TIMEOUT = 10.0

    def start_writer(self):
        writer = subprocess.Popen([helper(), "loop", self.path], stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL)
        self.addCleanup(self.reap, writer)
        ready, _, _ = select.select([writer.stdout], [], [], self.READY_TIMEOUT)
        line = writer.stdout.readline() if ready else b""
        self.assertEqual(line, b"ready\n", "the writer's first save did not complete")
        return writer

    @staticmethod
    def reap(writer):
        if writer.poll() is None:
            writer.kill()
        writer.wait()
        writer.stdout.close()

    def test_killed_writer_leaves_a_whole_record(self):
        seed = random.randrange(1 << 32)
        rng = random.Random(seed)
        seen = {"A": 0, "B": 0}
        stray_rounds = 0
        deadline = time.monotonic() + self.TIME_BUDGET
        rounds = 0
        while rounds < self.ROUNDS and time.monotonic() < deadline:
            rounds += 1
            writer = self.start_writer()
            # The random delay is the point: it spreads the kills over every step of a save.
            time.sleep(rng.uniform(0, self.MAX_DELAY))
            writer.send_signal(signal.SIGKILL)
            writer.wait()
            self.assertEqual(writer.returncode, -signal.SIGKILL,
                             "the writer ended before it was killed (seed %d)" % seed)

            verdict = check(self.path)
            self.assertIn(verdict, ("A", "B"),
                          "round %d (seed %d) left a torn file" % (rounds, seed))
            seen[verdict] += 1

            # One kill can strand at most the one temporary file of the save it cut short.
            left = strays(self.tmp)
            self.assertLessEqual(len(left), 1, "round %d (seed %d) left %s"
                                 % (rounds, seed, left))
            for name in left:
                stray_rounds += 1
                os.remove(os.path.join(self.tmp, name))

        self.assertGreaterEqual(rounds, 50, "too few rounds in the time budget")
        # Both records on disk means the kills landed all over the loop, not only at its start.
        self.assertGreater(seen["A"], 0, seen)
        self.assertGreater(seen["B"], 0, seen)
        print("\n%d kills (seed %d): %s, a stray temporary file after %d"
              % (rounds, seed, seen, stray_rounds))


class SizeLimit(SettingsFaultCase):

    def test_failed_write_keeps_the_old_file(self):
        self.assertTrue(save(self.path, "A"))
        old = read_bytes(self.path)
        # Record B is several kilobytes: no limit lets it through, some let part of it.
        for limit in (0, 1, 300, 4096):
            with self.subTest(limit=limit):
                def limited(limit=limit):
                    resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))

                self.assertFalse(save(self.path, "B", preexec_fn=limited))
                self.assertEqual(read_bytes(self.path), old)
                self.assertEqual(check(self.path), "A")
                self.assertEqual(strays(self.tmp), [])

        # Once the limit is gone the same save goes through.
        self.assertTrue(save(self.path, "B"))
        self.assertEqual(check(self.path), "B")


class FolderInPlace(SettingsFaultCase):

    def test_folder_is_left_intact(self):
        os.mkdir(self.path)
        inside = os.path.join(self.path, "keep.txt")
        with open(inside, "wb") as f:
            f.write(b"mine")
        self.assertFalse(save(self.path, "A"))
        self.assertTrue(os.path.isdir(self.path))
        self.assertEqual(os.listdir(self.path), ["keep.txt"])
        self.assertEqual(read_bytes(inside), b"mine")
        self.assertEqual(strays(self.tmp), [])


# A settings file as the panel writes it, naming host and port.
SETTINGS = ('"Starting on line 2, every other line is a comment.  comments must be in quotes."\r\n'
            '"Alarm Hour"\r\n"6"\r\n"Alarm Minute"\r\n"30"\r\n"Alarm AMPM"\r\n"AM"\r\n'
            '"Alarm Track"\r\n151\r\n"BackGrounds"\r\n"1"\r\n"Wake Up Screens"\r\n"1"\r\n'
            '"Announce Hourly"\r\n"0"\r\n"Remote Host"\r\n"%s"\r\n"Remote Port"\r\n"%s"\r\n')


class UnusablePort(SettingsFaultCase):

    def test_send_names_the_port_and_sends_nothing(self):
        send = os.environ.get("DAWNBELL_SEND")
        if not send:
            raise unittest.SkipTest("DAWNBELL_SEND must name dawnbell-send (run through ctest)")
        listener = socket.socket()
        self.addCleanup(listener.close)
        try:
            listener.bind(("127.0.0.2", 5000))  # the saved host, the built-in port
        except OSError as error:
            raise unittest.SkipTest("cannot listen on 127.0.0.2:5000: %s" % error)
        listener.listen(1)
        with open(self.path, "wb") as f:
            f.write((SETTINGS % ("127.0.0.2", "50O1")).encode("latin-1"))

        sender = subprocess.run([send, "-C", self.tmp, "scheme", "2"], capture_output=True,
                                timeout=60)
        self.assertEqual(sender.returncode, 1)
        self.assertRegex(sender.stderr, rb'\A[^\n]*"50O1"[^\n]*--host HOST --port PORT[^\n]*\n\Z')
        listener.setblocking(False)
        self.assertRaises(BlockingIOError, listener.accept)  # nothing reached 127.0.0.2:5000


if __name__ == "__main__":
    unittest.main()
