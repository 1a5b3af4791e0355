"""Drives the real sorvane binary in a private X server.

Each test gets its own Xvfb on a display number the server picks itself
(-displayfd), so runs never collide, plus openbox where a window manager
matters (activation for key input, real full screen). Another desktop from
DESKTOPS can take openbox's place: a window manager on the Xvfb, or a Wayland
compositor with the Xwayland it starts, on a display number it picks and
announces.
"""

import calendar
import contextlib
import dataclasses
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

from frames import frame_count, last_frame

TITLE = "Sorvane for Keth (brovask 2001)"
VERTEX_COUNT = 500
SCREEN = (1280, 1024)
# The frame that the window manager draws around a window, on each side.
FRAME_EXTENTS = "_NET_FRAME_EXTENTS"
# Generous, since waits end as soon as their condition holds: the very first start
# on a fresh, loaded machine (caches cold, libraries read from disk) took over 20 s.
STARTUP_TIMEOUT = 60
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


@contextlib.contextmanager
def busy(count=2):
    """Keeps the CPU busy, as a build beside the program would: this many shell
    loops that never wait, for as long as the block runs."""
    loops = [subprocess.Popen(["sh", "-c", "while :; do :; done"], start_new_session=True)
             for _ in range(count)]
    try:
        yield
    finally:
        for loop in loops:
            loop.kill()
            loop.wait()


def wait_for(predicate, timeout, what, fail=True):
    """Polls predicate until it returns something true, and returns that. what
    names the condition in the failure; a callable is asked only then, so that
    it can tell the state at the end. With fail=False a timeout returns the
    last result instead."""
    deadline = time.monotonic() + timeout
    result = None
    while time.monotonic() < deadline:
        result = predicate()
        if result:
            return result
        time.sleep(0.02)
    if not fail:
        return result
    raise AssertionError(f"timed out waiting for {what() if callable(what) else what}")


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
        if not match:
            return False
        pid = int(match.group(1))
        stat = process_stat(pid)
        return pid == process.pid or (stat is not None and stat[1][3] == str(process.pid))

    def found():
        if process.poll() is not None:
            raise AssertionError(f"{title!r} ended early with status {process.returncode}")
        ids = server.tool("xdotool", "search", "--onlyvisible", "--name",
                          "^" + re.escape(title) + "$", check=False).split()
        return next(filter(owned, ids), None)

    return wait_for(found, timeout, f"the window {title!r}")


@dataclasses.dataclass(frozen=True)
class Desktop:
    """A window manager, or a Wayland compositor with its Xwayland, that the
    program's window can run under.

    command: how it starts; "{ready}" in it names a file that it creates once it
    manages the screen. Every desktop is ready once the root window names its
    window manager (_NET_SUPPORTING_WM_CHECK), and after that file if it has one.
    announces: a pattern for the line in which a compositor announces the
    number of the X display it has opened (it picks one itself); None for a
    window manager, which manages an Xvfb of the harness's own.
    session_bus: whether it runs under a D-Bus session bus of its own.
    copy: whether to run a copy of the executable rather than the installed one,
    which drops a file capability that the sandboxes it is tested in may refuse
    to honour.
    xauthority: a pattern, in the desktop's XDG_RUNTIME_DIR, for the authority
    file that its X server asks clients for.
    settings: files that it reads its settings from, as pairs of a path in
    its home's .config and the text to write there.
    synthetic_keys: whether keys must go to the window as synthetic events,
    since the X server ignores XTest's.
    places_windows: whether it ignores the position that a client asks for,
    so that neither the program nor a tool can move the window. It makes the
    window's frame at a place of its own and may move it once its compositor
    shows the window (see Sorvane.wait_placed).
    full_screen_origin: where the X server says a full-screen window is.
    restore_shift: how far from its place before full screen it puts a window
    back, whatever the window asks for.
    under_load: whether the round trips are tried again with busy processes
    beside the program (see busy).
    closes: whether it closes a window when another client asks it to
    (_NET_CLOSE_WINDOW), as it does for its own close button.
    absent: why the installed version has no such desktop at all, as GNOME
    has no X11 session from 50 on; None where it has.
    version: a command that prints the desktop's version, for since.
    since: the fields above that differ from some version on, as pairs of the
    version's first number and the fields' values, oldest first.
    """

    name: str
    command: tuple
    announces: str = None
    session_bus: bool = False
    copy: bool = False
    xauthority: str = None
    settings: tuple = ()
    synthetic_keys: bool = False
    places_windows: bool = False
    full_screen_origin: tuple = (0, 0)
    restore_shift: tuple = (0, 0)
    under_load: bool = False
    closes: bool = True
    absent: str = None
    version: tuple = None
    since: tuple = ()

    def installed(self):
        """The desktop with the fields of the version installed here."""
        if not self.since:
            return self
        text = subprocess.run(self.version, capture_output=True, text=True, timeout=30,
                              check=True).stdout
        major = int(re.search(r"(\d+)\.\d+", text).group(1))
        desktop = self
        for first, fields in self.since:
            if major >= first:
                desktop = dataclasses.replace(desktop, **fields)
        return desktop


def mutter_wayland(name, monitors):
    """GNOME's Wayland session on this many monitors of SCREEN's size, side by
    side: a window goes full screen on the one it is on. mutter 50 has no
    session manager to leave, nor the option that left it."""
    command = ("mutter", "--wayland", "--headless",
               *[f"--virtual-monitor={SCREEN[0]}x{SCREEN[1]}"] * monitors,
               "--wayland-display=wayland-sorvane")
    return Desktop(name, (*command, "--sm-disable"),
                   announces=r"Using public X11 display :(\d+)", session_bus=True,
                   xauthority=".mutter-Xwaylandauth.*", version=("mutter", "--version"),
                   since=((48, {"under_load": True}),
                          (50, {"command": command})))


# The desktops that Linux users run, by their window manager or compositor:
# LXDE's, XFCE's, GNOME's and KDE's on X11, then GNOME's, KDE's and the
# reference compositor under Wayland, where X11 programs run through Xwayland.
# A screen of SCREEN's size everywhere.
DESKTOPS = {desktop.name: desktop for desktop in (
    # openbox runs its --startup command once it has taken over the screen and
    # adopted the windows already there. A window mapped earlier, while it is
    # still starting (slow on a machine's very first run, with its caches
    # cold), can be lost: never adopted, never shown. So wait for that too.
    # Its own key bindings are left out, so that every key a test presses
    # reaches the program: openbox as Debian testing has it (3.6.1-12, with
    # that release's keyboard map in the Xvfb) takes a plain F4 for its
    # Alt+F4 and closes the window. Full screen and activation need none.
    Desktop("openbox", ("openbox", "--sm-disable", "--startup", "touch {ready}"),
            settings=(("openbox/rc.xml",
                       '<openbox_config xmlns="http://openbox.org/3.4/rc">'
                       "<keyboard/></openbox_config>\n"),)),
    # xfwm4 would start a session bus of its own through X11, outside the
    # process group that the harness ends.
    Desktop("xfwm4", ("xfwm4",), session_bus=True),
    Desktop("mutter", ("mutter", "--x11", "--sm-disable"), session_bus=True,
            version=("mutter", "--version"),
            since=((48, {"under_load": True}),
                   (50, {"absent": "mutter 50 has no X11 session"}))),
    # Breeze (kwin-style-breeze) draws KWin's frames; without it there are none.
    # KWin tells its version only once it has a display to run on, so the
    # package tells it.
    Desktop("kwin_x11", ("kwin_x11",), session_bus=True,
            version=("dpkg-query", "--show", "--showformat=${Version}", "kwin-x11"),
            since=((6, {"under_load": True}),)),
    mutter_wayland("mutter --wayland", 1),
    mutter_wayland("mutter --wayland, two monitors", 2),
    # kwin_wayland runs the program it is given once Xwayland is up, with
    # DISPLAY set, and passes on its output: that line is the announcement.
    # The installed executable carries cap_sys_resource.
    # From KWin 6.1 on, Xwayland hands XTest's keys and pointer to KWin as
    # input emulation (libei), and KWin lets them through only once the user
    # allows it, by a prompt that no one here can answer or, as here, by the
    # setting behind System Settings' "Legacy X11 App Support", "Allow
    # controlling the pointer and keyboard without asking for permission".
    # KWin 6.7 asks; before, it let them through. They then reach the window
    # as KWin's own input, as a keyboard's do.
    Desktop("kwin_wayland",
            ("kwin_wayland", "--virtual", "--xwayland", "--socket", "wayland-sorvane",
             "--width", str(SCREEN[0]), "--height", str(SCREEN[1]), "--no-lockscreen",
             "--no-global-shortcuts", "sh -c 'echo X11 display $DISPLAY'"),
            announces=r"X11 display :(\d+)", session_bus=True, copy=True,
            settings=(("kwinrc", "[Xwayland]\nXwaylandEisNoPrompt=true\n"),),
            version=("dpkg-query", "--show", "--showformat=${Version}", "kwin-wayland"),
            since=((6, {"under_load": True}),)),
    # weston's X window manager takes a client's ConfigureRequest for its size
    # alone and places the window itself. In weston 10 it makes the frame at
    # the screen's corner and moves it to its place once shown. Leaving full
    # screen, its shell puts the frame back where it was and then moves it
    # again by the change in the frame's geometry: its 32-pixel shadow margin,
    # up and to the left. weston 14 keeps every frame where it made it, at
    # (-33, -33), whatever the window's place on the screen: to X a
    # full-screen window is there, and leaving full screen puts it back
    # exactly.
    # Only its own frame's button or binding closes a window.
    Desktop("weston",
            ("weston", "--backend=headless-backend.so", "--use-pixman", "--xwayland",
             "--socket=wayland-sorvane", f"--width={SCREEN[0]}", f"--height={SCREEN[1]}",
             "--idle-time=0"),
            announces=r"xserver listening on display :(\d+)", synthetic_keys=True,
            places_windows=True, restore_shift=(-32, -32), closes=False,
            version=("weston", "--version"),
            since=((14, {"full_screen_origin": (-33, -33), "restore_shift": (0, 0)}),)),
)}


class XServer:
    """An X server of its own for a test: an Xvfb, with openbox managing its
    windows, with none (window_manager=False), or with another desktop (a
    Desktop); or the Xwayland of a compositor (a Desktop that announces one)."""

    def __init__(self, window_manager=True):
        if window_manager is True:
            window_manager = DESKTOPS["openbox"]
        self.desktop = window_manager.installed() if window_manager else None
        self.processes = []  # each with the name of the one to end first in its group
        self.env = None
        self.wm_log = None
        self.cache = None
        self.scratch = None
        self.display = None

    def __enter__(self):
        for tool in ("Xvfb", "xdotool", "xwininfo"):
            if shutil.which(tool) is None:
                raise unittest.SkipTest(f"{tool} is not installed")
        # Mesa's shader cache and the desktop's files go to folders of the
        # server's own, not the home folder's.
        self.scratch = tempfile.TemporaryDirectory()
        self.cache = tempfile.TemporaryDirectory()
        try:
            if self.desktop and self.desktop.announces:
                self.start_compositor()
            else:
                self.start_xvfb()
            if self.desktop and not self.desktop.announces:
                self.start_window_manager()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def start_xvfb(self):
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             f"{SCREEN[0]}x{SCREEN[1]}x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        os.close(write_end)
        self.processes.append((xvfb, None))
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise AssertionError("Xvfb did not report a display")
        self.use_display(number)

    def use_display(self, number, **variables):
        self.display = number
        self.env = dict(os.environ, DISPLAY=f":{number}", TZ="UTC",
                        XDG_CACHE_HOME=self.cache.name, **variables)
        # The program and the tools talk to the X server only.
        self.env.pop("WAYLAND_DISPLAY", None)
        wait_for(self.reachable, STARTUP_TIMEOUT, f"display :{number} to accept clients")

    def reachable(self):
        return subprocess.run(["xprop", "-root", "-len", "0"], env=self.env,
                              capture_output=True, timeout=30, check=False).returncode == 0

    def desktop_process(self, command):
        """Starts the desktop in a process group of its own, which __exit__
        ends whole, with a home and runtime folder of its own, and returns
        the process."""
        desktop = self.desktop
        home = os.path.join(self.scratch.name, "home")
        runtime = os.path.join(self.scratch.name, "runtime")
        os.mkdir(home)
        os.mkdir(runtime, 0o700)
        for path, text in desktop.settings:
            path = os.path.join(home, ".config", path)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w") as settings:
                settings.write(text)
        env = dict(self.env or os.environ, HOME=home, XDG_RUNTIME_DIR=runtime,
                   XDG_CACHE_HOME=self.cache.name)
        env.pop("WAYLAND_DISPLAY", None)
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        if desktop.copy:
            copy = os.path.join(self.scratch.name, os.path.basename(command[0]))
            shutil.copy(shutil.which(command[0]), copy)
            command = [copy, *command[1:]]
        if desktop.session_bus:
            command = ["dbus-run-session", "--", *command]
        self.wm_log = open(os.path.join(self.scratch.name, "desktop.log"), "w+b")
        process = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL,
                                   stdout=self.wm_log, stderr=subprocess.STDOUT,
                                   start_new_session=True)
        # /proc's command names are cut at 15 characters.
        self.processes.append((process, desktop.command[0][:15]))
        return process

    def desktop_log(self):
        return os.pread(self.wm_log.fileno(), 1 << 20, 0).decode(errors="replace")

    def check_desktop(self, process):
        if process.poll() is not None:
            raise AssertionError(f"{self.desktop.name} ended with status {process.returncode}: "
                                 f"{self.desktop_log()}")

    def start_compositor(self):
        # The compositors open their X server's socket here, as X servers do, but
        # some expect the folder to be there already.
        if not os.path.isdir("/tmp/.X11-unix"):
            os.makedirs("/tmp/.X11-unix", exist_ok=True)
            os.chmod("/tmp/.X11-unix", 0o1777)
        desktop = self.desktop
        process = self.desktop_process(desktop.command)

        def announced():
            self.check_desktop(process)
            return re.search(desktop.announces, self.desktop_log())

        number = wait_for(announced, STARTUP_TIMEOUT,
                          f"{desktop.name} to announce its X display").group(1)
        variables = {}
        if desktop.xauthority:
            pattern = os.path.join(self.scratch.name, "runtime", desktop.xauthority)
            variables["XAUTHORITY"] = wait_for(lambda: glob.glob(pattern), STARTUP_TIMEOUT,
                                               f"{desktop.name}'s X authority file")[0]
        self.use_display(number, **variables)
        self.wait_managed(process)

    def start_window_manager(self):
        ready = os.path.join(self.scratch.name, "ready")
        command = [part.replace("{ready}", shlex.quote(ready)) for part in self.desktop.command]
        process = self.desktop_process(command)
        self.wait_managed(process)
        if "{ready}" in "".join(self.desktop.command):
            def started():
                self.check_desktop(process)
                return os.path.exists(ready)

            wait_for(started, STARTUP_TIMEOUT, f"{self.desktop.name} to manage the screen")

    def wait_managed(self, process):
        def managed():
            self.check_desktop(process)
            return "window id #" in self.tool("xprop", "-root", "-notype",
                                              "_NET_SUPPORTING_WM_CHECK", check=False)

        wait_for(managed, STARTUP_TIMEOUT, f"{self.desktop.name} to manage the screen")

    def __exit__(self, *exc):
        for process, first in reversed(self.processes):
            end(process, first)
        if self.wm_log:
            self.wm_log.close()
        if self.scratch:
            self.scratch.cleanup()
        if self.cache:
            self.cache.cleanup()

    def tool(self, *args, check=True):
        result = subprocess.run(args, env=self.env, capture_output=True, text=True,
                                timeout=30, check=False)
        if check and result.returncode != 0:
            raise AssertionError(f"{args} failed: {result.stderr.strip()}")
        return result.stdout


def process_stat(pid):
    """A process's command name and the fields of /proc/PID/stat that follow
    it (state, parent, process group, session, ...); None once it has gone."""
    try:
        with open(f"/proc/{pid}/stat") as stat:
            name, fields = stat.read().split(" (", 1)[1].rsplit(") ", 1)
    except OSError:
        return None
    return name, fields.split()


def group_members(group):
    """The ids and command names of the live processes in a process group."""
    members = []
    for entry in filter(str.isdigit, os.listdir("/proc")):
        stat = process_stat(entry)
        if stat is None:
            continue
        name, fields = stat
        state, _, member_group = fields[:3]
        if int(member_group) == group and state != "Z":
            members.append((int(entry), name))
    return members


def end(process, first=None):
    """Ends a process started in a session of its own, and everything else in
    its process group: what a desktop started (its session bus, its Xwayland)
    ends with it. Politely, so that X servers remove their lock files and
    sockets; the processes named `first` before the others, since a
    compositor ends its Xwayland itself but loses it if both are told at once."""
    def ended(name=None):
        process.poll()  # the leader, once reaped, no longer counts
        return not any(name in (None, member) for _, member in group_members(process.pid))

    if first:
        for pid, name in group_members(process.pid):
            if name == first:
                os.kill(pid, signal.SIGTERM)
        wait_for(lambda: ended(first), 5, f"{first} to end", fail=False)
    for number in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(process.pid, number)
        except ProcessLookupError:
            break
        if wait_for(ended, 5, "the process group to end", fail=False):
            break
    process.wait()


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

    def wait_frame_begun(self, monotonic_ns, timeout=STARTUP_TIMEOUT):
        """Waits until the program has begun a frame at or after this time of
        the monotonic clock (needs count_frames)."""
        def begun():
            if not self.alive():
                raise AssertionError(f"sorvane ended with status {self.process.returncode}")
            frame = last_frame(self.record)
            return frame is not None and frame.clear_ns >= monotonic_ns

        wait_for(begun, timeout, "a frame begun at the time asked for")

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
        if self.server.desktop:
            self.server.tool("xdotool", "windowactivate", "--sync", self.window)
        else:
            self.server.tool("xdotool", "windowfocus", "--sync", self.window)

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
        fields = {}
        for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"):
            fields[key] = int(re.search(rf"{key}:\s+(-?\d+)", info).group(1))
        return tuple(fields.values())

    def wait_placed(self, timeout=10):
        """Waits for a desktop that places windows itself to move the window's
        frame (its parent) from the screen's corner, where it made it."""
        tree = self.server.tool("xwininfo", "-tree", "-id", self.window)
        frame = re.search(r"Parent window id: (0x[0-9a-f]+)", tree).group(1)
        wait_for(lambda: self.geometry(frame)[:2] != (0, 0), timeout,
                 lambda: f"the window to be placed, its frame at {self.geometry(frame)}")

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

    def settled_screenshot(self, timeout=20):
        """A screenshot once the figure is on screen and has stopped changing, as it
        does under a frozen clock once the reshape and display frames are drawn."""
        last = [None]

        def steady():
            shot = self.screenshot()
            done = shot == last[0] and len(colours(shot)) > 1000
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
        if not self.alive():
            raise AssertionError(f"sorvane ended with status {self.process.returncode}")
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
            shown = last_frame(self.record)
            return (placement[1] == frame and shown is not None
                    and shown.clear_ns >= last[1] + RESTORE_HOLD_S * 1e9)

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
        self.wait_frame_begun(time.monotonic_ns() + int(seconds * 1e9))
        if self.geometry() != expected:
            raise AssertionError(f"window geometry {self.geometry()} {seconds} s after it was "
                                 f"{expected}")

    def escape(self, timeout=20):
        """Presses Escape and returns (exit status, standard output)."""
        self.keys("Escape")
        status = self.process.wait(timeout)
        return status, self.read(self.stdout)

    def close(self, timeout=20):
        """Asks the window manager to close the window, as its close button
        does, and returns (exit status, standard output)."""
        self.server.tool("wmctrl", "-i", "-c", self.window)
        status = self.process.wait(timeout)
        return status, self.read(self.stdout)

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
        status, _ = program.escape()
    if status != 0:
        raise AssertionError(f"exit status {status} after Escape")
    return picture


def expected_progress(line_end="\n"):
    """The standard output of a whole run; line_end as the C runtime writes it."""
    return "".join(f"generating vertex {i}{line_end}" for i in range(VERTEX_COUNT))


def share_apt_downloads(source, target):
    """Hard-links the Debian packages in the folder source that target lacks:
    apt's downloads, kept beside the Debian roots for the next layer's apt
    (which checks them against its lists and downloads only what is missing),
    or handed back from a layer's /var/cache/apt/archives. Copied where the
    two are on different file systems."""
    os.makedirs(target, exist_ok=True)
    for name in os.listdir(source) if os.path.isdir(source) else ():
        if name.endswith(".deb") and not os.path.exists(os.path.join(target, name)):
            try:
                os.link(os.path.join(source, name), os.path.join(target, name))
            except OSError:
                shutil.copy(os.path.join(source, name), target)
