"""The GL call stream of a real run, recorded with apitrace under a fixed clock."""

import os
import struct
import tempfile
import time
import unittest

from glstream import read_trace
from sorvane import Sorvane, epoch
from xserver import XServer

START = "2026-01-01 00:00:00"

INIT = [
    ("glEnable", ("GL_BLEND",)),
    ("glEnable", ("GL_DEPTH_TEST",)),
    ("glDepthFunc", ("GL_LESS",)),
    ("glShadeModel", ("GL_SMOOTH",)),
    ("glBlendFunc", ("GL_SRC_ALPHA", "GL_ONE_MINUS_SRC_ALPHA")),
    ("glClearColor", ("1", "1", "1", "0")),
    ("glMatrixMode", ("GL_MODELVIEW",)),
    ("glLoadIdentity", ()),
]


def f32(value):
    return struct.unpack("f", struct.pack("f", value))[0]


def reference_vertices(seed, count=500):
    """The figure a seed must give, worked out independently of the program:
    draws x, y, z, r, g, b per vertex from the 15-bit generator, positions mapped
    to [-1, 1], all in single precision."""
    state = seed & 0xFFFFFFFF
    scale = struct.unpack("<f", struct.pack("<I", 0x38000100))[0]

    def unit():
        nonlocal state
        state = (state * 214013 + 2531011) & 0xFFFFFFFF
        return f32(((state >> 16) & 0x7FFF) * scale)

    vertices = []
    for _ in range(count):
        x, y, z, r, g, b = (unit() for _ in range(6))
        vertices.append((f32(f32(x + x) - 1), f32(f32(y + y) - 1), f32(f32(z + z) - 1), r, g, b))
    return vertices


def split_frames(test, calls):
    """Checks that everything after init is reshapes and whole frames; returns
    the frames as (angle, colours, positions) and the reshapes as (viewport,
    ortho, index of the frame that follows)."""
    frames, reshapes = [], []
    i = 0
    while i < len(calls):
        names = [call.name for call in calls[i:i + 4]]
        if names == ["glMatrixMode", "glLoadIdentity", "glViewport", "glOrtho"]:
            test.assertEqual(calls[i].args, ("GL_PROJECTION",))
            reshapes.append((calls[i + 2].args, calls[i + 3].numbers(), len(frames)))
            test.assertEqual(calls[i + 4].name, "glClear", "a reshape draws at once")
            test.assertFalse(calls[i + 4].dispatched, "the reshape handler itself draws")
            i += 4
            continue
        test.assertEqual(calls[i].name, "glClear", f"call {i} starts no frame")
        test.assertEqual(calls[i].args, ("GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT",))
        test.assertEqual([c.name for c in calls[i + 1:i + 4]],
                         ["glPushMatrix", "glRotatef", "glBegin"])
        angle, *axis = calls[i + 2].numbers()
        test.assertEqual(axis, [1, 1, 1])
        test.assertEqual(calls[i + 3].args, ("GL_POLYGON",))
        body = calls[i + 4:i + 4 + 1000]
        test.assertEqual([c.name for c in body], ["glColor4f", "glVertex3f"] * 500)
        test.assertEqual([c.name for c in calls[i + 1004:i + 1007]],
                         ["glEnd", "glPopMatrix", "swap"])
        frames.append((angle, [c.numbers() for c in body[0::2]],
                       [c.numbers() for c in body[1::2]]))
        i += 1007
    return frames, reshapes


class GlStream(unittest.TestCase):
    def test_init_frames_and_reshapes(self):
        with tempfile.TemporaryDirectory() as scratch, XServer() as server:
            trace = os.path.join(scratch, "run.trace")
            program = Sorvane(server, clock="@" + START, trace=trace, count_frames=True)
            with program:
                shown = time.monotonic()
                # Timer frames between the resizes, to be told apart from theirs.
                for width, height in ((600, 300), (300, 600), (601, 600)):
                    program.wait_frames(program.frames() + 10)
                    program.resize(width, height)
                program.wait_frames(program.frames() + 10)
                pressed = time.monotonic()
                program.escape_ok()
                ended = time.monotonic()
            calls = read_trace(trace)

        self.assertEqual([(c.name, c.args) for c in calls[:len(INIT)]], INIT)
        frames, reshapes = split_frames(self, calls[len(INIT):])
        self.assertEqual(reshapes[0][:2], (("0", "0", "600", "600"), (-1, 1, -1, 1, -2, 2)))
        self.assertEqual(reshapes[0][2], 0, "the first reshape comes before any frame")
        for viewport, ortho in ((("0", "0", "600", "300"), (-2, 2, -1, 1, -2, 2)),
                                (("0", "0", "300", "600"), (-1, 1, -2, 2, -2, 2)),
                                (("0", "0", "601", "600"),
                                 (-601 / 600, 601 / 600, -1, 1, -2, 2))):
            matches = [r for r in reshapes if r[0] == viewport]
            self.assertEqual(len(matches), 1, viewport)
            for got, want in zip(matches[0][1], ortho):
                self.assertAlmostEqual(got, want, places=12)

        expected = reference_vertices(epoch(START))
        for angle, colours, positions in (frames[0], frames[-1]):
            # x, y, z, then r, g, b and the alpha of every layer.
            for position, colour, want in zip(positions, colours, expected):
                for a, b in zip(position + colour, want + (0.1,)):
                    self.assertAlmostEqual(a, b, delta=1e-6)
        self.assertTrue(all(f[1:] == frames[0][1:] for f in frames), "the table never changes")

        # The angle is 0.025 degrees per whole elapsed millisecond, absolute and
        # growing with the clock.
        angles = [angle for angle, _, _ in frames]
        self.assertEqual(angles, sorted(angles))
        for angle in angles:
            self.assertAlmostEqual(angle / 0.025, round(angle / 0.025), delta=0.01)
        self.assertLess(angles[0], 0.025 * 1000 * (shown - program.started))
        self.assertGreater(angles[-1], 0.025 * 1000 * (pressed - shown) * 0.9)
        self.assertLess(angles[-1], 0.025 * 1000 * (ended - program.started))
        # The 5 ms timer keeps frames coming between events, not just on them.
        self.assertGreater(len(frames), 2 * len(reshapes) + 20)


if __name__ == "__main__":
    unittest.main()
