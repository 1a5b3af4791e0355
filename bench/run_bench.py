"""Runs sorvane and the floor in turn, each alone in its own Xvfb with openbox,
and prints their figures side by side as a Markdown table.

Every program gets short starts with an empty shader cache (cold starts), the
timed run and more short starts with the cache they filled (warm starts), all
with the frame shim and the allocation counter preloaded, and a run under
callgrind for the instructions it executes itself and
the callers of its allocations. Frame records, profiles and plot data go to
--out, the plot to --out/frame-times.png when gnuplot is installed.

With --quick each program gets the timed run alone, with no other start and no
callgrind run: what only those give is shown as n/a. The test suite's smoke run
uses it, so that the benchmark cannot rot.
"""

import argparse
import collections
from dataclasses import dataclass
import datetime
import os
import re
import shutil
import subprocess
import sys
import time

from callgrind import Profile
from frames import frame_figures, intervals, read_frames
from processes import wait_for
from sorvane import TITLE, VERTEX_COUNT, Sorvane, find_window
from xserver import XServer

FLOOR_TITLE = "sorvane floor"
# Frames before this (or a quarter of a short run) are start-up, not steady state.
WARM_UP_S = 1.0
# The callgrind run shrinks the window: what the program executes per frame does
# not depend on its size, and under valgrind the rasteriser would otherwise take
# seconds for every 600 x 600 frame.
CALLGRIND_WINDOW = 64
# Timer frames to profile (what the program executes is the same every frame),
# after a few that let the driver settle at the new size.
CALLGRIND_FRAMES = 20
CALLGRIND_SETTLE_FRAMES = 5
CALLGRIND_TIMEOUT_S = 300
EXIT_TIMEOUT_S = 60
# Starts behind each first-frame figure, cold and warm; the median is reported,
# since one start on a shared machine can stall.
STARTS = 3
# Frames a short start draws before it ends: enough for the compiling to be done.
SHORT_START_FRAMES = 5


def build_outputs(build):
    """sorvane, the floor and the preloads (the allocation counter first) in a
    build tree."""
    bench = os.path.join(build, "bench")
    return (os.path.join(build, "src", "sorvane"), os.path.join(bench, "sorvane_floor"),
            [os.path.realpath(os.path.join(bench, f"libsorvane_{name}.so"))
             for name in ("alloc_count", "frame_shim")])


def resident_by_kind(pid):
    """Resident megabytes of each kind of mapping: the compiler library, the
    driver, other libraries, and anonymous memory (heap, compiled code, stacks)."""
    kinds = {"LLVM": 0, "driver": 0, "other libraries": 0, "anonymous": 0}
    kind = "anonymous"
    with open(f"/proc/{pid}/smaps", encoding="utf-8", errors="replace") as smaps:
        for line in smaps:
            fields = line.split()
            if re.match(r"^[0-9a-f]+-[0-9a-f]+ ", line):
                path = fields[5] if len(fields) > 5 else ""
                if "libLLVM" in path:
                    kind = "LLVM"
                elif "/dri/" in path:
                    kind = "driver"
                elif path.startswith("/"):
                    kind = "other libraries"
                else:
                    kind = "anonymous"
            elif fields[0] == "Rss:":
                kinds[kind] += int(fields[1]) * 1024 / 1e6
    return kinds


@dataclass
class Start:
    """One start: its frames, the end of its steady state, and its peak resident
    memory and resident memory by kind at that end."""
    start_ns: int
    until_ns: int
    frames: list
    peak_rss_mb: float
    resident: dict

    @property
    def first_frame_ms(self):
        return (self.frames[0].swap_end_ns - self.start_ns) / 1e6


def median_start(starts):
    """The start with the median first-frame latency (the upper one of two)."""
    return sorted(starts, key=lambda s: s.first_frame_ms)[len(starts) // 2]


class Program:
    def __init__(self, name, binary, title, timer_callback, output_lines, out):
        self.name, self.binary, self.title = name, os.path.realpath(binary), title
        # The driver keeps the shaders it compiles on disk; a private cache makes
        # the first start a cold one, every time.
        self.shader_cache = os.path.join(out, f"shader-cache-{self.name}")
        # What the program prints: the measuring must add nothing to it.
        self.output_lines = output_lines
        # The demangled name, exact: callgrind's patterns would match LLVM's
        # NamedRegionTimer with a wildcard.
        self.timer_callback = timer_callback
        # The timed run and its figures; then what only the cold starts and the
        # callgrind run give, None (n/a) after a quick run.
        self.timed = self.warm = self.figures = None
        self.cold = self.start_up_instructions = self.start_up_llvm = None
        self.own_instructions = self.own_allocations = None
        self.allocations_by_caller = {}

    def run_once(self, shims, record, wait):
        """One start with the preloads, in a fresh X server, ended with Escape once
        wait(start_ns, run) returns."""
        env = {"LD_PRELOAD": " ".join(shims), "SORVANE_FRAME_RECORD": record,
               "MESA_SHADER_CACHE_DIR": self.shader_cache}
        with XServer() as server:
            start = time.monotonic_ns()
            with Sorvane(server, env=env, binary=self.binary, window=False) as run:
                run.window = find_window(server, run.process, self.title, 30)
                wait(start, run)
                # Activating the window for the key makes focus and configure
                # events: the steady state ends before them.
                until = time.monotonic_ns()
                resident = resident_by_kind(run.process.pid)
                peak = run.resident_kib("VmHWM") * 1024 / 1e6
                printed = run.escape_ok(EXIT_TIMEOUT_S).count("\n")
        if printed != self.output_lines:
            raise AssertionError(f"{self.name} printed {printed} lines, not {self.output_lines}")
        return Start(start, until, read_frames(record), peak, resident)

    def short_start(self, shims, out, cold):
        """A start that ends once SHORT_START_FRAMES frames are drawn. A cold one
        empties the shader cache first, so the driver compiles every shader the
        first frames need."""
        if cold:
            shutil.rmtree(self.shader_cache, ignore_errors=True)
        record = os.path.join(out, f"frames-{self.name}-start.bin")
        return self.run_once(shims, record, lambda *_: wait_for(
            lambda: len(read_frames(record)) >= SHORT_START_FRAMES, 60,
            f"{self.name}'s first frames"))

    def starts(self, seconds, shims, out, quick):
        """The cold starts, the timed run with the shader cache that they filled,
        then warm starts: the timed run is one of the warm starts. Quick: the
        timed run alone."""
        others = 0 if quick else STARTS
        cold = [self.short_start(shims, out, True) for _ in range(others)]
        self.timed = timed = self.run_once(
            shims, os.path.join(out, f"frames-{self.name}.bin"),
            lambda start, _: time.sleep(max(0.0, seconds - (time.monotonic_ns() - start) / 1e9)))
        warm_up = min(WARM_UP_S, seconds / 4)
        self.figures = frame_figures(
            timed.frames, timed.frames[0].swap_end_ns + int(warm_up * 1e9), timed.until_ns)
        warm = [self.short_start(shims, out, False) for _ in range(others - 1)] + [timed]
        self.cold = median_start(cold) if cold else None
        self.warm = median_start(warm)

    def callgrind_run(self, out):
        """Profiles CALLGRIND_FRAMES turns of the main loop, once the window has
        shrunk and the driver has settled. Callgrind writes one profile each time
        the program enters its timer callback, so each numbered profile after the
        first holds exactly one timer frame and the loop's work around it."""
        directory = os.path.join(out, f"callgrind-{self.name}")
        shutil.rmtree(directory, ignore_errors=True)
        os.makedirs(directory)
        base = os.path.join(directory, "profile")
        valgrind = ["valgrind", "--tool=callgrind", "--callgrind-out-file=" + base,
                    "--dump-before=" + self.timer_callback]
        # An empty cache of its own, so that the start-up profile shows the
        # shader compiling that a cold start pays for.
        cache = os.path.join(out, f"shader-cache-{self.name}-callgrind")
        shutil.rmtree(cache, ignore_errors=True)
        with XServer() as server, Sorvane(server, wrapper=valgrind, binary=self.binary,
                                          env={"MESA_SHADER_CACHE_DIR": cache},
                                          window=False) as run:
            run.window = find_window(server, run.process, self.title, CALLGRIND_TIMEOUT_S)
            run.resize(CALLGRIND_WINDOW, CALLGRIND_WINDOW)
            wanted = len(os.listdir(directory)) + CALLGRIND_SETTLE_FRAMES + CALLGRIND_FRAMES
            wait_for(lambda: len(os.listdir(directory)) >= wanted, CALLGRIND_TIMEOUT_S,
                     f"{wanted} profiles of {self.name} under callgrind")
            run.escape_ok(EXIT_TIMEOUT_S)
        # The first profile is the start-up, up to the first timer frame.
        start_up = Profile(f"{base}.1").instructions_by_object()
        self.start_up_instructions = sum(start_up.values())
        self.start_up_llvm = sum(count for name, count in start_up.items() if "LLVM" in name)
        # The profile without a number is the partial turn that Escape ended.
        numbered = sorted(int(name.rpartition(".")[2]) for name in os.listdir(directory)
                          if name != "profile")
        profiles = [Profile(f"{base}.{part}") for part in numbered[-CALLGRIND_FRAMES:]]
        self.own_instructions = sum(
            profile.own_instructions(self.binary) for profile in profiles) / CALLGRIND_FRAMES
        by_caller = sum((profile.allocations_by_caller() for profile in profiles),
                        collections.Counter())
        self.allocations_by_caller = {name: count / CALLGRIND_FRAMES
                                      for name, count in by_caller.items()}
        self.own_allocations = self.allocations_by_caller.get(os.path.basename(self.binary), 0)


def number(value, digits=1, unit=""):
    return "n/a" if value is None else f"{value:,.{digits}f}{unit}"


def table(programs, quick):
    rows = [
        ("first-frame latency, one start" if quick else
         f"first-frame latency, median of {STARTS} starts",
         lambda p: number(p.warm.first_frame_ms, 1, " ms")),
        ("first-frame latency, empty shader cache",
         lambda p: number(p.cold and p.cold.first_frame_ms, 1, " ms")),
        ("frames in the steady state", lambda p: str(p.figures.steady_frames)),
        ("median frame period (swap to swap)", lambda p: number(p.figures.period_ms, 2, " ms")),
        ("frames per second", lambda p: number(1000 / p.figures.period_ms, 1)),
        ("median draw time (clear to end of swap)",
         lambda p: number(p.figures.draw_ms, 2, " ms")),
        ("loop overhead (period minus draw time)",
         lambda p: number(p.figures.overhead_ms, 2, " ms")),
        ("peak resident memory", lambda p: number(p.timed.peak_rss_mb, 1, " MB")),
        ("peak resident memory, empty shader cache",
         lambda p: number(p.cold and p.cold.peak_rss_mb, 1, " MB")),
        ("heap allocations per frame, whole process",
         lambda p: number(p.figures.allocations_per_frame, 1)),
        ("heap allocations per frame, own code", lambda p: number(p.own_allocations, 1)),
        ("own instructions per frame (callgrind)", lambda p: number(p.own_instructions, 0)),
    ]
    lines = [f"| figure | {' | '.join(p.name for p in programs)} |",
             "|---|" + "---:|" * len(programs)]
    for label, cell in rows:
        lines.append(f"| {label} | {' | '.join(cell(p) for p in programs)} |")
    return "\n".join(lines)


def verdict(met):
    return "met" if met else "MISSED"


def targets(program, floor):
    p, f = program.figures, floor.figures
    lines = []
    if program.own_allocations is not None:
        lines.append(f"own heap allocations per frame {program.own_allocations:.1f} "
                     f"(target 0): {verdict(program.own_allocations == 0)}")
    ratio = p.overhead_ms / f.overhead_ms - 1
    lines.append(f"loop overhead {ratio:+.1%} of the floor's (target within 5%): "
                 f"{verdict(abs(ratio) <= 0.05)}")
    # The empty-cache figures come from the cold starts, which a quick run has not.
    cold = [(", empty shader cache", program.cold, floor.cold)] if program.cold else []
    for label, mine, floors in [("", program.timed, floor.timed)] + cold:
        extra = mine.peak_rss_mb - floors.peak_rss_mb
        lines.append(f"peak memory{label} {extra:+.1f} MB over the floor's (target 25 MB): "
                     f"{verdict(extra <= 25)}")
    allowed = 2 * p.draw_ms
    for label, mine, floors in [("", program.warm, floor.warm)] + cold:
        late = mine.first_frame_ms - floors.first_frame_ms
        lines.append(f"first-frame latency{label} {late:+.1f} ms over the floor's (target two "
                     f"draw times, {allowed:.1f} ms): {verdict(late <= allowed)}")
    return lines


def first_frame(start):
    first = start.frames[0]
    return (f"{(first.clear_ns - start.start_ns) / 1e6:.1f} ms to its clear, "
            f"{(first.swap_end_ns - first.clear_ns) / 1e6:.1f} ms drawing it")


def details(programs):
    lines = []
    for p in programs:
        lines.append(f"{p.name}: median first frame {first_frame(p.warm)}" +
                     (f"; empty shader cache {first_frame(p.cold)}" if p.cold else ""))
        if p.start_up_instructions is not None:
            lines.append(f"{p.name}: start-up to the first timer frame under callgrind, empty "
                         f"shader cache: {p.start_up_instructions / 1e6:,.1f} M instructions, "
                         f"{p.start_up_llvm / 1e6:,.1f} M of them in LLVM")
        lines.append(f"{p.name}: resident at the end " +
                     ", ".join(f"{kind} {mb:.1f} MB" for kind, mb in p.timed.resident.items()))
    return lines


def allocation_callers(programs):
    return [f"{p.name}: " + ", ".join(f"{name} {count:.1f}" for name, count in
                                      sorted(p.allocations_by_caller.items(), key=lambda i: -i[1]))
            for p in programs if p.allocations_by_caller]


def plot(programs, out):
    if shutil.which("gnuplot") is None:
        print("gnuplot is not installed: no plot", file=sys.stderr)
        return
    # The script takes each program's data by the program's name.
    data = {p.name: os.path.join(out, f"intervals-{p.name}.dat") for p in programs}
    for p in programs:
        with open(data[p.name], "w", encoding="ascii") as points:
            points.writelines(f"{t:.4f} {ms:.3f}\n" for t, ms in intervals(p.timed.frames))
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "frame-times.gp")
    image = os.path.join(out, "frame-times.png")
    variables = "".join(f"{name}='{path}'; " for name, path in data.items())
    subprocess.run(["gnuplot", "-e", f"{variables}output='{image}'", script], check=True,
                   timeout=60)
    print(f"\nPlot: {image}")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", required=True,
                        help="the build tree with sorvane, the floor and the preloads")
    parser.add_argument("--seconds", type=float, default=10)
    parser.add_argument("--out", required=True)
    parser.add_argument("--quick", action="store_true",
                        help="the timed run alone: no other start, no callgrind")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)

    sorvane, floor, shims = build_outputs(args.build)
    programs = [Program("sorvane", sorvane, TITLE, "onTimer(int)", VERTEX_COUNT, args.out),
                Program("floor", floor, FLOOR_TITLE, "(anonymous namespace)::onTimer(int)", 0,
                        args.out)]
    load = os.getloadavg()[0]
    for p in programs:
        p.starts(args.seconds, shims, args.out, args.quick)
    if not args.quick:
        if shutil.which("valgrind"):
            for p in programs:
                p.callgrind_run(args.out)
        else:
            print("valgrind is not installed: no instruction counts", file=sys.stderr)

    now = datetime.datetime.now().astimezone().strftime("%Y-%m-%d %H:%M %Z")
    print(f"{args.seconds:g} s per program, {os.cpu_count()} CPUs, load average "
          f"{load:.2f} before the runs, {now}\n")
    print(table(programs, args.quick))
    sections = (("Targets", targets(*programs)), ("Start-up and memory", details(programs)),
                ("Heap allocations per turn of the main loop, by calling library "
                 "(callgrind run)", allocation_callers(programs)))
    for title, lines in sections:
        if lines:
            print(f"\n{title}:", *lines, sep="\n  ")
    plot(programs, args.out)


if __name__ == "__main__":
    main()
