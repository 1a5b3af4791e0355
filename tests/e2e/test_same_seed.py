"""The picture is a pure function of the start second, under each runner of
the table: the native build run directly, or the Windows build under Wine.
SORVANE_RUNNER names the runner for SORVANE_BINARY (native by default)."""

import unittest

from sorvane import colours, settled_picture
from wine import RUNNER, RUNNERS
from xserver import XServer

WHITE = b"\xff\xff\xff"


class SameSeed(unittest.TestCase):
    def test_same_second_same_picture(self):
        session, run, _ = RUNNERS[RUNNER]
        with XServer() as server, session(server):
            first = settled_picture(run(server, "2001-09-09 01:46:40"))
            again = settled_picture(run(server, "2001-09-09 01:46:40"))
            other = settled_picture(run(server, "2001-09-09 01:46:41"))

        self.assertEqual(first[:2], (600, 600))
        self.assertEqual(first, again)
        self.assertNotEqual(first, other, "another second must give another figure")
        # Translucent layers over white: white shows where the figure does not reach.
        self.assertIn(WHITE, colours(first))


if __name__ == "__main__":
    unittest.main()
