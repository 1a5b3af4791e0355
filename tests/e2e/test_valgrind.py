"""A run under valgrind's memcheck: some seconds of frames, then Escape, and no
error that the program's own code makes.

Errors inside Mesa, libGL and the toolkit are theirs and are left to them: an
error is the program's when the innermost frame of one of its stacks, past
valgrind's allocator and the C and C++ runtimes, lies in the sorvane executable.
Mesa's software rasteriser without LLVM (softpipe) draws the frames, since
LLVM compiling llvmpipe's shaders under valgrind takes several times longer; the
program's calls are the same.
"""

import os
import shutil
import tempfile
import unittest
import xml.etree.ElementTree as ET

from processes import wait_for
from sorvane import Sorvane, colours, expected_progress, program_binary
from xserver import XServer

# Frames drawn by the timer under memcheck before Escape.
FRAMES = 20
RUNTIME = ("vgpreload_", "/libc.so", "/libstdc++.so", "/libm.so", "/libgcc_s.so", "/ld-linux")


def program_errors(report, executable):
    """The errors in a memcheck XML report whose culprit is the executable."""
    found = []
    for error in ET.parse(report).getroot().iter("error"):
        for stack in error.iter("stack"):
            objects = [frame.findtext("obj") or "" for frame in stack.iter("frame")]
            culprit = next((obj for obj in objects if not any(r in obj for r in RUNTIME)), "")
            if culprit == executable:
                what = error.findtext("what") or error.find("xwhat").findtext("text")
                found.append(f"{error.findtext('kind')}: {what}")
                break
    return found


class Memcheck(unittest.TestCase):
    @unittest.skipIf(shutil.which("valgrind") is None, "valgrind is not installed")
    def test_no_error_in_the_programs_code(self):
        executable = os.path.realpath(program_binary())
        with tempfile.TemporaryDirectory() as scratch, XServer() as server:
            report = os.path.join(scratch, "memcheck.xml")
            wrapper = ["valgrind", "--tool=memcheck", "--leak-check=full", "--track-origins=yes",
                       "--num-callers=40", "--xml=yes", f"--xml-file={report}"]
            with Sorvane(server, wrapper=wrapper, env={"GALLIUM_DRIVER": "softpipe"},
                         count_frames=True) as program:
                # Small frames: the software rasteriser under valgrind is slow.
                program.resize(120, 120)
                wait_for(lambda: len(colours(program.screenshot())) > 100, 60, "the figure")
                program.wait_frames(program.frames() + FRAMES, timeout=120)
                self.assertEqual(program.escape_ok(timeout=120), expected_progress())
            # The report is complete and about this executable.
            tree = ET.parse(report).getroot()
            self.assertEqual(os.path.realpath(tree.findtext("args/argv/exe")), executable)
            self.assertIn("FINISHED", [state.text for state in tree.iter("state")])
            self.assertEqual(program_errors(report, executable), [])


if __name__ == "__main__":
    unittest.main()
