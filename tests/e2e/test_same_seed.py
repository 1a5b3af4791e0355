"""The picture is a pure function of the start second."""

import unittest

from harness import Sorvane, XServer, colours, settled_picture

WHITE = b"\xff\xff\xff"


def picture_at(server, stamp):
    return settled_picture(Sorvane(server, clock=stamp))


class SameSeed(unittest.TestCase):
    def test_same_second_same_picture(self):
        with XServer() as server:
            first = picture_at(server, "2026-01-01 00:00:00")
            again = picture_at(server, "2026-01-01 00:00:00")
            other = picture_at(server, "2026-01-01 00:00:01")

        self.assertEqual(first[:2], (600, 600))
        self.assertEqual(first, again)
        self.assertNotEqual(first, other, "another second must give another figure")

        # Translucent layers over white: white shows where the figure does not reach.
        self.assertIn(WHITE, colours(first))


if __name__ == "__main__":
    unittest.main()
