"""Starts that cannot open a window: no display, one that nobody serves, and
toolkit options that are malformed. Each ends with the toolkit's own message,
a non-zero status and no window, before a single progress line."""

import unittest

from sorvane import TITLE, Sorvane
from xserver import XServer

# No X server answers on this display: Xvfb -displayfd takes the lowest free
# numbers.
UNSERVED = ":65000"

CASES = [
    ("DISPLAY unset", {"DISPLAY": None}, [], "failed to open display ''"),
    ("DISPLAY unserved", {"DISPLAY": UNSERVED}, [], f"failed to open display '{UNSERVED}'"),
    ("-display unserved", {}, ["-display", UNSERVED], f"failed to open display '{UNSERVED}'"),
    ("-display without a name", {}, ["-display"],
     "-display parameter must be followed by display name"),
    ("-geometry without a value", {}, ["-geometry"],
     "-geometry parameter must be followed by window geometry settings"),
    ("-display last after other options", {}, ["-sync", "-gldebug", "-display"],
     "-display parameter must be followed by display name"),
]


class BadStart(unittest.TestCase):
    def test_toolkit_refuses_to_start(self):
        with XServer(window_manager=False) as server:
            for name, env, args, message in CASES:
                with self.subTest(name), Sorvane(server, args=args, env=env,
                                                 window=False) as program:
                    status = program.process.wait(20)
                    self.assertEqual(status, 1, "a signal or a sanitizer's status")
                    self.assertIn(f"freeglut ({program.process.args[0]}): {message}",
                                  program.read(program.stderr))
                    self.assertEqual(program.read(program.stdout), "")
            windows = server.tool("xdotool", "search", "--name", TITLE, check=False)
            self.assertEqual(windows.split(), [])


if __name__ == "__main__":
    unittest.main()
