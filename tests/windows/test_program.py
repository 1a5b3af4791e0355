"""sorvane.exe under Wine: its output, window, picture and controls, in one run, and
its close box with the progress lines lost."""

import unittest

from processes import wait_for
from sorvane import TITLE, expected_progress
from xserver import XServer
from wine import sorvane_exe, wine_session

# A frozen clock keeps the figure at angle 0, so the picture settles.
CLOCK = "2001-09-09 01:46:40"
IGNORED_KEYS = ["q", "Return", "space", "Tab", "BackSpace", "Left", "Page_Down", "F1", "F10",
                "F12"]


def columns(screenshot, first, count):
    """The colours in `count` columns from `first`."""
    width, height, pixels = screenshot
    return {pixels[3 * (row * width + x):3 * (row * width + x + 1)]
            for row in range(height) for x in range(first, first + count)}


def figure_in_middle_square(screenshot):
    """At 1200 x 600, x runs from -2 to 2 at the unchanged scale: the figure stays
    in the middle square, in many colours, and all beside it is white."""
    if screenshot[:2] != (1200, 600):
        return False
    beside = columns(screenshot, 0, 300) | columns(screenshot, 900, 300)
    return beside == {b"\xff\xff\xff"} and len(columns(screenshot, 300, 600)) > 1000


class Program(unittest.TestCase):
    def test_output_window_picture_and_controls(self):
        with XServer() as server, wine_session(server), sorvane_exe(server, CLOCK) as program:
            name = server.tool("xprop", "-id", program.window, "WM_NAME")
            self.assertEqual(name.strip(), f'WM_NAME(STRING) = "{TITLE}"')
            self.assertEqual(program.geometry()[2:], (600, 600))
            self.assertEqual(program.settled_screenshot()[:2], (600, 600))
            program.check_ignored_input(IGNORED_KEYS)

            program.resize(1200, 600)
            wait_for(lambda: figure_in_middle_square(program.screenshot()), 20,
                     "the figure in the middle square, white beside it")

            program.move(40, 50)
            program.full_screen_round_trip()

            # The Windows C runtime ends each line with CR LF.
            self.assertEqual(program.escape_ok(), expected_progress("\r\n"))

    def test_close_box_with_lost_output(self):
        # Wine turns the window manager's close into the close box's WM_CLOSE;
        # the toolkit's main loop then ends and calls exit(0). Lost progress
        # lines must make that a failure too.
        with XServer() as server, wine_session(server), open("/dev/full", "wb") as full, \
                sorvane_exe(server, stdout=full) as program:
            status, _ = program.close(timeout=30)
            self.assertEqual(status, 1)
            self.assertIn("sorvane: cannot write standard output: No space left on device\r\n",
                          program.read(program.stderr))


if __name__ == "__main__":
    unittest.main()
