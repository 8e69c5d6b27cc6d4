"""Base class of the capture and output tests: starting the program with chosen settings,
taking a capture through its menu commands and waiting for the picture it keeps."""

import time

from picture_checks import data_folder, make_screen_picture, paint_root, read_bitmap_when_complete
from pictorn_case import MAIN_TITLE, PictornTestCase
from support import poll
from xdisplay import HEIGHT, WIDTH

CMD_SAVE_AS = 1002
CMD_PRINT = 1003
CMD_COPY = 1006
CMD_EDITOR = 1007
CMD_PAINT = 1008
CMD_FULL_SCREEN = 1012
CMD_ACTIVE_WINDOW = 1014
CMD_RECTANGLE = 1016

# Generous: the tests run on a loaded two-core machine, and a deadline only costs time
# when something is broken.
CAPTURE_TIMEOUT = 20
AUTO_SAVE_TITLE = MAIN_TITLE + " - AutoSave activated"


class CaptureCase(PictornTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        # Every test sees the same known desktop, so any picture can be checked against it.
        cls.screen_points = make_screen_picture(cls.class_dir / "screen.png", WIDTH, HEIGHT)
        paint_root(cls.display, cls.class_dir / "screen.png", WIDTH, HEIGHT)

    def setUp(self):
        super().setUp()
        self.prefix.reg_delete_key(r"HKCU\Software\Orvanta")
        self.temp_bitmap = data_folder(self.prefix) / "tmpPictorn.bmp"
        self.temp_bitmap.unlink(missing_ok=True)
        self.main_title = MAIN_TITLE

    def start_and_wait(self, settings=None, start=None):
        """Starts the program (with these settings stored first, through `start` when given);
        returns its main window's record."""
        settings = settings or {}
        self.store_settings(settings)
        # The caption tells while auto-save is on.
        self.main_title = AUTO_SAVE_TITLE if settings.get("AutoSave") == "1" else MAIN_TITLE
        if start:
            self.processes.append(start())
        else:
            self.start_pictorn()
        found = self.driver.wait_window(self.main_title, timeout=CAPTURE_TIMEOUT)
        self.assertTrue(found.ok, f"no main window captioned {self.main_title!r}: {found}")
        return found.first

    def main_visible(self, pid):
        info = self.driver.window_info(self.main_title, pid=pid)  # finds visible windows only
        return info.ok and info.first["minimized"] == "0"

    def wait_main_visible(self, pid, timeout=CAPTURE_TIMEOUT):
        self.assertTrue(poll(lambda: self.main_visible(pid), timeout, step=0.2),
                        "the main window did not come back")

    def bitmap_stamp(self):
        return self.temp_bitmap.stat().st_mtime_ns if self.temp_bitmap.exists() else None

    def capture(self, command, pid):
        """Runs a capture command from the menu; returns the temporary bitmap it leaves and
        the seconds until the main window was back."""
        before = self.bitmap_stamp()
        started = time.monotonic()
        self.post(command, pid)
        return self.wait_capture(pid, before, started)

    def post(self, command, pid):
        """Posts a menu command to the main window, as choosing the menu entry does."""
        self.assertTrue(self.driver.post_command(self.main_title, command, pid=pid).ok)

    def wait_capture(self, pid, before, started=None):
        bitmap = read_bitmap_when_complete(self.temp_bitmap, CAPTURE_TIMEOUT, newer_than=before)
        self.assertIsNotNone(bitmap, f"no new complete {self.temp_bitmap.name}")
        self.wait_main_visible(pid)
        return bitmap

    def assert_pixels(self, bitmap, points, dx=0, dy=0, tolerance=0):
        """Each (x, y, colour) of the painted screen is at (x - dx, y - dy) in the bitmap,
        each channel within the tolerance."""
        def differs(found, colour):
            return any(abs(a - b) > tolerance for a, b in zip(found, colour))
        wrong = [(x, y, colour, bitmap.pixel(x - dx, y - dy)) for x, y, colour in points
                 if differs(bitmap.pixel(x - dx, y - dy), colour)]
        self.assertEqual(wrong, [], "pixels differ from the screen: (x, y, expected, found)")
