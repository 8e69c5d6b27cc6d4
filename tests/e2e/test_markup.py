"""The mark-up window of the real pictorn.exe: a black-out dragged across the capture and
applied with Enter is in the temporary bitmap and in what Save As writes, exactly there and
nowhere else, and Ctrl+Z takes a step back to the captured pixels."""

import subprocess

from capture_case import CAPTURE_TIMEOUT, CMD_FULL_SCREEN, CMD_SAVE_AS, CaptureCase
from picture_checks import read_bitmap_when_complete, windows_path
from support import poll
from window_controls import COMMAND_IDS, read_controls

MARKUP_TITLE = "Mark Up Image"
CANVAS_CLASS = "PictornPictureView"
DIALOG_CLASS = "#32770"
FILE_NAME_EDIT = 0x47C
UNDO_ID, REDO_ID = 31, 32


def rows_of(bitmap):
    return [[bitmap.pixel(x, y) for x in range(bitmap.width)] for y in range(bitmap.height)]


def png_rows(path, width, height):
    raw = subprocess.run(["convert", str(path), "-depth", "8", "rgb:-"], capture_output=True,
                         check=True, timeout=60).stdout
    return [[tuple(raw[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)]
            for y in range(height)]


class MarkupTest(CaptureCase):
    def canvas(self, pid):
        controls = read_controls(self.driver, MARKUP_TITLE, pid=pid)
        self.assertTrue(controls.ok, controls.raw)
        found = controls.by_class(CANVAS_CLASS)
        self.assertEqual(len(found), 1, controls)
        return found[0]

    def steps_shown(self, pid):
        """Whether Undo and Redo are on: what the user sees of the steps."""
        controls = read_controls(self.driver, MARKUP_TITLE, pid=pid)
        enabled = {item["id"]: item["enabled"] for item in controls.items}
        return enabled.get(UNDO_ID), enabled.get(REDO_ID)

    def see_steps(self, pid, undo, redo, what):
        # The user's next key waits for what the last input showed: Wine may hand the window
        # a key typed at once before the mouse release that came first.
        self.assertTrue(poll(lambda: self.steps_shown(pid) == (undo, redo), 10),
                        f"{what}: Undo and Redo are {self.steps_shown(pid)}")

    def drag(self, x0, y0, x1, y1):
        self.xdotool("mousemove", "--sync", x0, y0, "mousedown", 1,
                     "mousemove", (x0 + x1) // 2, (y0 + y1) // 2, "mousemove", x1, y1,
                     "mouseup", 1)

    def test_black_out_applied_with_enter_is_in_every_file_and_ctrl_z_takes_it_back(self):
        pid = self.start_and_wait()["pid"]
        captured = rows_of(self.capture(CMD_FULL_SCREEN, pid))

        self.post(COMMAND_IDS["MarkUpImage"], pid)
        found = self.driver.wait_window(MARKUP_TITLE, timeout=CAPTURE_TIMEOUT, pid=pid)
        self.assertTrue(found.ok, f"the mark-up window did not open: {found}")
        self.assertTrue(poll(lambda: self.canvas(pid)["focused"], 10),
                        "the picture does not have the keyboard focus")
        canvas = self.canvas(pid)
        left, top = canvas["left"], canvas["top"]

        # A first black-out, taken back: what Enter applies must not keep any of it.
        self.xdotool("key", "b")
        self.drag(left + 300, top + 200, left + 420, top + 260)
        self.see_steps(pid, 1, 0, "after the first black-out")
        self.xdotool("key", "ctrl+z")
        self.see_steps(pid, 0, 1, "after Ctrl+Z")
        stamp = self.bitmap_stamp()
        self.drag(left + 30, top + 20, left + 230, top + 120)
        self.see_steps(pid, 1, 0, "after the second black-out")
        self.xdotool("key", "Return")
        self.assertTrue(self.driver.wait_gone(MARKUP_TITLE, pid=pid).ok,
                        "Enter did not close the mark-up window")

        bitmap = read_bitmap_when_complete(self.temp_bitmap, CAPTURE_TIMEOUT, newer_than=stamp)
        self.assertIsNotNone(bitmap, "the temporary bitmap was not written again")
        marked = rows_of(bitmap)
        expected = [[(0, 0, 0) if 30 <= x <= 230 and 20 <= y <= 120 else pixel
                     for x, pixel in enumerate(row)] for y, row in enumerate(captured)]
        wrong = [(x, y) for y, row in enumerate(marked) for x, pixel in enumerate(row)
                 if pixel != expected[y][x]]
        self.assertEqual(wrong[:10], [], f"{len(wrong)} pixels differ")

        target = self.class_dir / "marked.png"
        self.post(CMD_SAVE_AS, pid)
        self.assertTrue(self.driver.wait_window("Save", DIALOG_CLASS, timeout=CAPTURE_TIMEOUT,
                                                pid=pid).ok, "no Save dialog")
        typed = poll(lambda: self.driver("set-child-text", "Save", FILE_NAME_EDIT,
                                         windows_path(target), pid=pid).ok, 10)
        self.assertTrue(typed, "the Save dialog has no file name field")
        self.assertTrue(self.driver.click_button("Save", "Save", pid=pid).ok)
        self.assertTrue(poll(lambda: target.exists() and target.stat().st_size > 0,
                             CAPTURE_TIMEOUT), "Save As wrote nothing")
        saved = poll(lambda: _png_or_none(target, bitmap.width, bitmap.height), CAPTURE_TIMEOUT)
        self.assertTrue(saved == expected, "the saved PNG differs from the marked-up picture")


def _png_or_none(path, width, height):
    try:
        return png_rows(path, width, height)
    except subprocess.CalledProcessError:
        return None
