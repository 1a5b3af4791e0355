"""Runs of sorvane.exe under Wine, in the tests' prefix (WINEPREFIX)."""

import contextlib
import subprocess

from harness import Sorvane

# libfaketime is preloaded into Wine itself, and so also into the wineserver and
# the desktop process when the run starts them. Frozen, the monotonic clock
# would stop their timeouts and with them the program's input; only the
# calendar clock, which seeds the figure and turns it, stays frozen. File times
# stay true, or Wine would take the prefix for outdated and rebuild it.
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
def wine_session():
    """Wine's processes for the prefix, begun afresh on the test's X server and
    ended with the block. The desktop process stays tied to the X server it
    started on (or to none, after a run without one), and a program started on
    another server could not open its window through it."""
    end_wine_processes()
    try:
        yield
    finally:
        end_wine_processes()
