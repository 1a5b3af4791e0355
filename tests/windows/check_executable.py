"""What Windows sees of sorvane.exe before it runs it: a console program that
needs only Windows' own DLLs, with ASLR and DEP on, its icon and its version.

usage: check_executable.py EXECUTABLE OBJDUMP WINDRES VERSION
"""

import re
import subprocess
import sys
import unittest

# DLLs that every Windows installation ships, as the PE import table names them.
SYSTEM_DLLS = {"advapi32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "opengl32.dll",
               "user32.dll", "winmm.dll"}


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, check=True).stdout


class Executable(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.headers = run(OBJDUMP, "--private-headers", EXECUTABLE)
        cls.resources = run(WINDRES, "--input", EXECUTABLE, "--input-format", "coff",
                            "--output-format", "rc")

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
    EXECUTABLE, OBJDUMP, WINDRES, VERSION = sys.argv[1:5]
    del sys.argv[1:5]
    unittest.main()
