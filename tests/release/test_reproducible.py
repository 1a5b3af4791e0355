"""The Debian source package, the Debian package of every architecture and the
Windows zip as ./scripts/release makes them, built twice at different paths,
the second copied and built later, with another umask and time zone: every
byte the same. The first Debian packages are those that package.build made
from these sources (the folder that SORVANE_DEBIAN_PACKAGES names), the first
zip is built from a copy of them; the second of each from another copy. Where
a file differs, the failure names the members in it that differ and how. The
builds share the Debian roots that scripts/debian-build keeps in this tree's
build/debian-build, as they share the compilers of this machine."""

import filecmp
import glob
import hashlib
import io
import os
import pathlib
import shutil
import subprocess
import tarfile
import tempfile
import unittest
import zipfile

from debian_packages import DEBS, PACKAGES, SOURCE, SOURCE_PACKAGE, VERSION

# Build trees, downloads, Git's data and the web tests' packages are no part of
# the sources.
SKIPPED_AT_TOP = {"build", "dist", ".git", ".cache"}
SKIPPED_ANYWHERE = {"node_modules", "__pycache__"}


def git_files():
    """Where the sources are a checkout, git's list of their files, committed or
    not, less what it ignores: what scripts/debian-build takes from them, and
    so what the first Debian packages were made of. Else None."""
    top = subprocess.run(["git", "-C", SOURCE, "rev-parse", "--show-toplevel"],
                         capture_output=True, text=True, check=False)
    if top.returncode != 0 or not os.path.samefile(top.stdout.strip(), SOURCE):
        return None
    listed = subprocess.run(["git", "-C", SOURCE, "ls-files", "-z", "--cached", "--others",
                             "--exclude-standard"], capture_output=True, text=True, check=True)
    return [name for name in listed.stdout.split("\0")
            if name and os.path.lexists(os.path.join(SOURCE, name))]


def copy_sources(destination):
    def skipped(directory, names):
        left_out = SKIPPED_ANYWHERE | (SKIPPED_AT_TOP if directory == SOURCE else set())
        return [name for name in names if name in left_out]

    # Plain copies, not copy2: every file gets the time of its copy, so the two
    # trees differ in that too.
    names = git_files()
    if names is None:
        shutil.copytree(SOURCE, destination, ignore=skipped, symlinks=True,
                        copy_function=shutil.copy)
        return
    for name in names:
        copy = os.path.join(destination, name)
        os.makedirs(os.path.dirname(copy), exist_ok=True)
        shutil.copy(os.path.join(SOURCE, name), copy, follow_symlinks=False)


def build(tree, output, umask, zone, *parts):
    """The release's downloads, at the SOURCE_DATE_EPOCH that package.build and the test get."""
    result = subprocess.run(
        [os.path.join(tree, "scripts", "release"), "--build-only", output, *parts],
        env=dict(os.environ, TZ=zone),
        umask=umask, capture_output=True, text=True, timeout=1500, check=False)
    if result.returncode != 0:
        raise AssertionError(f"the build in {tree} failed:\n{result.stdout}{result.stderr}")


def members(path):
    """Each member's name, metadata and the hash of its contents (a Debian
    package's, those of its two parts); each line of a .dsc."""
    if path.endswith(".dsc"):
        with open(path) as dsc:
            return dict(enumerate(dsc.read().splitlines()))
    if path.endswith(".zip"):
        with zipfile.ZipFile(path) as archive:
            return {info.filename: (info.date_time, oct(info.external_attr >> 16), info.extra,
                                    hashlib.sha256(archive.read(info)).hexdigest())
                    for info in archive.infolist()}
    if path.endswith(".tar.xz"):
        tars = {"": pathlib.Path(path).read_bytes()}
    else:
        tars = {f"{part}:": subprocess.run(["dpkg-deb", f"--{part}-tarfile", path],
                                           capture_output=True, check=True).stdout
                for part in ("ctrl", "fsys")}
    found = {}
    for prefix, data in tars.items():
        with tarfile.open(fileobj=io.BytesIO(data)) as archive:
            for member in archive.getmembers():
                contents = archive.extractfile(member).read() if member.isfile() else b""
                found[prefix + member.name] = (oct(member.mode), member.uid, member.gid,
                                               member.uname, member.gname, member.mtime,
                                               hashlib.sha256(contents).hexdigest())
    return found


def changed_since(tarball, tree):
    """The files whose contents differ between a source package's tarball and
    a tree of the sources, or that the tree has lost since."""
    with tarfile.open(tarball) as archive:
        packed = {member.name.split("/", 1)[1]: archive.extractfile(member).read()
                  for member in archive.getmembers() if member.isfile()}
    changed = []
    for name, contents in sorted(packed.items()):
        path = pathlib.Path(tree, name)
        if path.is_symlink() or not path.is_file() or path.read_bytes() != contents:
            changed.append(name)
    return changed


def describe(first, second):
    ours, theirs = members(first), members(second)
    lines = [f"{os.path.basename(first)} differs:"]
    for name in sorted(ours.keys() | theirs.keys()):
        if ours.get(name) != theirs.get(name):
            lines.append(f"  {name}: {ours.get(name)} / {theirs.get(name)}")
    if len(lines) == 1:
        lines.append("  the same members with the same contents, in another order or framing")
    return "\n".join(lines)


class Reproducible(unittest.TestCase):
    def test_two_builds_at_two_paths_give_the_same_bytes(self):
        with tempfile.TemporaryDirectory() as scratch:
            trees = [os.path.join(scratch, "first", "sorvane"),
                     os.path.join(scratch, "second-build", "elsewhere", "sorvane-copy")]
            outputs = [os.path.join(scratch, "first-downloads"),
                       os.path.join(scratch, "second-downloads")]

            copy_sources(trees[0])
            build(trees[0], outputs[0], 0o022, "UTC", "win64")
            for name in os.listdir(PACKAGES):
                shutil.copy(os.path.join(PACKAGES, name), outputs[0])
            copy_sources(trees[1])
            # package.build took the sources earlier in the run: where they
            # have been edited since, the builds would differ for that alone.
            changed = changed_since(os.path.join(PACKAGES, SOURCE_PACKAGE[1]), trees[1])
            self.assertEqual(changed, [], "the sources changed after package.build made the "
                             "first Debian packages: run it and this check again")
            # freeglut's tarball, pinned by its hash, is fetched once.
            download = os.path.join("build", "dist-windows", "freeglut", "download")
            os.makedirs(os.path.join(trees[1], download))
            for tarball in glob.glob(os.path.join(trees[0], download, "*.orig.tar.gz")):
                shutil.copy(tarball, os.path.join(trees[1], download))
            build(trees[1], outputs[1], 0o027, "XST-13:45", "debs", "win64")

            names = sorted([f"sorvane-{VERSION}-win64.zip", *SOURCE_PACKAGE,
                            *map(os.path.basename, DEBS.values())])
            for output in outputs:
                self.assertEqual(sorted(os.listdir(output)), names)
            for name in names:
                with self.subTest(name):
                    first, second = (os.path.join(output, name) for output in outputs)
                    if not filecmp.cmp(first, second, shallow=False):
                        self.fail(describe(first, second))


if __name__ == "__main__":
    unittest.main()
