"""Captures when the disk or the settings misbehave, with the real pictorn.exe: a data folder
that refuses the temporary bitmap, a stored delay that cannot be used (no delay then)."""

import os
import shutil
import subprocess
import time
import unittest

from capture_case import CAPTURE_TIMEOUT, CMD_FULL_SCREEN, CaptureCase
from picture_checks import Bitmap, data_folder, paint_root, windows_path
from support import poll
from xdisplay import HEIGHT, WIDTH

NEW_SCREEN_COLOUR = (10, 200, 30)


class CaptureFailureTest(CaptureCase):
    def test_refused_temporary_bitmap_still_shows_and_auto_saves_the_new_capture(self):
        folder = self.auto_save_folder()
        main = self.start_and_wait(self.auto_save_settings(folder))
        pid = main["pid"]
        self.capture(CMD_FULL_SCREEN, pid)
        first = self.wait_files(folder, 1)

        self.make_read_only(data_folder(self.prefix))
        self.paint_plain_screen(NEW_SCREEN_COLOUR)
        self.post(CMD_FULL_SCREEN, pid)
        self.dismiss_write_failure(pid)

        newest = [name for name in self.wait_files(folder, 2) if name not in first]
        self.assertEqual(len(newest), 1, newest)
        saved = Bitmap.read(folder / newest[0])
        self.assertEqual(saved.pixel(WIDTH // 2, HEIGHT // 2), NEW_SCREEN_COLOUR,
                         "the new auto-save file holds an older capture")
        self.wait_main_visible(pid)
        self.assert_no_error_box(pid)

    def test_first_capture_is_kept_when_the_data_folder_refuses_the_bitmap(self):
        folder = self.auto_save_folder()
        data = data_folder(self.prefix)
        data.mkdir(parents=True, exist_ok=True)
        self.make_read_only(data)
        main = self.start_and_wait(self.auto_save_settings(folder))
        pid = main["pid"]
        self.post(CMD_FULL_SCREEN, pid)
        self.dismiss_write_failure(pid)
        saved = self.wait_files(folder, 1)
        self.assertEqual(Bitmap.read(folder / saved[0]).width, WIDTH)
        self.wait_main_visible(pid)
        self.assert_no_error_box(pid)

    def test_a_stored_delay_it_cannot_use_captures_without_delay(self):
        main = self.start_and_wait({"DelayActiveWindow": "abc"})
        pid = main["pid"]
        started = time.monotonic()
        self.assertEqual(self.capture(CMD_FULL_SCREEN, pid).width, WIDTH)
        self.assertLess(time.monotonic() - started, 5, "the capture waited for a delay")
        self.assert_no_error_box(pid)

    def test_leftovers_of_killed_saves_go_at_start_and_before_the_next_auto_save(self):
        folder = self.auto_save_folder()
        data = data_folder(self.prefix)
        data.mkdir(parents=True, exist_ok=True)
        leftover, lookalike = "~pictorn4711_3.tmp", "~pictorn-notes.tmp"
        for place in (data, folder):
            (place / leftover).write_bytes(bytes(1 << 20))
            (place / lookalike).write_text("mine")
        main = self.start_and_wait(self.auto_save_settings(folder))
        self.assertTrue(poll(lambda: not (data / leftover).exists(), CAPTURE_TIMEOUT),
                        "the leftover in the data folder is still there")
        self.assertTrue((folder / leftover).exists(), "nothing was written there yet")
        self.capture(CMD_FULL_SCREEN, main["pid"])
        self.wait_files(folder, 1)
        self.assertFalse((folder / leftover).exists())
        for place in (data, folder):
            self.assertEqual((place / lookalike).read_text(), "mine")

    # --- helpers --------------------------------------------------------------------------

    def auto_save_folder(self):
        folder = self.class_dir / f"{self._testMethodName}-shots"
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir()
        return folder

    @staticmethod
    def auto_save_settings(folder):
        # Bitmaps, so the test can read the saved pixels without a decoder.
        return {"AutoSave": "1", "DefaultFolder": windows_path(folder), "Extension": "0",
                "Prefix": "Shot_"}

    def make_read_only(self, folder):
        """Makes a folder refuse new files, for root too (which ignores permission bits),
        until the test ends."""
        if os.geteuid() == 0:
            subprocess.run(["chattr", "+i", str(folder)], check=True, timeout=30)
            self.addCleanup(subprocess.run, ["chattr", "-i", str(folder)], timeout=30)
        else:
            mode = folder.stat().st_mode
            folder.chmod(0o555)
            self.addCleanup(folder.chmod, mode)

    def paint_plain_screen(self, colour):
        picture = self.class_dir / "plain.png"
        subprocess.run(["convert", "-size", f"{WIDTH}x{HEIGHT}", "xc:rgb(%d,%d,%d)" % colour,
                        str(picture)], check=True, timeout=60)
        paint_root(self.display, picture, WIDTH, HEIGHT)
        # The screen of the class is painted again for the tests that follow.
        self.addCleanup(paint_root, self.display, self.class_dir / "screen.png", WIDTH, HEIGHT)

    def dismiss_write_failure(self, pid):
        box = self.driver.wait_messagebox("Error", timeout=CAPTURE_TIMEOUT, pid=pid)
        self.assertTrue(box.ok, box)
        text = " ".join(r.get("text", "") for r in box.records)
        self.assertIn("tmpPictorn.bmp", text)
        self.assertIn("saveTempandShowPicture", text)
        self.assertTrue(self.driver.click_button("Error", "OK", pid=pid).ok)

    def assert_no_error_box(self, pid):
        titles = [w["title"] for w in self.driver.list_windows(pid=pid).records]
        self.assertNotIn("Error", titles, "a second message followed the write failure")

    def wait_files(self, folder, count):
        """The names of the auto-saved files once there are `count` of them (a file being
        written is still under its temporary name)."""
        def saved():
            return sorted(p.name for p in folder.iterdir() if p.name.startswith("Shot_"))
        names = poll(lambda: len(saved()) >= count and saved(), CAPTURE_TIMEOUT)
        self.assertTrue(names, f"fewer than {count} files in {folder}")
        self.assertEqual(len(names), count, names)
        return names


if __name__ == "__main__":
    unittest.main()
