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
from debian_packages import MACHINE, PACKAGES, ROOTS, Root

# Made the first time from the build's own Debian 12 root and kept.
NAME = "bookworm-autopkgtest"


class Autopkgtest(unittest.TestCase):
    def test_the_package_passes_its_autopkgtest(self):
        if not os.path.exists(os.path.join(ROOTS, NAME, ".autopkgtest")):
            # A copy of the Debian 12 root that the build has just used,
            # rather than a second one made from the archive.
            shutil.rmtree(os.path.join(ROOTS, NAME), ignore_errors=True)
            subprocess.run(["cp", "--archive", os.path.join(ROOTS, "bookworm"),
                            os.path.join(ROOTS, NAME)], check=True)
            Root("bookworm", name=NAME).run(
                "sh", "-c", "apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get "
                "install -y -qq --no-install-recommends autopkgtest && apt-get clean "
                "&& touch /.autopkgtest", timeout=1200)

        with tempfile.TemporaryDirectory() as layer:
            root = Root("bookworm", layer, NAME)
            packages = os.path.join(layer, "changes", "srv")
            os.makedirs(packages)
            for name in os.listdir(PACKAGES):
                if name.endswith((".dsc", ".tar.xz", f"_{MACHINE}.deb")):
                    shutil.copy(os.path.join(PACKAGES, name), packages)
            # The test's dependencies come from the downloads of the Debian 12
            # builds and installs where those have them.
            share_apt_downloads(root.downloads, root.archives)
            output = root.run("sh", "-c", "cd /srv && exec autopkgtest sorvane_*.deb "
                              "sorvane_*.dsc -- null 2>&1", timeout=1200)
            share_apt_downloads(root.archives, root.downloads)
        self.assertRegex(output, r"(?m)^window +PASS")


if __name__ == "__main__":
    unittest.main()
