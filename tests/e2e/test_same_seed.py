"""The picture is a pure function of the start second, under each runner of
the table: the native build run directly, or the Windows build under Wine.
SORVANE_RUNNER names the runner for SORVANE_BINARY (native by default)."""

import contextlib
import os
import unittest

from sorvane import Sorvane, colours, settled_picture
from wine import sorvane_exe, wine_session
from xserver import XServer

WHITE = b"\xff\xff\xff"
# Each runner: the session that its runs need on the server, and a run with
# the calendar clock frozen at a stamp.
RUNNERS = {
    "native": (lambda server: contextlib.nullcontext(),
               lambda server, clock: Sorvane(server, clock=clock)),
    "wine": (wine_session, sorvane_exe),
}


class SameSeed(unittest.TestCase):
    def test_same_second_same_picture(self):
        session, run = RUNNERS[os.environ.get("SORVANE_RUNNER", "native")]
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
