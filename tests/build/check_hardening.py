"""The shipped executable's hardening, as Debian's hardening-check reads it.

usage: check_hardening.py EXECUTABLE
"""

import re
import shutil
import subprocess
import sys
import unittest

# hardening-check's line and the answers accepted. Fortification applies only
# where the program calls a libc function that has a checked variant; when it
# calls none the tool answers "unknown", which is all it can say.
REQUIRED = {
    "Position Independent Executable": ("yes",),
    "Stack protected": ("yes",),
    "Fortify Source functions": ("yes", "unknown, no protectable libc functions used"),
    "Read-only relocations": ("yes",),
    "Immediate binding": ("yes",),
}


class Hardening(unittest.TestCase):
    def test_release_build_is_hardened(self):
        if shutil.which("hardening-check") is None:
            self.skipTest("hardening-check (devscripts) is not installed")
        report = subprocess.run(["hardening-check", EXECUTABLE], capture_output=True,
                                text=True, check=False).stdout
        for feature, accepted in REQUIRED.items():
            found = re.search(rf"^ {re.escape(feature)}: (.*)$", report, re.MULTILINE)
            self.assertIsNotNone(found, f"{feature} missing from:\n{report}")
            self.assertIn(found.group(1), accepted, feature)


if __name__ == "__main__":
    EXECUTABLE = sys.argv.pop(1)
    unittest.main()
