"""A plain run: the progress lines, the window, and a clean exit on Escape."""

import unittest

from sorvane import TITLE, Sorvane, expected_progress
from xserver import XServer


class Startup(unittest.TestCase):
    def test_window_output_and_exit_status(self):
        with XServer() as server, Sorvane(server) as program:
            name = server.tool("xprop", "-id", program.window, "WM_NAME")
            self.assertEqual(name.strip(), f'WM_NAME(STRING) = "{TITLE}"')
            self.assertEqual(program.geometry()[2:], (600, 600))

            status, output = program.escape()
            self.assertEqual(status, 0)
            # Nothing flushes per line: all 500 must still arrive through exit.
            self.assertEqual(output, expected_progress())
            self.assertEqual(program.read(program.stderr).count("error"), 0)


if __name__ == "__main__":
    unittest.main()
