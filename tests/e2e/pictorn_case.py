"""Base class of the end-to-end tests: each test class gets its own X display and a fresh
Wine prefix; each test kills, by process id, every process it started."""

import re
import shutil
import unittest

from driver_client import Driver
from support import pictorn_exe, poll, wine_template, work_dir
from wineprefix import WinePrefix
from xdisplay import XDisplay

SETTINGS_KEY = r"HKCU\Software\Orvanta\Pictorn"
MAIN_TITLE = "Pictorn"


class PictornTestCase(unittest.TestCase):
    display = None
    prefix = None
    driver = None

    @classmethod
    def setUpClass(cls):
        cls.class_dir = work_dir() / cls.__name__
        shutil.rmtree(cls.class_dir, ignore_errors=True)
        cls.class_dir.mkdir(parents=True)
        template = wine_template() or WinePrefix.ensure_template(work_dir() / "wine-template")
        cls.display = XDisplay(cls.class_dir / "x")
        cls.display.start()
        try:
            cls.prefix = WinePrefix(cls.class_dir / "prefix", cls.display.env())
            cls.prefix.clone_from(template)
            cls.prefix.start_server()
        except BaseException:
            cls._stop_class_services()
            raise
        cls.driver = Driver(cls.prefix)

    @classmethod
    def tearDownClass(cls):
        cls._stop_class_services()

    @classmethod
    def _stop_class_services(cls):
        if cls.prefix is not None:
            cls.prefix.kill_server()
        if cls.display is not None:
            cls.display.stop()

    def setUp(self):
        self.processes = []

    def tearDown(self):
        if self._failed():
            self.display.screenshot(self.class_dir / f"{self._testMethodName}.png")
        for process in self.processes:
            if process.poll() is None:
                process.kill()
                process.wait()
        # Killed Windows processes leave their windows and named objects to the wineserver;
        # the next test needs them gone.
        poll(lambda: not self.driver.list_windows(MAIN_TITLE, hidden=True).records, 10)

    def _failed(self):
        """Whether this test has failed so far (unittest offers no public way to ask)."""
        result = getattr(getattr(self, "_outcome", None), "result", None)
        if result is None:
            return False
        return any(test is self for test, _ in result.failures + result.errors)

    # --- helpers for the tests -----------------------------------------------------------

    def store_setting(self, name, data, kind="REG_SZ"):
        result = self.prefix.reg_add(SETTINGS_KEY, name, kind, str(data))
        if result.returncode != 0:
            # On a loaded machine Wine's reg.exe has ended with 1 without a word and without
            # touching the registry; a failure that repeats is a real one.
            result = self.prefix.reg_add(SETTINGS_KEY, name, kind, str(data))
        self.assertEqual(result.returncode, 0, f"reg add {name}: {result}")

    def store_settings(self, values):
        for name, text in values.items():
            self.store_setting(name, text)

    def start_pictorn(self):
        process = self.prefix.start([pictorn_exe()])
        self.processes.append(process)
        return process

    def wait_main_window(self, timeout=15):
        """Waits for the visible main window and returns its record (hwnd, pid, ...)."""
        result = self.driver.wait_window(f"{MAIN_TITLE}", timeout=timeout)
        self.assertTrue(result.ok, f"no visible window captioned {MAIN_TITLE!r}: {result}")
        return result.first

    def wait_process_exit(self, process, timeout):
        """True when the Popen ended within timeout seconds."""
        return poll(lambda: process.poll() is not None, timeout) is not None

    def xdotool(self, *args):
        result = self.display.run(["xdotool", *map(str, args)])
        self.assertEqual(result.returncode, 0, f"xdotool {args}: {result.stderr}")
        return result.stdout

    def activate_main_window(self):
        """Gives the X focus to the main window, as a click on it would."""
        found = poll(lambda: self.display.run(
            ["xdotool", "search", "--name", f"^{re.escape(MAIN_TITLE)}$"]).stdout.split(), 10)
        self.assertTrue(found, "no X window for the main window")
        self.xdotool("windowactivate", "--sync", found[0])
        return found[0]
