"""The Debian package as ./scripts/release makes it, installed as a user would
on a fresh minimal Debian 13, today's stable: apt-get install fetches its
dependencies, the program runs under Xvfb (its 500 lines, then Escape and
status 0), and a purge leaves nothing of it behind. Made on Debian 12, this is
the package that a release ships for both."""

import os
import subprocess
import tempfile
import unittest

from harness import Sorvane, XServer, expected_progress

SOURCE = os.environ["SORVANE_SOURCE_DIR"]
VERSION = os.environ["SORVANE_VERSION"]
# A minimal root, made the first time and kept as made; each run lays a fresh
# layer over it.
ROOT = os.environ["SORVANE_DEBIAN13_ROOT"]
DEBIAN_ROOT = os.path.join(SOURCE, "scripts", "debian-root")
EPOCH = "1700000000"
# Installing and purging any package changes apt's and dpkg's own records, the
# system's caches and logs, and the dynamic linker's cache; running the
# program leaves Mesa's shader cache in the home folder. None of it is the
# package's.
NOT_THE_PACKAGES = ("/var/lib/apt/", "/var/lib/dpkg/", "/var/cache/", "/var/log/",
                    "/etc/ld.so.cache", "/tmp/", "/root/.cache")
# Every file and folder, with its type and mode, on the root's own file system.
LIST_FILES = ["find", "/", "-xdev", "-printf", r"%p %y %m\n"]


def in_root(layer, *command, stdin=None):
    result = subprocess.run([DEBIAN_ROOT, "--layer", layer, "trixie", ROOT, *command],
                            input=stdin, capture_output=True, timeout=600, check=False)
    if result.returncode != 0:
        raise AssertionError(f"{' '.join(command)} failed in the Debian 13 root: "
                             f"{result.stdout.decode()}{result.stderr.decode()}")
    return result.stdout.decode()


def files(layer):
    return {line for line in in_root(layer, *LIST_FILES).splitlines()
            if not line.startswith(NOT_THE_PACKAGES)}


class Install(unittest.TestCase):
    def test_install_run_and_purge_on_debian_13(self):
        with tempfile.TemporaryDirectory() as scratch:
            built = subprocess.run(
                [os.path.join(SOURCE, "scripts", "release"), "--build-only", scratch, "deb"],
                env=dict(os.environ, SOURCE_DATE_EPOCH=EPOCH), capture_output=True, text=True,
                timeout=540, check=False)
            self.assertEqual(built.returncode, 0, built.stdout + built.stderr)
            arch = subprocess.run(["dpkg", "--print-architecture"], capture_output=True,
                                  text=True, check=True).stdout.strip()
            with open(os.path.join(scratch, f"sorvane_{VERSION}_{arch}.deb"), "rb") as deb:
                package = deb.read()

            layer = os.path.join(scratch, "layer")
            in_root(layer, "sh", "-c", "cat >/tmp/sorvane.deb", stdin=package)
            in_root(layer, "apt-get", "update", "-qq")
            before = files(layer)
            in_root(layer, "env", "DEBIAN_FRONTEND=noninteractive", "apt-get", "install", "-y",
                    "-qq", "/tmp/sorvane.deb")
            self.assertIn("/usr/bin/sorvane f 755", files(layer))

            with XServer() as server, Sorvane(server, binary="/usr/bin/sorvane",
                                              wrapper=[DEBIAN_ROOT, "--layer", layer, "trixie",
                                                       ROOT]) as program:
                status, output = program.escape()
            self.assertEqual(status, 0)
            self.assertEqual(output, expected_progress())

            in_root(layer, "env", "DEBIAN_FRONTEND=noninteractive", "apt-get", "purge", "-y",
                    "-qq", "--autoremove", "sorvane")
            status = in_root(layer, "sh", "-c", "dpkg-query --show --showformat="
                             "'${db:Status-Status}' sorvane 2>/dev/null || true")
            self.assertIn(status, ("", "not-installed"))
            after = files(layer)
            self.assertEqual((sorted(after - before), sorted(before - after)), ([], []),
                             "files left after the purge, and files gone")


if __name__ == "__main__":
    unittest.main()
