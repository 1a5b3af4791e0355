"""The run ended from outside: the window closed through the window manager, and
the program's X connection killed."""

import signal
import unittest

from sorvane import Sorvane, expected_progress
from xserver import XServer


class WindowEnd(unittest.TestCase):
    def test_closed_by_the_window_manager(self):
        # wmctrl asks openbox to close the window, which sends WM_DELETE_WINDOW;
        # the toolkit's answer is to exit, through exit(), so output is flushed.
        with XServer() as server, Sorvane(server) as program:
            status, output = program.close()
            self.assertEqual(status, 0)
            self.assertEqual(output, expected_progress())
            print(f"closed: exit status {status}")

    def test_connection_killed(self):
        # xkill closes the client's connection in the server; Xlib reports the
        # lost connection and exits.
        with XServer() as server, Sorvane(server) as program:
            server.tool("xkill", "-id", program.window)
            status = program.process.wait(20)
            self.assertNotIn(-status, (signal.SIGSEGV, signal.SIGABRT, signal.SIGBUS))
            self.assertGreater(status, 0)
            self.assertRegex(program.read(program.stderr), r"XIO: +fatal IO error|X connection")
            print(f"killed: exit status {status}")


if __name__ == "__main__":
    unittest.main()
