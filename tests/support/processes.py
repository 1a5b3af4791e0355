"""Waiting on conditions, and ending the processes that the tests start, each
in a session of its own, with everything in their process groups."""

import contextlib
import os
import signal
import subprocess
import time


@contextlib.contextmanager
def busy(count=2):
    """Keeps the CPU busy, as a build beside the program would: this many shell
    loops that never wait, for as long as the block runs."""
    loops = [subprocess.Popen(["sh", "-c", "while :; do :; done"], start_new_session=True)
             for _ in range(count)]
    try:
        yield
    finally:
        for loop in loops:
            loop.kill()
            loop.wait()


def wait_for(predicate, timeout, what, fail=True):
    """Polls predicate until it returns something true, and returns that. what
    names the condition in the failure; a callable is asked only then, so that
    it can tell the state at the end. With fail=False a timeout returns the
    last result instead."""
    deadline = time.monotonic() + timeout
    result = None
    while time.monotonic() < deadline:
        result = predicate()
        if result:
            return result
        time.sleep(0.02)
    if not fail:
        return result
    raise AssertionError(f"timed out waiting for {what() if callable(what) else what}")


def process_stat(pid):
    """A process's command name and the fields of /proc/PID/stat that follow
    it (state, parent, process group, session, ...); None once it has gone."""
    try:
        with open(f"/proc/{pid}/stat") as stat:
            name, fields = stat.read().split(" (", 1)[1].rsplit(") ", 1)
    except OSError:
        return None
    return name, fields.split()


def group_members(group):
    """The ids and command names of the live processes in a process group."""
    members = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        name, fields = process_stat(pid) or (None, None)
        # The state is the first field, the process group the third.
        if fields and fields[0] != "Z" and int(fields[2]) == group:
            members.append((int(pid), name))
    return members


def end(process, first=None):
    """Ends a process started in a session of its own, and everything else in
    its process group: what a desktop started (its session bus, its Xwayland)
    ends with it. Politely, so that X servers remove their lock files and
    sockets; the processes named `first` before the others, since a
    compositor ends its Xwayland itself but loses it if both are told at once."""
    def ended(name=None):
        process.poll()  # the leader, once reaped, no longer counts
        return not any(name in (None, member) for _, member in group_members(process.pid))

    if first:
        for pid, name in group_members(process.pid):
            if name == first:
                os.kill(pid, signal.SIGTERM)
        wait_for(lambda: ended(first), 5, f"{first} to end", fail=False)
    for number in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(process.pid, number)
        except ProcessLookupError:
            break
        if wait_for(ended, 5, "the process group to end", fail=False):
            break
    process.wait()
