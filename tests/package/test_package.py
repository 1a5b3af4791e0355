"""The Debian package: lintian finds nothing, it holds the expected files, it
installs with apt-get on this machine, and the installed program runs."""

import glob
import os
import re
import subprocess
import unittest

from harness import Sorvane, XServer, expected_progress

INSTALLED_FILES = [
    "./usr/bin/sorvane",
    "./usr/share/man/man6/sorvane.6.gz",
    "./usr/share/applications/sorvane.desktop",
    *(f"./usr/share/icons/hicolor/{size}x{size}/apps/sorvane.png"
      for size in (16, 32, 48, 64, 128, 256)),
    "./usr/share/doc/sorvane/README.md",
    "./usr/share/doc/sorvane/changelog.gz",
    "./usr/share/doc/sorvane/copyright",
]


def run(*args, env=None):
    return subprocess.run(args, capture_output=True, text=True, timeout=900, check=False,
                          env=env)


def package():
    """The one package for this version in the release build."""
    version = os.environ["SORVANE_VERSION"]
    found = glob.glob(os.path.join(os.environ["SORVANE_PACKAGE_DIR"], f"sorvane_{version}_*.deb"))
    if len(found) != 1:
        raise AssertionError(f"expected one sorvane_{version}_*.deb, found {found}: "
                             "run ./scripts/package first")
    return found[0]


class Package(unittest.TestCase):
    def test_name_fields_and_contents(self):
        deb = package()
        arch = run("dpkg", "--print-architecture").stdout.strip()
        self.assertEqual(os.path.basename(deb),
                         f"sorvane_{os.environ['SORVANE_VERSION']}_{arch}.deb")

        fields = run("dpkg-deb", "--field", deb, "Depends", "Section", "Priority",
                     "Maintainer").stdout
        self.assertIn("Section: graphics", fields)
        self.assertIn("Priority: optional", fields)
        self.assertIn("Maintainer: The sorvane developers", fields)
        # Worked out from the libraries the executable links.
        for library in ("libc6", "libglut3.12", "libstdc++6"):
            self.assertRegex(fields, rf"Depends: .*\b{re.escape(library)}\b")

        listing = run("dpkg-deb", "--contents", deb).stdout.splitlines()
        entries = {line.split()[-1]: line.split()[0] for line in listing}
        for path in INSTALLED_FILES:
            self.assertIn(path, entries)
        self.assertEqual(entries["./usr/bin/sorvane"], "-rwxr-xr-x")
        self.assertEqual({mode for path, mode in entries.items()
                          if path != "./usr/bin/sorvane" and not path.endswith("/")},
                         {"-rw-r--r--"})

    def test_lintian_finds_nothing(self):
        # --display-level includes the informational and pedantic tags too, so
        # that an override or a new tag shows up here rather than going unseen.
        result = run("lintian", "--fail-on", "error,warning", "--display-level", ">=pedantic",
                     "--show-overrides", package())
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertEqual(result.stdout, "")

    def test_installs_and_runs(self):
        deb = os.path.abspath(package())
        sudo = [] if os.geteuid() == 0 else ["sudo"]
        env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
        result = run(*sudo, "apt-get", "-o", "DPkg::Lock::Timeout=600", "install", "-y", "-qq",
                     "--reinstall", "--allow-downgrades", "--no-install-recommends", deb, env=env)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        version = run("dpkg-deb", "--field", deb, "Version").stdout.strip()
        status = run("dpkg-query", "--show", "--showformat", "${Status} ${Version}",
                     "sorvane").stdout
        self.assertEqual(status, f"install ok installed {version}")
        self.assertEqual(run("man", "--where", "6", "sorvane").stdout.strip(),
                         "/usr/share/man/man6/sorvane.6.gz")

        os.environ["SORVANE_BINARY"] = "/usr/bin/sorvane"
        with XServer() as server, Sorvane(server) as program:
            self.assertEqual(program.geometry()[2:], (600, 600))
            status, output = program.escape()
            self.assertEqual(status, 0)
            self.assertEqual(output, expected_progress())


if __name__ == "__main__":
    unittest.main()
