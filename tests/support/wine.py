"""Runs of sorvane.exe under Wine, in the tests' prefix (WINEPREFIX), and the
table of runners that the tests shared with the native build take theirs from."""

import contextlib
import os
import subprocess
import tempfile

from sorvane import Sorvane

# libfaketime is preloaded into Wine itself, and so also into the desktop
# process when the run starts it (wine_session starts the server and the rest
# of the session beforehand). Frozen, the monotonic clock would stop their
# timeouts and with them the program's input; only the calendar clock, which
# seeds the figure and turns it, stays frozen. File times stay true, or Wine
# would take the prefix for outdated and rebuild it.
FROZEN_CLOCK_ENVIRONMENT = {"FAKETIME_DONT_FAKE_MONOTONIC": "1", "NO_FAKE_STAT": "1"}


def sorvane_exe(server, clock=None, **options):
    """A run of the executable on `server`, with its calendar clock frozen at
    `clock` where one is given; options as for Sorvane."""
    env = FROZEN_CLOCK_ENVIRONMENT if clock else None
    return Sorvane(server, wrapper=["wine"], clock=clock, env=env, **options)


def end_wine_processes():
    for option in ("--kill", "--wait"):
        subprocess.run(["wineserver", option], capture_output=True, timeout=30, check=False)


@contextlib.contextmanager
def wine_session(server):
    """Wine's processes for the prefix, begun afresh on `server` and ended with
    the block. The desktop process stays tied to the X server it started on (or
    to none, after a run without one), and a program started on another server
    could not open its window through it.

    The session is booted here, on the true clock, and its server kept for the
    block's runs, which then only start the program. As a session starts,
    wineboot times the processor's counter against the calendar clock (Wine 10
    does); frozen, that clock makes it divide by zero."""
    end_wine_processes()
    try:
        subprocess.run(["wineserver", "--persistent"], env=server.env, timeout=30, check=True)
        # The first program in a session boots it (wineboot run as a program
        # would boot it a second time, and the two service managers' clash
        # slows each run by about ten seconds); cmd's exit is the smallest. Its
        # output goes to a file: the session's processes keep its standard
        # streams open.
        with tempfile.TemporaryFile() as errors:
            boot = subprocess.run(["wine", "cmd", "/c", "exit"], env=server.env,
                                  stdout=subprocess.DEVNULL, stderr=errors, timeout=120,
                                  check=False)
            if boot.returncode != 0:
                errors.seek(0)
                raise AssertionError(f"Wine's session did not start: {errors.read().decode()}")
        yield
    finally:
        end_wine_processes()


# Each runner of SORVANE_BINARY, which SORVANE_RUNNER names (native by
# default): the session that its runs need on the server, a run (clock and
# options as for sorvane_exe), and the line end of its C runtime.
RUNNERS = {
    "native": (lambda server: contextlib.nullcontext(), Sorvane, "\n"),
    "wine": (wine_session, sorvane_exe, "\r\n"),
}
RUNNER = os.environ.get("SORVANE_RUNNER", "native")
