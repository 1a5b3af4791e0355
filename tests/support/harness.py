"""Drives the real sorvane binary in a private X server.

Each test gets its own Xvfb on a display number the server picks itself
(-displayfd), so runs never collide, plus openbox where a window manager
matters (activation for key input, real full screen).
"""

import calendar
import glob
import os
import re
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

from frames import frame_count

TITLE = "Sorvane for Keth (brovask 2001)"
VERTEX_COUNT = 500
SCREEN = (1280, 1024)
# Generous, since waits end as soon as their condition holds: the very first start
# on a fresh, loaded machine (caches cold, libraries read from disk) took over 20 s.
STARTUP_TIMEOUT = 60
# What AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer print
# first when they find something, in a build that has them.
SANITIZER_REPORT = re.compile(r"ERROR: (?:Address|Leak)Sanitizer|runtime error:")
LIBFAKETIME = next(iter(glob.glob("/usr/lib/*/faketime/libfaketimeMT.so.1")), "")


def program_binary():
    path = os.environ.get("SORVANE_BINARY", "")
    if not os.access(path, os.X_OK):
        raise unittest.SkipTest("SORVANE_BINARY does not name an executable")
    return path


def epoch(stamp):
    """Seconds since the epoch for a UTC 'YYYY-MM-DD hh:mm:ss' stamp."""
    return calendar.timegm(time.strptime(stamp, "%Y-%m-%d %H:%M:%S"))


def wait_for(predicate, timeout, what):
    """Polls predicate until it returns something true, and returns that. what
    names the condition in the failure; a callable is asked only then, so that
    it can tell the state at the end."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        result = predicate()
        if result:
            return result
        time.sleep(0.02)
    raise AssertionError(f"timed out waiting for {what() if callable(what) else what}")


def find_window(server, process, title=TITLE, timeout=STARTUP_TIMEOUT):
    """The id of the process's visible window with exactly this title, once it
    shows; fails at once if the process ends first."""
    def found():
        if process.poll() is not None:
            raise AssertionError(f"{title!r} ended early with status {process.returncode}")
        ids = server.tool("xdotool", "search", "--onlyvisible", "--name",
                          "^" + re.escape(title) + "$", check=False).split()
        return ids[0] if ids else None

    return wait_for(found, timeout, f"the window {title!r}")


class XServer:
    """An Xvfb of its own, optionally with openbox managing its windows."""

    def __init__(self, window_manager=True):
        self.window_manager = window_manager
        self.processes = []
        self.env = None
        self.wm_log = None
        self.cache = None

    def __enter__(self):
        for tool in ("Xvfb", "xdotool", "xwininfo"):
            if shutil.which(tool) is None:
                raise unittest.SkipTest(f"{tool} is not installed")
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             f"{SCREEN[0]}x{SCREEN[1]}x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        self.processes.append(xvfb)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            self.__exit__(None, None, None)
            raise AssertionError("Xvfb did not report a display")
        # Mesa's shader cache and openbox's log go to a cache folder of the
        # server's own, not the home folder's.
        self.cache = tempfile.TemporaryDirectory()
        self.env = dict(os.environ, DISPLAY=f":{number}", TZ="UTC",
                        XDG_CACHE_HOME=self.cache.name)
        try:
            wait_for(self.reachable, STARTUP_TIMEOUT, f"display :{number} to accept clients")
            if self.window_manager:
                self.start_window_manager()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def reachable(self):
        return subprocess.run(["xprop", "-root", "-len", "0"], env=self.env,
                              capture_output=True, timeout=30, check=False).returncode == 0

    def start_window_manager(self):
        log = self.wm_log = tempfile.TemporaryFile()
        # openbox runs its --startup command once it has taken over the screen and
        # adopted the windows already there. A window mapped earlier, while it is
        # still starting (slow on a machine's very first run, with its caches
        # cold), can be lost: never adopted, never shown. So wait for that.
        ready = tempfile.NamedTemporaryFile(delete=False)
        ready.close()
        os.unlink(ready.name)
        openbox = subprocess.Popen(
            ["openbox", "--sm-disable", "--startup", f"touch {shlex.quote(ready.name)}"],
            env=self.env, stdout=log, stderr=log)
        self.processes.append(openbox)

        def managing():
            if openbox.poll() is not None:
                log.seek(0)
                raise AssertionError(f"openbox ended with status {openbox.returncode}: "
                                     f"{log.read().decode(errors='replace')}")
            return os.path.exists(ready.name)

        try:
            wait_for(managing, STARTUP_TIMEOUT, "openbox to manage the screen")
        finally:
            if os.path.exists(ready.name):
                os.unlink(ready.name)

    def __exit__(self, *exc):
        for process in reversed(self.processes):
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        if self.wm_log:
            self.wm_log.close()
        if self.cache:
            self.cache.cleanup()

    def tool(self, *args, check=True):
        result = subprocess.run(args, env=self.env, capture_output=True, text=True,
                                timeout=30, check=False)
        if check and result.returncode != 0:
            raise AssertionError(f"{args} failed: {result.stderr.strip()}")
        return result.stdout


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

    def wait_frames(self, total, timeout=STARTUP_TIMEOUT):
        """Waits until the program has shown `total` frames in all, and returns
        the count then."""
        def shown():
            if not self.alive():
                raise AssertionError(f"sorvane ended with status {self.process.returncode}")
            count = self.frames()
            return count if count >= total else None

        return wait_for(shown, timeout, lambda: f"frame {total}, last {self.frames()}")

    def resident_kib(self):
        """The program's resident memory (VmRSS) in KiB."""
        with open(f"/proc/{self.process.pid}/status") as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
        raise AssertionError("no VmRSS for the program")

    def kill(self):
        try:
            os.killpg(self.process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.process.wait()

    def activate(self):
        if self.server.window_manager:
            self.server.tool("xdotool", "windowactivate", "--sync", self.window)
        else:
            self.server.tool("xdotool", "windowfocus", "--sync", self.window)

    def keys(self, *names):
        """Real key presses through XTest, to the activated window."""
        self.activate()
        self.server.tool("xdotool", "key", "--delay", "30", *names)

    def pointer(self, *actions):
        """xdotool pointer actions, with coordinates relative to the window."""
        self.server.tool("xdotool", "mousemove", "--sync", "--window", self.window, "10", "10",
                         *actions)

    def geometry(self):
        """The client area's (x, y, width, height) on the screen."""
        info = self.server.tool("xwininfo", "-id", self.window)
        fields = {}
        for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"):
            fields[key] = int(re.search(rf"{key}:\s+(-?\d+)", info).group(1))
        return tuple(fields.values())

    def wait_geometry(self, expected, timeout=10):
        return wait_for(lambda: self.geometry() == expected, timeout,
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

    def settled_screenshot(self):
        """A screenshot once the figure is on screen and has stopped changing, as it
        does under a frozen clock once the reshape and display frames are drawn."""
        last = [None]

        def steady():
            shot = self.screenshot()
            done = shot == last[0] and len(colours(shot)) > 1000
            last[0] = shot
            return shot if done else None

        return wait_for(steady, 20, "a steady picture")

    def check_ignored_input(self, keys):
        """Sends the keys given, then clicks, a drag, pointer motion and a wheel
        turn, and checks that the program ignored them all: still running, its
        window and its picture, settled before, as they were."""
        before = self.geometry(), self.screenshot()
        self.keys(*keys)
        self.pointer("click", "1", "click", "3", "mousedown", "1",
                     "mousemove_relative", "--sync", "120", "90", "mouseup", "1",
                     "mousemove_relative", "--sync", "200", "150", "click", "4")
        if not self.alive():
            raise AssertionError(f"sorvane ended with status {self.process.returncode}")
        if (self.geometry(), self.screenshot()) != before:
            raise AssertionError("ignored input changed the window or the picture")

    def full_screen_round_trip(self):
        """F11 twice: the window must fill the screen, then come back to the
        position and size it had."""
        windowed = self.geometry()
        self.keys("F11")
        self.wait_geometry((0, 0) + SCREEN)
        self.keys("F11")
        self.wait_geometry(windowed)

    def escape(self, timeout=20):
        """Presses Escape and returns (exit status, standard output)."""
        self.keys("Escape")
        status = self.process.wait(timeout)
        return status, self.read(self.stdout)

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
        status, _ = program.escape()
    if status != 0:
        raise AssertionError(f"exit status {status} after Escape")
    return picture


def expected_progress(line_end="\n"):
    """The standard output of a whole run; line_end as the C runtime writes it."""
    return "".join(f"generating vertex {i}{line_end}" for i in range(VERTEX_COUNT))
