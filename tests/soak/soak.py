"""Runs sorvane for a given number of minutes under steady input and reports its
resident memory and the frames it has shown, once a minute.

Frames are counted by the frame shim, preloaded through the harness, which
costs a record per frame; memory is VmRSS from /proc. Input every few seconds:
ignored keys, pointer motion, clicks and drags, and every half minute a resize.
Not part of the test suite.

usage: soak.py MINUTES, with SORVANE_BINARY and SORVANE_FRAME_SHIM set
"""

import sys
import time

from sorvane import Sorvane, expected_progress
from xserver import XServer

INPUT_INTERVAL_S = 3
RESIZE_EVERY = 10  # input rounds
SAMPLE_INTERVAL_S = 60
SIZES = [(600, 600), (800, 500), (300, 700), (1000, 900)]


def report(elapsed, rss, count, rate):
    print(f"{elapsed / 60:7.1f} min  {rss:8d} KiB  {count:10d} frames  {rate:6.1f} frames/s",
          flush=True)


def main():
    minutes = float(sys.argv[1])
    with XServer() as server, Sorvane(server, count_frames=True) as program:
        start = last_time = time.monotonic()
        last_count = program.frames()
        first_rss = program.resident_kib()
        print(f"sorvane pid {program.process.pid}, soaking for {minutes:g} min", flush=True)
        report(0, first_rss, last_count, 0.0)
        end = start + minutes * 60
        next_sample = start + SAMPLE_INTERVAL_S
        rounds = 0
        while time.monotonic() < end:
            rounds += 1
            program.keys("a", "q", "Return", "Left", "F5")
            program.pointer("mousemove_relative", "50", "40", "click", "1",
                            "mousedown", "1", "mousemove_relative", "80", "60",
                            "mouseup", "1", "click", "3")
            if rounds % RESIZE_EVERY == 0:
                program.resize(*SIZES[(rounds // RESIZE_EVERY) % len(SIZES)])
            time.sleep(INPUT_INTERVAL_S)
            now = time.monotonic()
            if now >= next_sample or now >= end:
                count = program.frames()
                report(now - start, program.resident_kib(), count,
                       (count - last_count) / (now - last_time))
                last_time, last_count = now, count
                next_sample += SAMPLE_INTERVAL_S
        last_rss = program.resident_kib()
        total = program.frames()
        elapsed = time.monotonic() - start
        status, output = program.escape()
    print(f"soaked {elapsed / 60:.1f} min: {rounds} input rounds, {total} frames "
          f"({total / elapsed:.1f} frames/s), resident memory {first_rss} KiB at start, "
          f"{last_rss} KiB at end; exit status {status}, "
          f"progress lines {'complete' if output == expected_progress() else 'WRONG'}",
          flush=True)
    return 0 if status == 0 and output == expected_progress() else 1


if __name__ == "__main__":
    sys.exit(main())
