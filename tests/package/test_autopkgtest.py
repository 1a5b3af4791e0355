"""The package's own test (debian/tests) under Debian's autopkgtest runner, as
Debian's CI would run it: the binary package made for this machine, with its
source package (the folder that SORVANE_DEBIAN_PACKAGES names, which
package.build fills with scripts/debian-build), tested by autopkgtest's null
server in a fresh layer over a minimal Debian 12 root that has autopkgtest
installed. The runner installs the test's dependencies and the package there,
never on this machine."""

import os
import shutil
import subprocess
import tempfile
import unittest

from apt_downloads import share_apt_downloads

SOURCE = os.environ["SORVANE_SOURCE_DIR"]
PACKAGES = os.environ["SORVANE_DEBIAN_PACKAGES"]
# Made the first time from the build's own Debian 12 root and kept.
ROOTS = os.environ["SORVANE_DEBIAN_ROOTS"]
ROOT = os.path.join(ROOTS, "bookworm-autopkgtest")
DOWNLOADS = os.path.join(ROOTS, "downloads-bookworm")
DEBIAN_ROOT = os.path.join(SOURCE, "scripts", "debian-root")
EPOCH = "1700000000"


def run(*args, timeout=1200):
    result = subprocess.run(args, capture_output=True, text=True, timeout=timeout, check=False,
                            env=dict(os.environ, SOURCE_DATE_EPOCH=EPOCH))
    return result.returncode, result.stdout + result.stderr


def in_root(*command, layer=None):
    return run(DEBIAN_ROOT, *(("--layer", layer) if layer else ()), "bookworm", ROOT, *command)


class Autopkgtest(unittest.TestCase):
    def test_the_package_passes_its_autopkgtest(self):
        machine = subprocess.check_output(["dpkg", "--print-architecture"], text=True).strip()
        with tempfile.TemporaryDirectory() as scratch:
            if not os.path.exists(os.path.join(ROOT, ".autopkgtest")):
                # A copy of the Debian 12 root that the build has just used,
                # rather than a second one made from the archive.
                shutil.rmtree(ROOT, ignore_errors=True)
                status, output = run("cp", "--archive", os.path.join(ROOTS, "bookworm"), ROOT)
                self.assertEqual(status, 0, output)
                status, output = in_root("sh", "-c", "apt-get update -qq && DEBIAN_FRONTEND="
                                         "noninteractive apt-get install -y -qq "
                                         "--no-install-recommends autopkgtest && apt-get clean "
                                         "&& touch /.autopkgtest")
                self.assertEqual(status, 0, output)

            layer = os.path.join(scratch, "layer")
            packages = os.path.join(layer, "changes", "srv")
            os.makedirs(packages)
            for name in os.listdir(PACKAGES):
                if name.endswith((".dsc", ".tar.xz", f"_{machine}.deb")):
                    shutil.copy(os.path.join(PACKAGES, name), packages)
            # The test's dependencies come from the downloads of the Debian 12
            # builds and installs where those have them.
            archives = os.path.join(layer, "changes", "var", "cache", "apt", "archives")
            share_apt_downloads(DOWNLOADS, archives)
            status, output = in_root(
                "sh", "-c", "cd /srv && exec autopkgtest sorvane_*.deb sorvane_*.dsc -- null",
                layer=layer)
            share_apt_downloads(archives, DOWNLOADS)
        self.assertEqual(status, 0, output)
        self.assertRegex(output, r"(?m)^window +PASS")


if __name__ == "__main__":
    unittest.main()
