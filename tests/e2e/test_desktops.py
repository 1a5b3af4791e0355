"""The window under each desktop that Linux users run, on X11 and through
Xwayland: its title, size and names, F11 round trips after a move and a
resize, and the ends of a run, by Escape and by the window manager's close."""

import os
import socket
import subprocess
import unittest

from processes import busy, wait_for
from sorvane import LOST_OUTPUT, TITLE, Sorvane, expected_progress, program_binary
from xserver import DESKTOPS, XServer

WINDOW_SIZE = (600, 600)
# Somewhere the window manager would not have put it, so that the place that
# full screen saves is not the first one.
NEW_PLACE = (200, 150)
# And another size, so that the size it saves is not the first one either.
NEW_SIZE = (640, 480)
ROUND_TRIPS = 3
# How long after the last round trip under load the window must still be where
# it came back to: a window manager's late steps came up to 0.75 s after it.
LOADED_HOLD_S = 2.5
# Time enough for each step of the way back on a busy machine.
LOADED_TIMEOUT = 30
ICON_SIZES = [16, 32, 48, 64]
NAMES = ("WM_NAME", "_NET_WM_NAME", "WM_CLASS", "_NET_WM_PID", "WM_CLIENT_MACHINE", "_NET_WM_ICON")
ICONS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data", "icons",
                     "hicolor")


def icon_images(program):
    """The images in the window's _NET_WM_ICON, each a width, a height and that
    many pixels as 0xAARRGGBB, one after another: (width, height, pixels) each."""
    text = program.server.tool("xprop", "-id", program.window, "32c", "_NET_WM_ICON")
    values = [int(value) for value in text.split("=", 1)[1].split(",")]
    images = []
    while values:
        width, height = values[:2]
        if width * height > len(values) - 2:
            raise AssertionError(f"_NET_WM_ICON ends inside its {width} x {height} image")
        images.append((width, height, values[2:2 + width * height]))
        values = values[2 + width * height:]
    return images


def icon_pixels(size):
    """The desktop entry's icon of this size as 0xAARRGGBB words."""
    png = os.path.join(ICONS, f"{size}x{size}", "apps", "sorvane.png")
    rgba = subprocess.run(["convert", png, "-alpha", "on", "-depth", "8", "rgba:-"],
                          capture_output=True, check=True, timeout=30).stdout
    return [int.from_bytes(rgba[i + 3:i + 4] + rgba[i:i + 3], "big")
            for i in range(0, len(rgba), 4)]


class Desktops(unittest.TestCase):
    def test_each_desktop(self):
        for desktop in DESKTOPS.values():
            with self.subTest(desktop=desktop.name):
                self.check_desktop(desktop)

    def check_desktop(self, desktop):
        if desktop.installed().absent:
            self.skipTest(desktop.installed().absent)
        with XServer(desktop) as server:
            desktop = server.desktop  # as the installed version behaves
            with Sorvane(server, count_frames=True) as program:
                self.check_window(program)
                if desktop.places_windows:
                    program.wait_placed()
                else:
                    program.move(*NEW_PLACE)
                program.resize(*NEW_SIZE)
                self.check_round_trips(program, desktop)
                if desktop.under_load:
                    with self.subTest(load="two busy processes"), busy(2):
                        last = self.check_round_trips(program, desktop, LOADED_TIMEOUT)
                        program.hold_geometry(last, LOADED_HOLD_S)
                self.assertEqual(program.escape_ok(), expected_progress())

            if desktop.closes:
                # With the progress lines lost, a close through the window manager
                # fails the run as Escape does.
                with open("/dev/full", "wb") as full, Sorvane(server, stdout=full) as program:
                    status, _ = program.close()
                    errors = program.read(program.stderr).splitlines()
                self.assertEqual(status, 1)
                self.assertEqual(errors.count(LOST_OUTPUT), 1, errors)

    def check_round_trips(self, program, desktop, timeout=10):
        """F11 there and back ROUND_TRIPS times, each back to where the
        desktop puts the window; returns the last of those places."""
        x, y, width, height = program.geometry()
        shift_x, shift_y = desktop.restore_shift
        for trip in range(1, ROUND_TRIPS + 1):
            windowed = (x + trip * shift_x, y + trip * shift_y, width, height)
            program.full_screen_round_trip(windowed, timeout)
        return windowed

    def check_window(self, program):
        """The window's size, and the names that the desktop ties it to its
        launcher by."""
        self.assertEqual(program.geometry()[2:], WINDOW_SIZE)
        # The toolkit maps the window as it makes it, before the program can name
        # it, so a desktop may show it a moment before the names are there.
        names = wait_for(lambda: program.properties(*NAMES), 10,
                         f"the window's properties {', '.join(NAMES)}")
        self.assertEqual(names["WM_NAME"], ("STRING", f'"{TITLE}"'))
        self.assertEqual(names["_NET_WM_NAME"], ("UTF8_STRING", f'"{TITLE}"'))
        self.assertEqual(names["WM_CLASS"], ("STRING", '"sorvane", "Sorvane"'))
        self.assertEqual(names["WM_CLIENT_MACHINE"], ("STRING", f'"{socket.gethostname()}"'))
        # The run has no wrapper: its process is the program's own.
        pid = program.process.pid
        self.assertEqual(os.path.realpath(f"/proc/{pid}/exe"), os.path.realpath(program_binary()))
        self.assertEqual(names["_NET_WM_PID"], ("CARDINAL", str(pid)))
        images = icon_images(program)
        self.assertEqual([image[:2] for image in images], [(size, size) for size in ICON_SIZES])
        for size, (_, _, pixels) in zip(ICON_SIZES, images):
            self.assertEqual(pixels, icon_pixels(size), f"the {size} x {size} icon's pixels")


if __name__ == "__main__":
    unittest.main()
