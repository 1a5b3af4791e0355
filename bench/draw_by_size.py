"""Draw time and heap allocations per frame of one program at several window
sizes, in one run: what grows with the window's area is pixel work in the
driver, since the program's own work per frame does not depend on the size.

    PYTHONPATH=tests/support python3 bench/draw_by_size.py build/release/src/sorvane
    PYTHONPATH=tests/support python3 bench/draw_by_size.py build/release/bench/sorvane_floor

Run ./scripts/bench first: it builds the preloads this takes from build/release.
The harness it imports lives in tests/support.
"""

import os
import sys
import tempfile
import time

from frames import frame_figures
from run_bench import FLOOR_TITLE, Program, build_outputs
from sorvane import TITLE, VERTEX_COUNT

SIZES = (600, 300, 150, 64)
SETTLE_S = 0.5
MEASURE_S = 3
RELEASE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "build", "release")


def main():
    binary = sys.argv[1]
    name = os.path.basename(binary)
    floor = "floor" in name
    shims = build_outputs(RELEASE)[2]
    spans = []

    def measure(_, run):
        for size in SIZES:
            run.resize(size, size)
            begin = time.monotonic_ns() + int(SETTLE_S * 1e9)
            time.sleep(SETTLE_S + MEASURE_S)
            spans.append((size, begin, time.monotonic_ns()))

    with tempfile.TemporaryDirectory() as out:
        program = Program(name, binary, FLOOR_TITLE if floor else TITLE, None,
                          0 if floor else VERTEX_COUNT, out)
        frames = program.run_once(shims, os.path.join(out, "frames.bin"), measure).frames
    print(f"{name}: window, frames, median draw time, allocations per frame")
    for size, begin, end in spans:
        span = frame_figures(frames, begin, end)
        print(f"{size:4d} x {size:<4d} {span.steady_frames:5d} {span.draw_ms:8.2f} ms "
              f"{span.allocations_per_frame:6.1f}")


if __name__ == "__main__":
    main()
