"""Runs every shell block of the README that works offline, as written, with the programs of
the test build on the path. A block that needs a display, root or the network carries a
`<!-- readme-test: skip (why) -->` line just above it and is skipped with that reason."""

import os
import re
import subprocess
import tempfile
import unittest

README = os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../README.md")
SKIP = re.compile(r"<!-- readme-test: skip \((.+)\) -->")


def shell_blocks(text):
    """(first line number, commands, skip reason or None) for each ```sh block."""
    blocks, reason, body, start = [], None, None, 0
    for number, line in enumerate(text.splitlines(), 1):
        line = line.strip()
        if body is not None:
            if line == "```":
                blocks.append((start, "\n".join(body), reason))
                body, reason = None, None
            else:
                body.append(line)
        elif line == "```sh":
            body, start = [], number
        elif SKIP.fullmatch(line):
            reason = SKIP.fullmatch(line).group(1)
        elif line:
            reason = None
    return blocks


class Readme(unittest.TestCase):
    def test_shell_blocks_run(self):
        build = os.environ["DAWNBELL_BUILD_DIR"]
        path = [os.path.join(build, folder) for folder in ("app", "tools/send", "tools/sim")]
        env = dict(os.environ, PATH=os.pathsep.join(path + [os.environ["PATH"]]))
        with open(README, encoding="utf-8") as readme:
            blocks = shell_blocks(readme.read())
        self.assertTrue(any(reason is None for _, _, reason in blocks), "no block runs")
        for line, commands, reason in blocks:
            with self.subTest(line=line), tempfile.TemporaryDirectory() as folder:
                if reason:
                    self.skipTest(reason)
                run = subprocess.run(["bash", "-euo", "pipefail", "-c", commands], cwd=folder,
                                     env=env, capture_output=True, text=True, timeout=60)
                self.assertEqual(run.returncode, 0, f"README line {line}:\n{run.stderr}")


if __name__ == "__main__":
    unittest.main()
