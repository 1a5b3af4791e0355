"""The calendar clock set during a run, as when the system time is changed;
only the calendar clock moves, the monotonic clock goes on.

Forward 25 days and a second from a frozen start: the pending timer falls due
and draws the figure at 25 degrees, to the hundredth, as finely as in the first
hour. Then back 26 days from inside a frame (the frame shim moves the clock
during the buffer swap): without the program's care, the toolkit would run the
re-armed timer again and again, reading no input, until the clock caught up;
instead frames go on and Escape is answered. Under the sanitizers UBSan watches
the arithmetic.
"""

import os
import tempfile
import unittest

from glstream import read_trace
from processes import wait_for
from sorvane import Sorvane, expected_progress
from xserver import XServer

START = "2026-01-01 00:00:00"
AHEAD = "2026-01-26 00:00:01"  # frozen, 25 days and one second after START


def degrees_from(angle, target):
    """The distance between two angles, in degrees, modulo whole turns."""
    return abs((angle - target + 180) % 360 - 180)


class ClockJump(unittest.TestCase):
    def test_forward_25_days_then_back_inside_a_frame(self):
        with tempfile.TemporaryDirectory() as scratch, XServer() as server:
            clock = os.path.join(scratch, "clock")
            pending = os.path.join(scratch, "pending")
            trace = os.path.join(scratch, "run.trace")

            def stamp(path, text):
                with open(path + ".new", "w") as new:
                    new.write(text + "\n")
                os.replace(path + ".new", path)

            def moved():
                """Waits for a frame to move the pending stamp onto the clock, and
                returns the frames counted then, the one that moved it included."""
                wait_for(lambda: not os.path.exists(pending), 30, "a frame to move the clock")
                return program.frames()

            stamp(clock, START)
            moved_by_swap = {"SORVANE_SWAP_MOVE_FROM": pending, "SORVANE_SWAP_MOVE_TO": clock}
            with Sorvane(server, clock_file=clock, trace=trace, env=moved_by_swap,
                         count_frames=True) as program:
                # The frozen clock stops the timer: frames come from events alone,
                # so a resize draws the frame that moves the clock ahead, and
                # another draws at least one frame that begins after the move.
                program.wait_frames(1)
                stamp(pending, AHEAD)
                program.resize(500, 400)
                ahead_from = moved()
                program.resize(400, 500)
                ahead_until = program.wait_frames(ahead_from + 1)

                # A running clock, 25 days ahead of the real one, drives the timer.
                stamp(clock, "+25d")
                program.wait_frames(program.frames() + 10)
                stamp(pending, "-1d")
                back_from = moved()
                resumed = program.wait_frames(back_from + 10, timeout=30)
                self.assertEqual(program.escape_ok(), expected_progress())
            angles = [call.numbers()[0] for call in read_trace(trace) if call.name == "glRotatef"]

        print(f"{ahead_until - ahead_from} frames 25 days ahead, "
              f"{resumed - back_from} after the clock went back")
        ahead = angles[ahead_from:ahead_until]
        self.assertTrue(ahead)
        for angle in ahead:
            self.assertLess(degrees_from(angle, 25), 0.01, f"angle {angle}")
        self.assertGreaterEqual(len(angles), resumed)


if __name__ == "__main__":
    unittest.main()
