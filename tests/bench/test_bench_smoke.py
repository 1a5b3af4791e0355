"""A quick run of the benchmark, so that it cannot rot: one two-second start of
each program and no callgrind run. The table comes out with every figure that
such a run gives present and plausible for both programs, the others marked
n/a, and the plot is written. No speed or memory figure is held to a target
here."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

BENCH = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench",
                     "run_bench.py")
ROWS = 12
# What only the cold starts and the callgrind run give.
NOT_MEASURED = ("first-frame latency, empty shader cache",
                "peak resident memory, empty shader cache",
                "heap allocations per frame, own code",
                "own instructions per frame")


def value(cell):
    """The number in a cell such as '1,234.5 ms'."""
    match = re.fullmatch(r"(-?[\d,]+(?:\.\d+)?)(?: (ms|MB))?", cell)
    if match is None:
        raise AssertionError(f"not a figure: {cell!r}")
    return float(match.group(1).replace(",", ""))


def parse_table(output):
    rows = {}
    for line in output.splitlines():
        cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
        if line.startswith("| ") and cells[0] != "figure":
            rows[cells[0]] = cells[1:]
    return rows


class BenchSmoke(unittest.TestCase):
    def test_table_and_plot(self):
        for tool in ("gnuplot", "Xvfb", "openbox"):
            if shutil.which(tool) is None:
                raise unittest.SkipTest(f"{tool} is not installed")
        command = [sys.executable, BENCH, "--seconds", "2", "--quick",
                   "--build", os.environ["SORVANE_BUILD_DIR"]]
        with tempfile.TemporaryDirectory() as out:
            result = subprocess.run(command + ["--out", out], capture_output=True, text=True,
                                    timeout=120, check=False)
            # CTest shows this only when the test fails.
            print(result.stdout)
            self.assertEqual(result.returncode, 0, result.stderr)
            with open(os.path.join(out, "frame-times.png"), "rb") as image:
                self.assertEqual(image.read(8), b"\x89PNG\r\n\x1a\n")

        rows = parse_table(result.stdout)
        self.assertEqual(len(rows), ROWS, result.stdout)
        figures = {}
        for label, cells in rows.items():
            self.assertEqual(len(cells), 2, label)
            if label.startswith(NOT_MEASURED):
                self.assertEqual(cells, ["n/a", "n/a"], label)
            else:
                figures[label] = [value(cell) for cell in cells]

        def row(prefix):
            return next(pair for label, pair in figures.items() if label.startswith(prefix))

        for program in (0, 1):
            for prefix in ("frames in the steady state", "first-frame latency",
                           "median draw time", "loop overhead"):
                self.assertGreater(row(prefix)[program], 0, prefix)
            period = row("median frame period")[program]
            self.assertLess(row("median draw time")[program], period)
            self.assertAlmostEqual(row("frames per second")[program], 1000 / period,
                                   delta=10 / period)
            self.assertGreater(row("peak resident memory")[program], 1)
            self.assertGreaterEqual(row("heap allocations per frame, whole process")[program], 0)
        # Loop overhead, peak memory and first-frame latency against the floor's.
        self.assertEqual(len(re.findall(r"^  .*: (met|MISSED)$", result.stdout, re.M)), 3,
                         result.stdout)


if __name__ == "__main__":
    unittest.main()
