"""Shared bits of the end-to-end harness: where things are, and waiting with deadlines."""

import os
import time
from pathlib import Path

POLL_STEP = 0.05

# Displays and prefixes still running, so an interrupted run can stop them (by pid).
LIVE = []


def stop_all_live():
    while LIVE:
        try:
            LIVE.pop().stop()
        except Exception:  # noqa: BLE001 - stopping the rest matters more
            pass


def poll(condition, timeout, step=POLL_STEP):
    """Calls condition until it returns something truthy or timeout seconds pass.

    Returns that value, or None when the deadline passed."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            return None
        time.sleep(step)


def _required_path(variable):
    value = os.environ.get(variable)
    if not value:
        raise RuntimeError(f"{variable} is not set; run the tests through run_e2e.py")
    return Path(value).resolve()


def pictorn_exe():
    return _required_path("PICTORN_EXE")


def driver_exe():
    return _required_path("PICTORN_E2E_DRIVER")


def work_dir():
    return _required_path("PICTORN_E2E_WORK")


def wine_template():
    """A prepared prefix to clone, or None to create one in the work folder."""
    value = os.environ.get("PICTORN_WINE_TEMPLATE")
    return Path(value).resolve() if value else None
