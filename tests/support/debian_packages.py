"""The Debian packages that package.build makes for the checks that share them
(the folder that SORVANE_DEBIAN_PACKAGES names), and the minimal Debian roots
by suite that scripts/debian-build keeps (SORVANE_DEBIAN_ROOTS), made the
first time and kept as made; it builds the packages over them."""

import os
import subprocess

SOURCE = os.environ["SORVANE_SOURCE_DIR"]
VERSION = os.environ["SORVANE_VERSION"]
PACKAGES = os.environ["SORVANE_DEBIAN_PACKAGES"]
ROOTS = os.environ["SORVANE_DEBIAN_ROOTS"]
ARCHITECTURES = ("amd64", "arm64", "armhf", "riscv64")
SOURCE_PACKAGE = (f"sorvane_{VERSION}.dsc", f"sorvane_{VERSION}.tar.xz")
DEBS = {arch: os.path.join(PACKAGES, f"sorvane_{VERSION}_{arch}.deb") for arch in ARCHITECTURES}
MACHINE = subprocess.run(["dpkg", "--print-architecture"], capture_output=True, text=True,
                         check=True).stdout.strip()


class Root:
    """Commands as root in the kept root of a Debian release, ROOTS/suite (or
    ROOTS/name), with what they change laid over it in the folder layer where
    one is given."""

    def __init__(self, suite, layer=None, name=None):
        self.suite = suite
        self.command = [os.path.join(SOURCE, "scripts", "debian-root"),
                        *(("--layer", layer) if layer else ()), suite,
                        os.path.join(ROOTS, name or suite)]
        # apt's downloads are kept for each release where scripts/debian-build
        # keeps those of its layers, and in a layer where its apt keeps them.
        self.downloads = os.path.join(ROOTS, f"downloads-{suite}")
        self.archives = layer and os.path.join(layer, "changes", "var", "cache", "apt", "archives")

    def run(self, *command, stdin=None, timeout=900):
        result = subprocess.run([*self.command, *command], input=stdin, capture_output=True,
                                timeout=timeout, check=False)
        if result.returncode != 0:
            raise AssertionError(f"{' '.join(command)} failed in {self.suite}: "
                                 f"{result.stdout.decode()}{result.stderr.decode()}")
        return result.stdout.decode()
