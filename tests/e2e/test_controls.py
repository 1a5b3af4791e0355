"""F11 and Escape act; every other key and all pointer input change nothing.
The program as SORVANE_RUNNER runs it (see wine.py): the native build, or the
Windows build under Wine, which runs the cases that need no preloaded library."""

import os
import subprocess
import tempfile
import time
import unittest

from glstream import frames_per_reshape, read_trace
from processes import wait_for
from sorvane import LOST_OUTPUT, TITLE, Sorvane, expected_progress
from wine import RUNNER, RUNNERS
from xserver import SCREEN, XServer

# Ordinary and special keys that must be ignored.
IGNORED_KEYS = ["q", "Return", "space", "a", "Tab", "BackSpace", "Left", "Up", "Page_Down",
                "Home", "F12"] + [f"F{n}" for n in range(1, 11)]
# Long enough for the X server to repeat a held key many times.
HELD_KEY_NS = 1_500_000_000
# A frozen clock keeps the figure at angle 0, so the picture settles.
CLOCK = "2001-09-09 01:46:40"
native_only = unittest.skipIf(RUNNER != "native", "the frame shim is preloaded natively only")


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


class Controls(unittest.TestCase):
    def test_keys_pointer_and_full_screen(self):
        session, run, line_end = RUNNERS[RUNNER]
        with tempfile.TemporaryDirectory() as scratch, XServer() as server, session(server):
            # Natively every GL call is recorded; the frozen clock stops the
            # toolkit's timer, so every frame in the trace comes from a reshape
            # or a display event.
            trace = os.path.join(scratch, "controls.trace") if RUNNER == "native" else None
            with run(server, CLOCK, trace=trace) as program:
                name = server.tool("xprop", "-id", program.window, "WM_NAME")
                self.assertEqual(name.strip(), f'WM_NAME(STRING) = "{TITLE}"')
                program.resize(500, 400)
                program.settled_screenshot()
                program.check_ignored_input(IGNORED_KEYS)

                program.resize(1200, 600)
                wait_for(lambda: figure_in_middle_square(program.screenshot()), 20,
                         "the figure in the middle square, white beside it")
                program.move(40, 50)
                program.full_screen_round_trip()

                # Escape from full screen ends the run without restoring first.
                program.keys("F11")
                program.wait_geometry((0, 0) + SCREEN)
                self.assertEqual(program.escape_ok(), expected_progress(line_end))
            if not trace:
                return

            reshapes = frames_per_reshape(read_trace(trace))
            sizes = [size for size, _ in reshapes]
            first = sizes.index((500, 400))
            self.assertEqual(sizes[first:], [(500, 400), (1200, 600), SCREEN, (1200, 600), SCREEN])
            # The ignored input came between the first two reshapes and drew
            # nothing: both are followed by the same number of frames.
            self.assertGreaterEqual(reshapes[first][1], 1)
            self.assertEqual(reshapes[first][1], reshapes[first + 1][1])

    def test_close_box_with_lost_output(self):
        # The window manager's close, as its close box does (under Wine the
        # close box's WM_CLOSE, after which the toolkit's main loop ends and
        # calls exit(0)): lost progress lines make it a failure too.
        session, run, line_end = RUNNERS[RUNNER]
        with XServer() as server, session(server), open("/dev/full", "wb") as full, \
                run(server, stdout=full) as program:
            status, _ = program.close(timeout=30)
            self.assertEqual(status, 1)
            self.assertIn(LOST_OUTPUT + line_end, program.read(program.stderr))

    @native_only
    def test_full_screen_round_trips_without_window_manager(self):
        # With no window manager to remember the windowed geometry, the program's
        # own saved size and position are all that bring the window back, every
        # time, from a place of the user's choosing.
        with (XServer(window_manager=False) as server,
              Sorvane(server, count_frames=True) as program):
            program.move(100, 80)
            windowed = program.geometry()
            # F11 held past the X server's key repeat (660 ms, then 25 a
            # second) switches once: full screen all the while it is held and
            # after, until the next press brings the window back.
            program.activate()
            program.server.tool("xdotool", "keydown", "F11")
            program.wait_geometry(SCREEN)
            until = time.monotonic_ns() + HELD_KEY_NS
            sizes = set()

            def held():
                sizes.add(program.geometry()[2:])
                return program.begun(until)

            wait_for(held, 30, "a frame begun with F11 held long enough")
            program.server.tool("xdotool", "keyup", "F11")
            program.wait_frames(program.frames() + 2)
            sizes.add(program.geometry()[2:])
            self.assertEqual(sizes, {SCREEN}, "sizes seen with F11 held and released")
            # Back, then three round trips.
            for geometry in [windowed] + [SCREEN, windowed] * 3:
                program.keys("F11")
                program.wait_geometry(geometry)
                # Back from full screen, the toolkit restores the size once more
                # on its next pass; an F11 that comes before it would be undone
                # by it. Two frames more after each step, and that pass is over.
                program.wait_frames(program.frames() + 2)
            program.escape_ok()

    @native_only
    def test_full_screen_key_released_in_another_window(self):
        # Its release goes to that window, and one press back in the program's
        # must still leave full screen.
        with XServer() as server, Sorvane(server, count_frames=True) as program:
            other = subprocess.Popen(["xmessage", "elsewhere"], env=server.env)
            self.addCleanup(other.wait)
            self.addCleanup(other.kill)
            window = server.tool("xdotool", "search", "--sync", "--onlyvisible", "--class",
                                 "Xmessage").split()[0]
            windowed = program.geometry()
            program.activate()
            server.tool("xdotool", "keydown", "F11")
            program.wait_geometry((0, 0) + SCREEN)
            server.tool("xdotool", "windowactivate", "--sync", window)
            server.tool("xdotool", "keyup", "F11")
            program.activate()
            # Two timed frames: one sees F11 up, the next forgets its release.
            # Besides them, one frame may have begun before the release, and the
            # window redraws what the other one covered, in up to two frames.
            program.wait_frames(program.frames() + 5)
            program.keys("F11")
            program.wait_geometry(windowed)


if __name__ == "__main__":
    unittest.main(verbosity=2)
