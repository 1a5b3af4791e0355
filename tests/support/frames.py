"""The figures that the frame shim's records give: one record per buffer swap,
with the start of the clear before it, the end of the swap and the process's
heap allocation count at that moment, all in monotonic nanoseconds."""

import bisect
import os
import statistics
import struct
from dataclasses import dataclass


@dataclass
class Frame:
    clear_ns: int
    swap_end_ns: int
    allocations: int


RECORD = struct.Struct("=qqq")


def read_frames(path):
    """The records so far; the program may still be adding to them."""
    count = frame_count(path)
    with open(path, "rb") as records:
        return [Frame(*fields) for fields in RECORD.iter_unpack(records.read(count * RECORD.size))]


def frame_count(path):
    """The number of records so far, found by bisection: the file is mapped at
    its full size, records first and zeros after them."""
    try:
        size = os.path.getsize(path)
    except FileNotFoundError:
        return 0
    with open(path, "rb") as records:
        def unwritten(index):
            records.seek(index * RECORD.size)
            chunk = records.read(RECORD.size)
            return len(chunk) < RECORD.size or RECORD.unpack(chunk)[1] == 0

        return bisect.bisect_left(range(size // RECORD.size), True, key=unwritten)


def last_frame(path):
    """The latest record, or None before the first."""
    count = frame_count(path)
    if count == 0:
        return None
    with open(path, "rb") as records:
        records.seek((count - 1) * RECORD.size)
        return Frame(*RECORD.unpack(records.read(RECORD.size)))


@dataclass
class FrameFigures:
    steady_frames: int
    period_ms: float
    draw_ms: float
    overhead_ms: float
    allocations_per_frame: float


def median_ms(values_ns):
    return statistics.median(values_ns) / 1e6


def frame_figures(frames, steady_from_ns, steady_until_ns):
    """The steady state is the frames whose swap ended between the two times."""
    steady = [f for f in frames if steady_from_ns <= f.swap_end_ns < steady_until_ns]
    if len(steady) < 2:
        raise ValueError(f"only {len(steady)} frames in the steady state")
    pairs = list(zip(steady, steady[1:]))
    return FrameFigures(
        steady_frames=len(steady),
        period_ms=median_ms([b.swap_end_ns - a.swap_end_ns for a, b in pairs]),
        # The frames that end a period, so that each period holds its draw time.
        draw_ms=median_ms([b.swap_end_ns - b.clear_ns for _, b in pairs]),
        # Per frame, period minus draw time is the gap from the end of one swap to
        # the next clear: the timer's wait plus whatever the toolkit does.
        overhead_ms=median_ms([b.clear_ns - a.swap_end_ns for a, b in pairs]),
        allocations_per_frame=(steady[-1].allocations - steady[0].allocations) / len(pairs),
    )


def intervals(frames):
    """(seconds since the first swap, milliseconds since the swap before) per frame."""
    first = frames[0].swap_end_ns
    return [((b.swap_end_ns - first) / 1e9, (b.swap_end_ns - a.swap_end_ns) / 1e6)
            for a, b in zip(frames, frames[1:])]
