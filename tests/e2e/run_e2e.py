#!/usr/bin/python3
"""Runs the end-to-end tests against a Windows build tree.

    /usr/bin/python3 tests/e2e/run_e2e.py --build build/win [--work DIR] [unittest args...]

Each test class gets a private X display and a fresh Wine prefix cloned from a template
prefix that is created once per Wine version (in the work folder, or --template)."""

import argparse
import os
import signal
import sys
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True, type=Path, help="the mingw-w64 build folder")
    parser.add_argument("--work", type=Path, help="folder for prefixes and logs")
    parser.add_argument("--template", type=Path, help="a prepared Wine prefix to clone")
    parser.add_argument("-k", dest="patterns", action="append", default=[],
                        help="only tests matching this substring (repeatable)")
    parser.add_argument("-q", "--quiet", action="store_true")
    options = parser.parse_args()

    build = options.build.resolve()
    os.environ["PICTORN_EXE"] = str(build / "src" / "pictorn.exe")
    os.environ["PICTORN_E2E_DRIVER"] = str(build / "tests" / "e2e_driver.exe")
    os.environ["PICTORN_E2E_WORK"] = str((options.work or build / "e2e").resolve())
    if options.template:
        os.environ["PICTORN_WINE_TEMPLATE"] = str(options.template.resolve())
    for variable in ("PICTORN_EXE", "PICTORN_E2E_DRIVER"):
        if not Path(os.environ[variable]).exists():
            print(f"missing {os.environ[variable]}", file=sys.stderr)
            return 2

    sys.path.insert(0, str(HERE))
    import support  # only importable once the path is set

    # timeout(1) and CI cancel with SIGTERM: unwind so that the finally below stops the
    # displays and wineservers of the running test class.
    # (KeyboardInterrupt, because unittest records any other exception as a test error
    # and goes on.)
    signal.signal(signal.SIGTERM, _interrupt)
    try:
        return run_tests(options)
    finally:
        support.stop_all_live()


def _interrupt(*_):
    raise KeyboardInterrupt


def run_tests(options):
    loader = unittest.TestLoader()
    if options.patterns:
        loader.testNamePatterns = [f"*{p}*" for p in options.patterns]
    suite = loader.discover(str(HERE), pattern="test_*.py", top_level_dir=str(HERE))
    runner = unittest.TextTestRunner(verbosity=1 if options.quiet else 2)
    result = runner.run(suite)
    if result.testsRun == 0:
        print("no end-to-end tests ran", file=sys.stderr)
        return 1
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
