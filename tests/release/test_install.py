"""The Debian packages as ./scripts/release makes them, one per architecture
(the folder that SORVANE_DEBIAN_PACKAGES names, which package.build fills),
each installed as a user would with apt-get in a fresh minimal root of every
Debian release that has the architecture, so that its dependencies come from
that architecture's archive. The program runs from it on an Xvfb screen, under
qemu-user where the architecture is foreign (installed in the root, never on
the machine), with Mesa's software renderer: its 500 lines, the titled
600 x 600 window, at one frozen calendar time the same figure as amd64's, F11
there and back, Escape and status 0. Then a purge leaves nothing behind. Made
on Debian 12, these are the packages that a release ships for both."""

import os
import sys
import tempfile
import time
import unittest

from apt_downloads import share_apt_downloads
from debian_packages import DEBS, MACHINE, ROOTS, Root
from sorvane import Sorvane, colours, expected_progress
from xserver import XServer

CLOCK = "2023-11-14 22:13:20"
# Each architecture's emulator and its GNU triplet.
ARCHITECTURES = {"amd64": (None, "x86_64-linux-gnu"),
                 "arm64": ("aarch64", "aarch64-linux-gnu"),
                 "armhf": ("arm", "arm-linux-gnueabihf"),
                 "riscv64": ("riscv64", "riscv64-linux-gnu")}
# Debian 12 names the emulators qemu-*-static, in qemu-user-static; Debian 13
# plainly, in qemu-user. amd64 first in each release, for the figure that the
# others are compared with.
RELEASES = {"bookworm": ("qemu-user-static", "qemu-{}-static"),
            "trixie": ("qemu-user", "qemu-{}")}
ROWS = (("bookworm", "amd64"), ("bookworm", "arm64"), ("bookworm", "armhf"),
        ("trixie", "amd64"), ("trixie", "arm64"), ("trixie", "armhf"), ("trixie", "riscv64"))
# Emulation is slow, and slower on a busy machine: generous bounds for what
# takes a second natively.
EMULATED = 300
# Of the figure against amd64's, at most this share of the pixels may differ,
# and none by more than this much in any channel. The vertices are the same
# integers everywhere, and llvmpipe's edge tests are fixed-point; but it
# compiles its transform and shading for the processor it runs on, and with
# fused multiply-add or other vector widths a float may round the other way
# in its last bit. So a few pixels whose centres lie on an edge may fall to
# the other side, gaining or losing one layer at alpha 0.1 (26 steps of 255),
# and an interpolated colour may round one step the other way: a few hundred
# of the 360,000 pixels at most, none by much more than one layer. Measured:
# no pixel differed on arm64 and riscv64, 5 on armhf by up to 16.
MOST_PIXELS_DIFFERENT = 0.001
MOST_CHANNEL_DIFFERENCE = 32
# Installing and purging any package changes apt's and dpkg's own records, the
# system's caches and logs, and the dynamic linker's cache; running the
# program leaves Mesa's shader cache in the home folder. None of it is the
# package's.
NOT_THE_PACKAGES = ("/var/lib/apt/", "/var/lib/dpkg/", "/var/cache/", "/var/log/",
                    "/etc/ld.so.cache", "/tmp/", "/root/.cache")
# Every file and folder, with its type and mode, on the root's own file system.
LIST_FILES = ["find", "/", "-xdev", "-printf", r"%p %y %m\n"]
# The machine's own handlers for foreign executables: the emulators are
# installed in the roots only, and must register none here.
BINFMT = "/proc/sys/fs/binfmt_misc"
APT_GET = ["env", "DEBIAN_FRONTEND=noninteractive", "apt-get", "-y", "-qq"]


class Layer(Root):
    """A fresh layer over a release's kept root, for one row."""

    def __init__(self, suite, arch, layer):
        super().__init__(suite, layer)
        self.arch = arch

    def files(self):
        return {line for line in self.run(*LIST_FILES).splitlines()
                if not line.startswith(NOT_THE_PACKAGES)}

    def program(self, server):
        """A run of the installed program at the frozen time, emulated where
        the architecture is foreign, with libfaketime of the architecture
        handed to the program through the emulator."""
        emulator, triplet = ARCHITECTURES[self.arch]
        # Only the calendar clock stops: with the monotonic clock stopped too,
        # Mesa 22's threads on armhf never saw their timed waits end, and the
        # program never ended.
        faketime = [f"LD_PRELOAD=/usr/lib/{triplet}/faketime/libfaketime.so.1",
                    f"FAKETIME={CLOCK}", "FAKETIME_DONT_FAKE_MONOTONIC=1"]
        if emulator:
            faketime = [RELEASES[self.suite][1].format(emulator),
                        *(part for variable in faketime for part in ("-E", variable))]
        return Sorvane(server, binary="/usr/bin/sorvane",
                       wrapper=[*self.command, "env", "TZ=UTC", *faketime])


def difference(picture, reference):
    """The share of pixels that differ, and the largest difference in a channel."""
    pixels, expected = picture[2], reference[2]
    steps = [max(abs(a - b) for a, b in zip(pixels[i:i + 3], expected[i:i + 3]))
             for i in range(0, len(pixels), 3)]
    return sum(step > 0 for step in steps) / len(steps), max(steps)


class Install(unittest.TestCase):
    def test_install_run_and_purge_on_each_architecture(self):
        # Beside the roots, on their file system, so that the layers' apt
        # shares its downloads by hard links.
        with tempfile.TemporaryDirectory(dir=ROOTS, prefix="install-") as scratch:
            references = {}
            handlers = os.listdir(BINFMT)
            for suite, arch in ROWS:
                with self.subTest(arch=arch, release=suite):
                    references[suite, arch] = self.check(
                        Layer(suite, arch, os.path.join(scratch, f"{suite}-{arch}")),
                        references.get((suite, MACHINE)))
                    self.assertEqual(os.listdir(BINFMT), handlers, f"{arch} on {suite}")

    def check(self, root, reference):
        """Installs, runs and purges the package in a fresh root, and returns
        the figure it drew."""
        where = f"{root.arch} on {root.suite}"
        started = time.monotonic()
        root.run("true")
        made = time.monotonic()
        with open(DEBS[root.arch], "rb") as package:
            root.run("sh", "-c", "cat >/tmp/sorvane.deb", stdin=package.read())
        tools = [f"libfaketime:{root.arch}"]
        if root.arch != MACHINE:
            root.run("dpkg", "--add-architecture", root.arch)
            tools.append(RELEASES[root.suite][0])
        root.run("apt-get", "update", "-qq")
        # Rows of one release share their emulator, and the native rows the
        # libraries that the builds linked.
        share_apt_downloads(root.downloads, root.archives)
        root.run(*APT_GET, "install", "--no-install-recommends", *tools)
        before = root.files()
        root.run(*APT_GET, "install", "/tmp/sorvane.deb")
        share_apt_downloads(root.archives, root.downloads)
        self.assertIn("/usr/bin/sorvane f 755", root.files(), where)
        installed = time.monotonic()

        with XServer() as server, root.program(server) as program:
            self.assertEqual(program.geometry()[2:], (600, 600), where)
            picture = program.settled_screenshot(EMULATED)
            program.full_screen_round_trip(timeout=EMULATED)
            self.assertEqual(program.escape_ok(EMULATED), expected_progress(), where)
        self.assertGreater(len(colours(picture)), 1000, f"{where}: no figure")
        if reference:
            share, largest = difference(picture, reference)
            print(f"{where}: {share:.4%} of the pixels differ from amd64's, "
                  f"by up to {largest} in a channel", file=sys.stderr)
            self.assertLessEqual(share, MOST_PIXELS_DIFFERENT, where)
            self.assertLessEqual(largest, MOST_CHANNEL_DIFFERENCE, where)
        ran = time.monotonic()

        root.run(*APT_GET, "purge", "--autoremove", "sorvane")
        status = root.run("sh", "-c", "dpkg-query --show --showformat="
                          "'${db:Status-Status}' sorvane 2>/dev/null || true")
        self.assertIn(status, ("", "not-installed"), where)
        after = root.files()
        self.assertEqual((sorted(after - before), sorted(before - after)), ([], []),
                         f"{where}: files left after the purge, and files gone")
        print(f"{where}: root {made - started:.0f} s, apt {installed - made:.0f} s, "
              f"run {ran - installed:.0f} s, purge {time.monotonic() - ran:.0f} s",
              file=sys.stderr)
        return picture


if __name__ == "__main__":
    unittest.main()
