"""Standard output closed, full, or a pipe whose reader is slow: the window
opens and the timer goes on drawing frames all the same. Escape exits 0 where
every line arrived (closed standard output is opened on /dev/null), and 1 with
a message where the lines were lost. Another library's exit handler that
crashes or ends the process loses no line, and never turns lost lines into
success."""

import fcntl
import os
import signal
import threading
import time
import unittest

from sorvane import LOST_OUTPUT, Sorvane, expected_progress
from xserver import XServer


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
        """Waits for the timer to draw frames, then returns the status that
        Escape gives and standard error."""
        with Sorvane(server, count_frames=True, **options) as program:
            program.wait_frames(program.frames() + 10)
            status, _ = program.escape()
            return status, program.read(program.stderr)

    def test_closed_full_and_slow(self):
        with XServer() as server:
            with self.subTest("closed"):
                status, _ = self.run_to_escape(server, wrapper=["sh", "-c", 'exec "$0" "$@" >&-'])
                self.assertEqual(status, 0)
            with self.subTest("/dev/full"), open("/dev/full", "wb") as full:
                status, errors = self.run_to_escape(server, stdout=full)
                self.assertEqual(status, 1)
                self.assertIn(LOST_OUTPUT + "\n", errors)
            fault_library = os.environ["SORVANE_EXIT_FAULT_LIBRARY"]
            for fault, expected in (("crash", -signal.SIGSEGV), ("exit", 0)):
                env = {"LD_PRELOAD": fault_library, "SORVANE_EXIT_FAULT": fault}
                with self.subTest("a library's exit handler", fault=fault), \
                        Sorvane(server, env=env) as program:
                    status, output = program.escape()
                    self.assertEqual((status, output), (expected, expected_progress()))
                with self.subTest("/dev/full, and a library's exit handler", fault=fault), \
                        open("/dev/full", "wb") as full:
                    status, _ = self.run_to_escape(server, stdout=full, env=env)
                    self.assertEqual(status, 1)
            with self.subTest("slow reader"):
                reader = SlowReader()
                reader.start()
                try:
                    status, _ = self.run_to_escape(server, stdout=reader.write_end)
                finally:
                    os.close(reader.write_end)
                self.assertEqual(status, 0)
                reader.join(30)
                self.assertEqual(reader.data.decode(), expected_progress())


if __name__ == "__main__":
    unittest.main()
