"""Standard output closed, full, or a pipe whose reader is slow: the window
opens, the figure turns and Escape exits 0 all the same."""

import fcntl
import os
import threading
import time
import unittest

from harness import Sorvane, XServer, expected_progress


def turning(program):
    """Whether the picture changes from one moment to the next."""
    first = program.screenshot()
    time.sleep(0.3)
    return program.screenshot() != first


class SlowReader(threading.Thread):
    """Reads a pipe of one page 64 bytes at a time, 20 ms apart: the program's
    11 KB of progress lines take it about 3.5 seconds."""

    def __init__(self):
        super().__init__(daemon=True)
        self.read_end, self.write_end = os.pipe()
        fcntl.fcntl(self.write_end, fcntl.F_SETPIPE_SZ, 4096)
        self.data = b""

    def run(self):
        while chunk := os.read(self.read_end, 64):
            self.data += chunk
            time.sleep(0.02)


class StandardOutput(unittest.TestCase):
    def run_to_escape(self, server, **options):
        with Sorvane(server, **options) as program:
            self.assertTrue(turning(program))
            status, _ = program.escape()
            self.assertEqual(status, 0)

    def test_closed_full_and_slow(self):
        with XServer() as server:
            with self.subTest("closed"):
                self.run_to_escape(server, wrapper=["sh", "-c", 'exec "$0" "$@" >&-'])
            with self.subTest("/dev/full"):
                with open("/dev/full", "wb") as full:
                    self.run_to_escape(server, stdout=full)
            with self.subTest("slow reader"):
                reader = SlowReader()
                reader.start()
                try:
                    self.run_to_escape(server, stdout=reader.write_end)
                finally:
                    os.close(reader.write_end)
                reader.join(30)
                self.assertEqual(reader.data.decode(), expected_progress())


if __name__ == "__main__":
    unittest.main()
