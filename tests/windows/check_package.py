"""The zip as it ships, and what Windows sees of its sorvane.exe before running it:
a console program that needs only Windows' own DLLs, with ASLR and DEP on, its
icon and its version.

usage: check_package.py CPACK CPACK_CONFIG OBJDUMP WINDRES VERSION
"""

import re
import subprocess
import sys
import tempfile
import unittest
import zipfile

# DLLs that every Windows installation ships, as the PE import table names them.
SYSTEM_DLLS = {"advapi32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "opengl32.dll",
               "user32.dll", "winmm.dll"}


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, check=True).stdout


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with tempfile.TemporaryDirectory() as scratch:
            # CPack as ./scripts/package runs it, into a folder of the test's own.
            run(CPACK, "-G", "ZIP", "--config", CPACK_CONFIG, "-B", scratch)
            folder = f"sorvane-{VERSION}-win64"
            with zipfile.ZipFile(f"{scratch}/{folder}.zip") as package:
                cls.names = set(package.namelist())
                executable = package.extract(f"{folder}/sorvane.exe", scratch)
            cls.headers = run(OBJDUMP, "--private-headers", executable)
            cls.resources = run(WINDRES, "--input", executable, "--input-format", "coff",
                                "--output-format", "rc")

    def test_package_contents(self):
        self.assertEqual(self.names, {f"sorvane-{VERSION}-win64/{name}" for name in
                                      ("sorvane.exe", "README.md", "LICENSE.txt",
                                       "CHANGELOG.txt")})

    def test_imports_only_system_dlls(self):
        imports = {name.lower() for name in re.findall(r"DLL Name: (\S+)", self.headers)}
        self.assertIn("opengl32.dll", imports)
        self.assertLessEqual(imports, SYSTEM_DLLS)

    def test_console_program_with_aslr_and_dep(self):
        self.assertRegex(self.headers, r"Subsystem\s+00000003\s+\(Windows CUI\)")
        flags = re.search(r"DllCharacteristics\s+\S+\n((?:\t+\S+\n)*)", self.headers)
        self.assertIsNotNone(flags, self.headers)
        self.assertLessEqual({"HIGH_ENTROPY_VA", "DYNAMIC_BASE", "NX_COMPAT"},
                             set(flags.group(1).split()))

    def test_icon_and_version(self):
        # The toolkit's window class takes the icon of this name.
        self.assertIn('"GLUT_ICON" 14 /* RT_GROUP_ICON */', self.resources)
        numbers = ", ".join(VERSION.split(".") + ["0"])
        self.assertIn(f"FILEVERSION {numbers}", self.resources)
        for key, value in (("ProductName", "sorvane"), ("ProductVersion", VERSION),
                           ("FileVersion", VERSION), ("OriginalFilename", "sorvane.exe")):
            self.assertIn(f'VALUE "{key}", "{value}"', self.resources)
        self.assertRegex(self.resources, r'VALUE "FileDescription", "[^"]+"')


if __name__ == "__main__":
    CPACK, CPACK_CONFIG, OBJDUMP, WINDRES, VERSION = sys.argv[1:6]
    del sys.argv[1:6]
    unittest.main()
