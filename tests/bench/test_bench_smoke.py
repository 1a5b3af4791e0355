"""A two-second run of the benchmark, so that it cannot rot: the table comes out
with every figure present and plausible for both programs, and the plot is
written. No speed or memory figure is held to a target here."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

BENCH = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench",
                     "run_bench.py")
INPUTS = {"--sorvane": "SORVANE_BINARY", "--floor": "SORVANE_FLOOR",
          "--frame-shim": "SORVANE_FRAME_SHIM", "--alloc-count": "SORVANE_ALLOC_COUNT"}
ROWS = 12


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
        for tool in ("valgrind", "gnuplot", "Xvfb", "openbox"):
            if shutil.which(tool) is None:
                raise unittest.SkipTest(f"{tool} is not installed")
        command = [sys.executable, BENCH, "--seconds", "2"]
        for option, variable in INPUTS.items():
            command += [option, os.environ[variable]]
        with tempfile.TemporaryDirectory() as out:
            result = subprocess.run(command + ["--out", out], capture_output=True, text=True,
                                    timeout=540, check=False)
            # CTest shows this only when the test fails.
            print(result.stdout)
            self.assertEqual(result.returncode, 0, result.stderr)
            with open(os.path.join(out, "frame-times.png"), "rb") as image:
                self.assertEqual(image.read(8), b"\x89PNG\r\n\x1a\n")

        rows = parse_table(result.stdout)
        self.assertEqual(len(rows), ROWS, result.stdout)
        figures = {label: [value(cell) for cell in cells] for label, cells in rows.items()}
        for label, pair in figures.items():
            self.assertEqual(len(pair), 2, label)

        def row(prefix):
            return next(pair for label, pair in figures.items() if label.startswith(prefix))

        for program in (0, 1):
            period = row("median frame period")[program]
            draw = row("median draw time")[program]
            self.assertGreater(row("frames in the steady state")[program], 0)
            self.assertGreater(row("first-frame latency")[program], 0)
            self.assertGreater(draw, 0)
            self.assertLess(draw, period)
            self.assertGreater(row("loop overhead")[program], 0)
            self.assertAlmostEqual(row("frames per second")[program], 1000 / period,
                                   delta=10 / period)
            self.assertGreater(row("peak resident memory")[program], 1)
            for label in ("heap allocations per frame, whole process",
                          "heap allocations per frame, own code"):
                self.assertGreaterEqual(row(label)[program], 0)
        # 500 vertices a frame, each at least a colour and a position passed on.
        sorvane_own, floor_own = row("own instructions per frame")
        self.assertGreater(sorvane_own, 1000)
        self.assertLess(floor_own, sorvane_own)

        self.assertEqual(len(re.findall(r"^  .*: (met|MISSED)$", result.stdout, re.M)), 6,
                         result.stdout)


if __name__ == "__main__":
    unittest.main()
