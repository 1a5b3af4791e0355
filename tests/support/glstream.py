"""Reads the GL calls that apitrace recorded from a run."""

import re
import subprocess
from typing import NamedTuple

LINE = re.compile(r"^\d+ (\w+)\((.*)\)(?: = .*)?$")


class Call(NamedTuple):
    name: str
    args: tuple
    # True where the toolkit made the context current just before this call, as
    # it does before every callback it dispatches: a call without it was made by
    # the same callback as the call before it.
    dispatched: bool = False

    def numbers(self):
        return tuple(float(value) for value in self.args)


def read_trace(path):
    """The program's GL calls in order, without the window-system calls that the
    toolkit makes (glX*), the flush it adds before a swap, and apitrace's own
    bookkeeping. Each swap is kept as a call named 'swap'."""
    dump = subprocess.run(["apitrace", "dump", "--color=never", path], capture_output=True,
                          text=True, check=True).stdout
    calls = []
    dispatched = False
    for line in dump.splitlines():
        match = LINE.match(line)
        if not match or line.endswith("// fake"):
            continue
        name, args = match.groups()
        if name == "glXSwapBuffers":
            calls.append(Call("swap", ()))
        elif name == "glXMakeContextCurrent":
            dispatched = True
        elif not name.startswith("glX") and name != "glFlush":
            values = tuple(part.split(" = ", 1)[1] for part in args.split(", ")) if args else ()
            calls.append(Call(name, values, dispatched))
            dispatched = False
    return calls


def frames_per_reshape(calls):
    """For every viewport change, the window size and the number of frames drawn
    before the next one."""
    result = []
    for call in calls:
        if call.name == "glViewport":
            result.append([(int(call.args[2]), int(call.args[3])), 0])
        elif call.name == "glClear" and result:
            result[-1][1] += 1
    return [tuple(entry) for entry in result]
