"""A plain run: the window and the progress lines, and each way the run ends.
Escape and the window manager's close exit 0 with every line written; the X
connection killed ends it with a failure status and Xlib's message, not a
crash. Starts that cannot open a window (no display, one that nobody serves,
toolkit options that are malformed) end with the toolkit's own message, a
non-zero status and no window, before a single progress line."""

import signal
import unittest

from sorvane import TITLE, Sorvane, expected_progress
from xserver import XServer

# No X server answers on this display: Xvfb -displayfd takes the lowest free
# numbers.
UNSERVED = ":65000"


def kill_connection(program):
    # xkill closes the client's connection in the server; Xlib reports the
    # lost connection and exits.
    program.server.tool("xkill", "-id", program.window)
    return program.process.wait(20), None


# Each way a run ends: it returns the exit status and the output, where it
# must be whole.
ENDINGS = {
    "Escape": lambda program: program.escape(),
    # wmctrl asks openbox to close the window, which sends WM_DELETE_WINDOW;
    # the toolkit's answer is to exit, through exit(), so output is flushed.
    "closed by the window manager": lambda program: program.close(),
    "connection killed": kill_connection,
}
# Each start that cannot open a window: the environment, the arguments and the
# toolkit's message.
BAD_STARTS = [
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


class Startup(unittest.TestCase):
    def test_window_output_and_endings(self):
        with XServer() as server:
            for how, end in ENDINGS.items():
                with self.subTest(how), Sorvane(server) as program:
                    self.assertEqual(program.geometry()[2:], (600, 600))
                    status, output = end(program)
                    errors = program.read(program.stderr)
                    print(f"{how}: exit status {status}")
                    if output is None:
                        self.assertNotIn(-status, (signal.SIGSEGV, signal.SIGABRT, signal.SIGBUS))
                        self.assertGreater(status, 0)
                        self.assertRegex(errors, r"XIO: +fatal IO error|X connection")
                        continue
                    self.assertEqual(status, 0)
                    # Nothing flushes per line: all 500 must still arrive through exit.
                    self.assertEqual(output, expected_progress())
                    self.assertEqual(errors.count("error"), 0)

    def test_toolkit_refuses_to_start(self):
        with XServer(window_manager=False) as server:
            for name, env, args, message in BAD_STARTS:
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
