"""A private X server for a test: an Xvfb on a display number the server picks
itself (-displayfd), so runs never collide, plus openbox where a window manager
matters (activation for key input, real full screen). Another desktop from
DESKTOPS can take openbox's place: a window manager on the Xvfb, or a Wayland
compositor with the Xwayland it starts, on a display number it picks and
announces.
"""

import contextlib
import dataclasses
import glob
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import unittest

from processes import end, wait_for

SCREEN = (1280, 1024)
# Generous, since waits end as soon as their condition holds: the very first start
# on a fresh, loaded machine (caches cold, libraries read from disk) took over 20 s.
STARTUP_TIMEOUT = 60


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

    def __init__(self, window_manager=True, screen=SCREEN):
        self.screen = screen
        if window_manager is True:
            window_manager = DESKTOPS["openbox"]
        self.desktop = window_manager.installed() if window_manager else None
        self.processes = []  # each with the name of the one to end first in its group
        self.env = None
        self.wm_log = None
        # The folders and the desktop's log, closed once the processes end.
        self.closing = contextlib.ExitStack()

    def __enter__(self):
        for tool in ("Xvfb", "xdotool", "xwininfo"):
            if shutil.which(tool) is None:
                raise unittest.SkipTest(f"{tool} is not installed")
        # Mesa's shader cache and the desktop's files go to folders of the
        # server's own, not the home folder's.
        self.scratch = self.closing.enter_context(tempfile.TemporaryDirectory())
        self.cache = self.closing.enter_context(tempfile.TemporaryDirectory())
        try:
            if self.desktop and self.desktop.announces:
                self.start_compositor()
            else:
                self.start_xvfb()
                if self.desktop:
                    self.start_window_manager()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def start_xvfb(self):
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             f"{self.screen[0]}x{self.screen[1]}x24", "-nolisten", "tcp", "-noreset"],
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
        self.env = dict(os.environ, DISPLAY=f":{number}", TZ="UTC",
                        XDG_CACHE_HOME=self.cache, **variables)
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
        home = os.path.join(self.scratch, "home")
        runtime = os.path.join(self.scratch, "runtime")
        os.mkdir(home)
        os.mkdir(runtime, 0o700)
        for path, text in desktop.settings:
            path = os.path.join(home, ".config", path)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w") as settings:
                settings.write(text)
        env = dict(self.env or os.environ, HOME=home, XDG_RUNTIME_DIR=runtime,
                   XDG_CACHE_HOME=self.cache)
        env.pop("WAYLAND_DISPLAY", None)
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        if desktop.copy:
            copy = os.path.join(self.scratch, os.path.basename(command[0]))
            shutil.copy(shutil.which(command[0]), copy)
            command = [copy, *command[1:]]
        if desktop.session_bus:
            command = ["dbus-run-session", "--", *command]
        self.wm_log = self.closing.enter_context(
            open(os.path.join(self.scratch, "desktop.log"), "w+b"))
        process = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL,
                                   stdout=self.wm_log, stderr=subprocess.STDOUT,
                                   start_new_session=True)
        # /proc's command names are cut at 15 characters.
        self.processes.append((process, desktop.command[0][:15]))
        return process

    def desktop_log(self):
        return os.pread(self.wm_log.fileno(), 1 << 20, 0).decode(errors="replace")

    def wait_desktop(self, process, condition, what):
        """Waits for the desktop to do `what`, and returns the condition's
        result then; fails at once, with its log, if it ends first."""
        def done():
            if process.poll() is not None:
                raise AssertionError(f"{self.desktop.name} ended with status "
                                     f"{process.returncode}: {self.desktop_log()}")
            return condition()

        return wait_for(done, STARTUP_TIMEOUT, f"{self.desktop.name} {what}")

    def start_compositor(self):
        # The compositors open their X server's socket here, as X servers do, but
        # some expect the folder to be there already.
        if not os.path.isdir("/tmp/.X11-unix"):
            os.makedirs("/tmp/.X11-unix", exist_ok=True)
            os.chmod("/tmp/.X11-unix", 0o1777)
        desktop = self.desktop
        process = self.desktop_process(desktop.command)
        number = self.wait_desktop(
            process, lambda: re.search(desktop.announces, self.desktop_log()),
            "to announce its X display").group(1)
        variables = {}
        if desktop.xauthority:
            pattern = os.path.join(self.scratch, "runtime", desktop.xauthority)
            variables["XAUTHORITY"] = self.wait_desktop(process, lambda: glob.glob(pattern),
                                                        "to write its X authority file")[0]
        self.use_display(number, **variables)
        self.wait_managed(process)

    def start_window_manager(self):
        ready = os.path.join(self.scratch, "ready")
        command = [part.replace("{ready}", shlex.quote(ready)) for part in self.desktop.command]
        process = self.desktop_process(command)
        self.wait_managed(process)
        if "{ready}" in "".join(self.desktop.command):
            self.wait_desktop(process, lambda: os.path.exists(ready), "to manage the screen")

    def wait_managed(self, process):
        self.wait_desktop(process, lambda: "window id #" in self.tool(
            "xprop", "-root", "-notype", "_NET_SUPPORTING_WM_CHECK", check=False),
            "to manage the screen")

    def __exit__(self, *exc):
        for process, first in reversed(self.processes):
            end(process, first)
        self.closing.close()

    def tool(self, *args, check=True):
        result = subprocess.run(args, env=self.env, capture_output=True, text=True,
                                timeout=30, check=False)
        if check and result.returncode != 0:
            raise AssertionError(f"{args} failed: {result.stderr.strip()}")
        return result.stdout


if __name__ == "__main__":
    # python3 xserver.py WIDTHxHEIGHT COMMAND...: the command with DISPLAY set to
    # a private Xvfb of that size, and no window manager; its exit status.
    with XServer(window_manager=False, screen=tuple(map(int, sys.argv[1].split("x")))) as server:
        sys.exit(subprocess.run(sys.argv[2:], env=server.env, check=False).returncode)
