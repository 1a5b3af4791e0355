"""sorvane.exe under Wine draws a picture that is a pure function of the start second."""

import unittest

from harness import XServer, settled_picture
from wine import sorvane_exe, wine_session


class SameSeed(unittest.TestCase):
    def test_same_second_same_picture(self):
        with XServer() as server, wine_session(server):
            first = settled_picture(sorvane_exe(server, "2001-09-09 01:46:40"))
            again = settled_picture(sorvane_exe(server, "2001-09-09 01:46:40"))
            other = settled_picture(sorvane_exe(server, "2001-09-09 01:46:41"))
        self.assertEqual(first, again)
        self.assertNotEqual(first, other, "another second must give another figure")


if __name__ == "__main__":
    unittest.main()
