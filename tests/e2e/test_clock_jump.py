"""The calendar clock moved during a run: 25 days forward, past 2^31 ms, then a
day back. The angle follows the clock without wrapping, the program stays
alive and answers input, and Escape exits 0. Under the sanitizers UBSan
watches the arithmetic.

Where the clock goes back while the program waits between frames, the
toolkit's pending timer falls due only when the clock reaches its old expiry
again (a day later here), and frames come from reshape and display events
alone; the test draws one with a resize either way.
"""

import os
import tempfile
import time
import unittest

from glstream import read_trace
from harness import Sorvane, XServer, expected_progress

DAY_MS = 86_400_000
DEGREES_PER_MS = 0.025


class ClockJump(unittest.TestCase):
    def test_forward_past_32_bits_then_back(self):
        with tempfile.TemporaryDirectory() as scratch, XServer() as server:
            clock = os.path.join(scratch, "clock")
            trace = os.path.join(scratch, "run.trace")

            def set_clock(offset):
                with open(clock + ".new", "w") as stamp:
                    stamp.write(offset + "\n")
                os.replace(clock + ".new", clock)

            set_clock("+0")
            with Sorvane(server, clock_file=clock, trace=trace) as program:
                time.sleep(0.5)
                set_clock("+25d")
                time.sleep(1)
                set_clock("+24d")
                time.sleep(1)
                program.resize(500, 400)
                time.sleep(0.3)
                self.assertTrue(program.alive())
                status, output = program.escape()
            self.assertEqual(status, 0)
            self.assertEqual(output, expected_progress())
            angles = [float(call.args[0]) for call in read_trace(trace)
                      if call.name == "glRotatef"]

        forward, back = 25 * DAY_MS * DEGREES_PER_MS, 24 * DAY_MS * DEGREES_PER_MS
        before = [a for a in angles if a < back]
        ahead = [a for a in angles if a >= forward]
        last_ahead = max(i for i, angle in enumerate(angles) if angle >= forward)
        after = angles[last_ahead + 1:]
        print(f"{len(before)} frames before the jump, {len(ahead)} 25 days on, "
              f"{len(after)} after the day back")
        self.assertGreater(len(before), 10, "the timer drives frames")
        self.assertGreater(len(ahead), 10, "the timer drives frames after the jump")
        # Past 2^31 ms the angle is still positive and growing: no 32-bit wrap.
        self.assertGreater(min(ahead), (1 << 31) * DEGREES_PER_MS)
        self.assertEqual(ahead, sorted(ahead))
        self.assertLess(max(ahead) - forward, 10 * 1000 * DEGREES_PER_MS)
        # After the day back, the resize's frames show the clock's new angle.
        self.assertTrue(after)
        for angle in after:
            self.assertGreaterEqual(angle, back)
            self.assertLess(angle, back + 10 * 1000 * DEGREES_PER_MS)


if __name__ == "__main__":
    unittest.main()
