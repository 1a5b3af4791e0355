"""The Debian package, made here with CPack from this build tree, so that it is
the one the sources of this run give: its name, fields, contents and modes,
lintian finding nothing, its AppStream metainfo valid and listing the
changelog's releases, its dependencies resolving on this machine, and the
program it holds running. Nothing is installed: apt-get only simulates, and the
program runs from the package unpacked into a scratch folder."""

import glob
import gzip
import os
import re
import subprocess
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

from harness import Sorvane, XServer, expected_progress

INSTALLED_FILES = [
    "./usr/bin/sorvane",
    "./usr/share/man/man6/sorvane.6.gz",
    "./usr/share/applications/sorvane.desktop",
    "./usr/share/metainfo/org.example.sorvane.metainfo.xml",
    *(f"./usr/share/icons/hicolor/{size}x{size}/apps/sorvane.png"
      for size in (16, 32, 48, 64, 128, 256)),
    "./usr/share/doc/sorvane/README.md",
    "./usr/share/doc/sorvane/changelog.gz",
    "./usr/share/doc/sorvane/copyright",
]


def run(*args, env=None):
    return subprocess.run(args, capture_output=True, text=True, timeout=600, check=False,
                          env=env)


def changelog_releases(text):
    """Each entry of a Debian changelog as (version, ISO date, [change, ...]),
    newest first, each change on one line."""
    entries = re.findall(r"(?m)^sorvane \((\S+)\) .*\n\n((?:  .*\n|\n)*?)"
                         r" -- .*  \w{3}, (\d\d) (\w{3}) (\d{4}) ", text)
    months = "Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec".split()
    return [(version, f"{year}-{months.index(month) + 1:02}-{day}",
             [" ".join(change.split()) for change in re.split(r"(?m)^  \* ", changes)[1:]])
            for version, changes, day, month, year in entries]


def setUpModule():
    global scratch, deb, root
    scratch = tempfile.TemporaryDirectory()
    made = run(os.environ["SORVANE_CPACK"], "-G", "DEB", "--config",
               os.environ["SORVANE_CPACK_CONFIG"], "-B", scratch.name)
    if made.returncode != 0:
        raise AssertionError(f"cpack failed: {made.stdout}{made.stderr}")
    found = glob.glob(os.path.join(scratch.name, "*.deb"))
    if len(found) != 1:
        raise AssertionError(f"cpack made {found}, not one package")
    deb = found[0]
    root = os.path.join(scratch.name, "root")
    unpacked = run("dpkg-deb", "--extract", deb, root)
    if unpacked.returncode != 0:
        raise AssertionError(f"dpkg-deb --extract failed: {unpacked.stderr}")


def tearDownModule():
    scratch.cleanup()


class Package(unittest.TestCase):
    def test_name_fields_and_contents(self):
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
        # Its scratch files go to the test's folder: it leaves some behind.
        result = run("lintian", "--fail-on", "error,warning", "--display-level", ">=pedantic",
                     "--show-overrides", deb, env=dict(os.environ, TMPDIR=scratch.name))
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertEqual(result.stdout, "")

    def test_appstream_metainfo(self):
        # validate-tree also checks that the launchable names a desktop entry
        # of the tree; infos and pedantic hints count as findings too.
        result = run("appstreamcli", "validate-tree", "--no-net", "--pedantic", root)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertNotRegex(result.stdout, r"(?m)^\s*[EWIP]: ")

        share = os.path.join(root, "usr", "share")
        component = ElementTree.parse(
            os.path.join(share, "metainfo", "org.example.sorvane.metainfo.xml")).getroot()
        self.assertEqual(component.findtext("launchable"), "sorvane.desktop")
        releases = [(release.get("version"), release.get("date"),
                     [" ".join(item.text.split()) for item in release.iter("li")])
                    for release in component.iter("release")]
        with gzip.open(os.path.join(share, "doc", "sorvane", "changelog.gz"), "rt") as changelog:
            self.assertEqual(releases, changelog_releases(changelog.read()))
        self.assertEqual(releases[0][0], os.environ["SORVANE_VERSION"])

    def test_dependencies_resolve(self):
        # A simulation: apt-get works out what installing would take, and
        # changes nothing.
        result = run("apt-get", "install", "--simulate", "--no-install-recommends", deb)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertRegex(result.stdout, r"(?m)^Inst sorvane ")

    def test_unpacked_program_runs(self):
        binary = os.path.join(root, "usr", "bin", "sorvane")
        with XServer() as server, Sorvane(server, binary=binary) as program:
            self.assertEqual(program.geometry()[2:], (600, 600))
            status, output = program.escape()
        self.assertEqual(status, 0)
        self.assertEqual(output, expected_progress())


if __name__ == "__main__":
    unittest.main()
