"""sorvane.exe under Wine draws a picture that is a pure function of the start second."""

import unittest

from harness import XServer
from wine import sorvane_exe, wine_session


def picture_at(server, stamp):
    with sorvane_exe(server, stamp) as program:
        picture = program.settled_screenshot()
        status, _ = program.escape()
        assert status == 0
        return picture


class SameSeed(unittest.TestCase):
    def test_same_second_same_picture(self):
        with XServer() as server, wine_session():
            first = picture_at(server, "2001-09-09 01:46:40")
            again = picture_at(server, "2001-09-09 01:46:40")
            other = picture_at(server, "2001-09-09 01:46:41")
        self.assertEqual(first, again)
        self.assertNotEqual(first, other, "another second must give another figure")


if __name__ == "__main__":
    unittest.main()
