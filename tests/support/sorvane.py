"""One run of the real sorvane binary in an XServer, and what it shows."""

import calendar
import contextlib
import glob
import os
import re
import signal
import subprocess
import sys
import tempfile
import time
import unittest

from frames import frame_count, last_frame
from processes import process_stat, wait_for
from xserver import SCREEN, STARTUP_TIMEOUT

TITLE = "Sorvane for Keth (brovask 2001)"
VERTEX_COUNT = 500
LOST_OUTPUT = "sorvane: cannot write standard output: No space left on device"
# The frame that the window manager draws around a window, on each side.
FRAME_EXTENTS = "_NET_FRAME_EXTENTS"
# What AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer print
# first when they find something, in a build that has them.
SANITIZER_REPORT = re.compile(r"ERROR: (?:Address|Leak)Sanitizer|runtime error:")
# How long a window put back from full screen must stay where it is, by the
# frames that the program draws meanwhile, for the way back to count as over:
# longer than GNOME took to answer the program's second request for its place
# with two busy processes beside it (up to 0.44 s).
RESTORE_HOLD_S = 0.8
LIBFAKETIME = next(iter(glob.glob("/usr/lib/*/faketime/libfaketimeMT.so.1")), "")


def program_binary():
    path = os.environ.get("SORVANE_BINARY", "")
    if not os.access(path, os.X_OK):
        raise unittest.SkipTest("SORVANE_BINARY does not name an executable")
    return path


def epoch(stamp):
    """Seconds since the epoch for a UTC 'YYYY-MM-DD hh:mm:ss' stamp."""
    return calendar.timegm(time.strptime(stamp, "%Y-%m-%d %H:%M:%S"))


def find_window(server, process, title=TITLE, timeout=STARTUP_TIMEOUT):
    """The id of the process's visible window with exactly this title, once it
    shows; fails at once if the process ends first. The window is told from
    others with the same title, such as the frame that a window manager draws
    in a client of its own, by its _NET_WM_PID: the process's own, or that of
    a process in the session it leads, as the program is when a wrapper
    started it (see Sorvane)."""
    def owned(window):
        text = server.tool("xprop", "-id", window, "_NET_WM_PID", check=False)
        match = re.search(r"= (\d+)$", text.strip())
        stat = match and process_stat(int(match.group(1)))
        # The process leads its session, so it is in it too.
        return stat is not None and stat[1][3] == str(process.pid)

    def found():
        if process.poll() is not None:
            raise AssertionError(f"{title!r} ended early with status {process.returncode}")
        ids = server.tool("xdotool", "search", "--onlyvisible", "--name",
                          "^" + re.escape(title) + "$", check=False).split()
        return next(filter(owned, ids), None)

    return wait_for(found, timeout, f"the window {title!r}")


class Sorvane:
    """One run of the program inside an XServer.

    clock: a libfaketime stamp. A plain 'YYYY-MM-DD hh:mm:ss' freezes the calendar
    clock there (the toolkit's timers then stop, so only reshape and display
    frames are drawn); with a leading '@' the clock starts there and runs.
    clock_file: a libfaketime timestamp file, read again at every reading of the
    calendar clock, so that a test can move it during the run by rewriting it.
    trace: a path to record every GL call to with apitrace.
    wrapper: a command line that runs the program, such as valgrind's.
    stdout: where standard output goes instead of a file that read() can read.
    count_frames: preload the frame shim (SORVANE_FRAME_SHIM), so that frames()
    and wait_frames() can tell how many frames the program has shown.
    window: whether entering the run waits for the program's window (not for
    runs that must fail to start).
    env: variables added to the program's environment (the loader's and the
    libraries' own, such as LD_PRELOAD; the program reads none), or removed
    where the value is None. SORVANE_PRELOAD in the tests' own environment is
    preloaded into every run (see tests/CMakeLists.txt).
    binary: the program to run, SORVANE_BINARY unless given.

    A sanitizer report on standard error fails the test that ran the program.
    """

    def __init__(self, server, clock=None, clock_file=None, trace=None, args=(), env=None,
                 wrapper=(), stdout=None, window=True, count_frames=False, binary=None):
        self.server = server
        command = [*wrapper, binary or program_binary(), *args]
        if trace:
            command = ["apitrace", "trace", "--output", trace, *command]
        env = dict(server.env, **(env or {}))
        if clock:
            command = ["faketime", "-f", clock, *command]
        if clock_file:
            # Only the calendar clock moves, as when the system time is set; the
            # monotonic clock goes on.
            env.update(LD_PRELOAD=LIBFAKETIME, FAKETIME_TIMESTAMP_FILE=clock_file,
                       FAKETIME_NO_CACHE="1", FAKETIME_DONT_FAKE_MONOTONIC="1")
        if (clock or clock_file) and "ASAN_OPTIONS" in env:
            # With libfaketime loaded beside Mesa's threads, LeakSanitizer's check
            # at exit dies in glibc ("The futex facility returned an unexpected
            # error code"); the runs on the real clock check for leaks.
            env["ASAN_OPTIONS"] += ":detect_leaks=0"
        preloads = [os.environ.get("SORVANE_PRELOAD"), env.get("LD_PRELOAD")]
        self.scratch = self.record = None
        if count_frames:
            shim = os.environ.get("SORVANE_FRAME_SHIM", "")
            if not os.path.isfile(shim):
                raise unittest.SkipTest("SORVANE_FRAME_SHIM does not name the frame shim")
            self.scratch = tempfile.TemporaryDirectory()
            self.record = os.path.join(self.scratch.name, "frames")
            env["SORVANE_FRAME_RECORD"] = self.record
            preloads.append(shim)
        if any(preloads):
            env["LD_PRELOAD"] = " ".join(filter(None, preloads))
        self.stdout = tempfile.TemporaryFile()
        self.stderr = tempfile.TemporaryFile()
        self.started = time.monotonic()
        # A session of its own, so that kill() reaches the program itself and not
        # only the faketime or apitrace process that started it.
        self.process = subprocess.Popen(
            command, env={name: value for name, value in env.items() if value is not None},
            stdout=self.stdout if stdout is None else stdout, stderr=self.stderr,
            start_new_session=True)
        self.window = None
        self.await_window = window

    def __enter__(self):
        if not self.await_window:
            return self
        try:
            self.window = find_window(self.server, self.process)
        except BaseException as error:
            self.kill()
            raise AssertionError(f"{error}; standard error: {self.read(self.stderr)}") from error
        return self

    def __exit__(self, exc_type, *exc):
        self.kill()
        errors = self.read(self.stderr)
        report = SANITIZER_REPORT.search(errors)
        self.stdout.close()
        self.stderr.close()
        if self.scratch:
            self.scratch.cleanup()
        if report:
            # Shown whatever failed first, often the exit status it caused.
            print(errors[report.start():], file=sys.stderr)
            if exc_type is None:
                raise AssertionError(f"sanitizer report from sorvane: {report.group(0)}")

    def alive(self):
        return self.process.poll() is None

    def frames(self):
        """The frames shown so far (needs count_frames)."""
        return frame_count(self.record)

    def check_alive(self):
        if not self.alive():
            raise AssertionError(f"sorvane ended with status {self.process.returncode}")

    def wait_frames(self, total, timeout=STARTUP_TIMEOUT):
        """Waits until the program has shown `total` frames in all, and returns
        the count then."""
        def shown():
            self.check_alive()
            count = self.frames()
            return count if count >= total else None

        return wait_for(shown, timeout, lambda: f"frame {total}, last {self.frames()}")

    def begun(self, since_ns):
        """Whether the program has begun a frame at or after this monotonic time
        (needs count_frames)."""
        self.check_alive()
        frame = last_frame(self.record)
        return frame is not None and frame.clear_ns >= since_ns

    def resident_kib(self, field="VmRSS"):
        """The program's resident memory in KiB: now (VmRSS), or at its peak
        (VmHWM)."""
        with open(f"/proc/{self.process.pid}/status") as status:
            for line in status:
                if line.startswith(field + ":"):
                    return int(line.split()[1])
        raise AssertionError(f"no {field} for the program")

    def kill(self):
        with contextlib.suppress(ProcessLookupError):
            os.killpg(self.process.pid, signal.SIGKILL)
        self.process.wait()

    def activate(self):
        # Activation goes through the window manager; without one, focus is set.
        self.server.tool("xdotool", "windowactivate" if self.server.desktop else "windowfocus",
                         "--sync", self.window)

    def keys(self, *names):
        """Real key presses through XTest, to the activated window; or synthetic
        ones sent to the window, where the desktop ignores XTest's."""
        if self.server.desktop and self.server.desktop.synthetic_keys:
            try:
                self.server.tool("xdotool", "key", "--window", self.window, "--delay", "30",
                                 *names)
            except AssertionError:
                # A key that ends the program leaves its release no window to go to.
                if not wait_for(lambda: not self.alive(), 5, "sorvane to end", fail=False):
                    raise
            return
        self.activate()
        self.server.tool("xdotool", "key", "--delay", "30", *names)

    def pointer(self, *actions):
        """xdotool pointer actions, with coordinates relative to the window."""
        self.server.tool("xdotool", "mousemove", "--sync", "--window", self.window, "10", "10",
                         *actions)

    def geometry(self, window=None):
        """The client area's (x, y, width, height) on the screen, or another
        window's."""
        info = self.server.tool("xwininfo", "-id", window or self.window)
        keys = ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")
        return tuple(int(re.search(rf"{key}:\s+(-?\d+)", info).group(1)) for key in keys)

    def wait_placed(self, timeout=10):
        """Waits for a desktop that places windows itself to move the window's
        frame (its parent) from the screen's corner, where it made it."""
        tree = self.server.tool("xwininfo", "-tree", "-id", self.window)
        frame = re.search(r"Parent window id: (0x[0-9a-f]+)", tree).group(1)
        wait_for(lambda: self.geometry(frame)[:2] != (0, 0), timeout,
                 lambda: f"the window to be placed, its frame at {self.geometry(frame)}")

    def wait_geometry(self, expected, timeout=10):
        """Waits for the window's (x, y, width, height), or its (width, height)
        alone."""
        return wait_for(lambda: self.geometry()[-len(expected):] == expected, timeout,
                        lambda: f"window geometry {expected}, last {self.geometry()}")

    def resize(self, width, height):
        self.server.tool("xdotool", "windowsize", "--sync", self.window, str(width), str(height))
        self.wait_geometry(self.geometry()[:2] + (width, height))

    def move(self, x, y):
        self.server.tool("xdotool", "windowmove", "--sync", self.window, str(x), str(y))
        self.wait_geometry((x, y) + self.geometry()[2:])

    def screenshot(self):
        """The window's pixels as (width, height, RGB bytes), a byte a channel."""
        data = subprocess.run(["import", "-window", self.window, "-depth", "8", "ppm:-"],
                              env=self.server.env, capture_output=True, timeout=30,
                              check=True).stdout
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
        width, height = int(header.group(1)), int(header.group(2))
        return width, height, data[header.end():]

    def settled_screenshot(self, timeout=20, unlike=None):
        """A screenshot once the figure is on screen and has stopped changing, as it
        does under a frozen clock once the reshape and display frames are drawn;
        with `unlike`, once it is another picture than that one."""
        last = [None]

        def steady():
            shot = self.screenshot()
            done = shot == last[0] and shot != unlike and len(colours(shot)) > 1000
            last[0] = shot
            return shot if done else None

        return wait_for(steady, timeout, "a steady picture")

    def check_ignored_input(self, keys):
        """Sends the keys given, then clicks, a drag, pointer motion and a wheel
        turn, and checks that the program ignored them all: still running, its
        window and its picture, settled before, as they were."""
        before = self.geometry(), self.screenshot()
        self.keys(*keys)
        self.pointer("click", "1", "click", "3", "mousedown", "1",
                     "mousemove_relative", "--sync", "120", "90", "mouseup", "1",
                     "mousemove_relative", "--sync", "200", "150", "click", "4")
        self.check_alive()
        if (self.geometry(), self.screenshot()) != before:
            raise AssertionError("ignored input changed the window or the picture")

    def full_screen_round_trip(self, windowed=None, timeout=10):
        """F11 twice: the window must fill the screen, then come back to
        `windowed` (x, y, width, height), by default the geometry it had, with
        the frame it had. Where the run counts frames, that must be where it
        settles: where it stays for RESTORE_HOLD_S of the program's frames.
        Each step must come within timeout seconds."""
        windowed = windowed or self.geometry()
        frame = self.properties(FRAME_EXTENTS)
        desktop = self.server.desktop
        self.keys("F11")
        self.wait_geometry((desktop.full_screen_origin if desktop else (0, 0)) + SCREEN, timeout)
        if frame:
            # Full screen is over for the window manager once it has taken the
            # frame away too, its last step there (GNOME's); an F11 before that
            # can come while it is still on its way.
            wait_for(lambda: self.properties(FRAME_EXTENTS) != frame, timeout,
                     f"the window manager to take the frame {frame} away")
        self.keys("F11")
        if not self.record:
            wait_for(lambda: self.placement() == (windowed, frame), timeout,
                     lambda: f"window geometry {windowed} with the frame {frame}, last "
                     f"{self.placement()}")
            return
        # Back once the window manager has given the window its frame back too
        # (GNOME puts it back without it first, and then moves it to make
        # room), and the window has stayed put while the program drew frames.
        last = [None, 0]

        def settled():
            placement = self.placement()
            if placement != last[0]:
                last[:] = placement, time.monotonic_ns()
                return None
            return placement[1] == frame and self.begun(last[1] + RESTORE_HOLD_S * 1e9)

        wait_for(settled, timeout, lambda: f"the window to settle with the frame {frame}, "
                 f"last {last[0]}")
        if last[0][0] != windowed:
            raise AssertionError(f"window geometry {last[0][0]} after F11 there and back, "
                                 f"not {windowed}")

    def placement(self):
        """The window's geometry and its frame, as the window manager says."""
        return self.geometry(), self.properties(FRAME_EXTENTS)

    def hold_geometry(self, expected, seconds):
        """Checks that the window is still at `expected` (x, y, width, height)
        by a frame begun this many seconds from now (needs count_frames)."""
        until = time.monotonic_ns() + seconds * 1e9
        wait_for(lambda: self.begun(until), STARTUP_TIMEOUT, f"a frame begun {seconds} s on")
        if self.geometry() != expected:
            raise AssertionError(f"window geometry {self.geometry()} {seconds} s after it was "
                                 f"{expected}")

    def escape(self, timeout=20):
        """Presses Escape and returns (exit status, standard output)."""
        self.keys("Escape")
        return self.process.wait(timeout), self.read(self.stdout)

    def escape_ok(self, timeout=20):
        """Presses Escape, which must end the run with status 0, and returns
        standard output."""
        status, output = self.escape(timeout)
        if status != 0:
            raise AssertionError(f"exit status {status} after Escape")
        return output

    def close(self, timeout=20):
        """Asks the window manager to close the window, as its close button
        does, and returns (exit status, standard output)."""
        self.server.tool("wmctrl", "-i", "-c", self.window)
        return self.process.wait(timeout), self.read(self.stdout)

    def properties(self, *names):
        """The window's properties by name, each as (type, value) the way xprop
        writes them (numbers in decimal); None until all of them are set."""
        text = self.server.tool("xprop", "-id", self.window, *names)
        found = {}
        for name in names:
            match = re.search(rf"^{name}\(([^)]*)\) = (.*)$", text, re.MULTILINE)
            if not match:
                return None
            found[name] = match.groups()
        return found

    @staticmethod
    def read(stream):
        stream.seek(0)
        return stream.read().decode(errors="replace")


def colours(screenshot):
    pixels = screenshot[2]
    return {pixels[i:i + 3] for i in range(0, len(pixels), 3)}


def settled_picture(run):
    """Enters a run, takes its picture once settled (under a frozen clock) and
    ends it with Escape, which must give status 0."""
    with run as program:
        picture = program.settled_screenshot()
        program.escape_ok()
    return picture


def expected_progress(line_end="\n"):
    """The standard output of a whole run; line_end as the C runtime writes it."""
    return "".join(f"generating vertex {i}{line_end}" for i in range(VERTEX_COUNT))
