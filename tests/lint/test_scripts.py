"""Every command in scripts/ answers --help and -h with its usage and status 0,
and an unknown argument with a one-line error and status 2, at once: before
it installs, builds or writes anything."""

import os
import subprocess
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
COMMANDS = sorted(name for name in os.listdir(os.path.join(ROOT, "scripts"))
                  if os.access(os.path.join(ROOT, "scripts", name), os.X_OK))
# Each argument with the status it must give and where the answer goes.
ANSWERS = (("--help", 0, "stdout"), ("-h", 0, "stdout"), ("--no-such-option", 2, "stderr"))


def changes():
    """git's word on what differs from the commit, or None outside a checkout."""
    result = subprocess.run(["git", "-C", ROOT, "status", "--porcelain", "--untracked-files=all"],
                            capture_output=True, text=True, timeout=60, check=False)
    return result.stdout if result.returncode == 0 else None


class Arguments(unittest.TestCase):
    def test_help_and_unknown_arguments(self):
        before = changes()
        for name in COMMANDS:
            for argument, status, stream in ANSWERS:
                with self.subTest(command=name, argument=argument):
                    result = subprocess.run([os.path.join(ROOT, "scripts", name), argument],
                                            capture_output=True, text=True, timeout=5)
                    self.assertEqual(result.returncode, status, result.stderr)
                    answer = getattr(result, stream).strip()
                    if status == 0:
                        self.assertRegex(answer, r"^usage: ")
                    else:
                        self.assertEqual(len(answer.splitlines()), 1, answer)
        self.assertEqual(changes(), before, "a command wrote files")


if __name__ == "__main__":
    unittest.main()
