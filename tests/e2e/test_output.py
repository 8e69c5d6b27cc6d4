"""What the user does with a capture of the real pictorn.exe: Save As in every type, the
clipboard, printing (to a private CUPS PDF printer) and the hand-off to an image editor."""

import shutil
import subprocess
import unittest
from pathlib import Path

from capture_case import (CAPTURE_TIMEOUT, CMD_COPY, CMD_EDITOR, CMD_FULL_SCREEN, CMD_PRINT,
                          CMD_SAVE_AS, CaptureCase)
from picture_checks import Bitmap, identify_when_complete, windows_path
from private_cups import PrivateCups
from support import driver_exe, pictorn_exe, poll
from xdisplay import HEIGHT, WIDTH

DIALOG_CLASS = "#32770"
# Controls of the common save dialog (Wine's and Windows' own template): the file name
# (an extended combo box whose edit shares the id) and the type list.
FILE_NAME_EDIT = 0x47C
FILE_TYPE_COMBO = 0x470

SAVE_TYPES = [  # extension, entry of the type list, what ImageMagick calls the format
    (".bmp", "Windows Bitmap file (*.bmp)", "BMP"),
    (".gif", "GIF file (*.gif)", "GIF"),
    (".jpg", "JPEG file (*.jpg)", "JPEG"),
    (".pcx", "PCX file (*.pcx)", "PCX"),
    (".png", "PNG Portable Graphics file (*.png)", "PNG"),
    (".psd", "PSD Adobe Photoshop file (*.psd)", "PSD"),
    (".tif", "TIFF file (*.tif)", "TIFF"),
]


class OutputTest(CaptureCase):
    def captured(self, settings=None, env=None):
        """The program started (with these settings and extra environment) and a full-screen
        capture taken; returns its pid."""
        start = (lambda: self.prefix.start([pictorn_exe()], extra_env=env)) if env else None
        pid = self.start_and_wait(settings, start)["pid"]
        self.capture(CMD_FULL_SCREEN, pid)
        return pid

    def test_save_as_writes_every_type(self):
        pid = self.captured()
        folder = self.class_dir / "saved"
        folder.mkdir()
        expected_type = "PNG Portable Graphics file (*.png)"  # where a first Save As starts
        for extension, type_entry, format_name in SAVE_TYPES:
            target = folder / f"picture{extension}"
            texts = self.open_save_dialog(pid)
            self.assertEqual((texts.get(FILE_TYPE_COMBO), texts.get(FILE_NAME_EDIT)),
                             (expected_type, "Pictorn"),
                             f"{extension}: the dialog did not start on the last type used")
            typed = self.driver("set-child-text", "Save", FILE_NAME_EDIT, windows_path(target),
                                pid=pid)
            self.assertTrue(typed.ok, typed)
            self.assertTrue(self.driver.click_button("Save", "Save", pid=pid).ok)
            self.assertTrue(self.driver.wait_gone("Save", DIALOG_CLASS, pid=pid).ok,
                            f"{extension}: the dialog stayed open")
            found = identify_when_complete(target, CAPTURE_TIMEOUT)
            self.assertIsNotNone(found, f"{target.name} missing or unreadable")
            self.assertEqual((found[0][:len(format_name)], found[1], found[2]),
                             (format_name, WIDTH, HEIGHT), target.name)
            self.wait_main_visible(pid)
            expected_type = type_entry
        self.assertEqual(sorted(p.name for p in folder.iterdir()),
                         sorted(f"picture{e}" for e, _, _ in SAVE_TYPES))

    def test_copy_puts_bitmap_and_png_on_clipboard(self):
        pid = self.captured()
        self.post(CMD_COPY, pid)

        def clipboard():
            info = self.driver("clipboard-info", 5000)
            return info.first if info.ok and info.first.get("dib") == "1" else None
        info = poll(clipboard, CAPTURE_TIMEOUT, step=0.2)
        self.assertTrue(info, "no bitmap on the clipboard")
        self.assertEqual((int(info["dib_width"]), int(info["dib_height"])), (WIDTH, HEIGHT))
        self.assertEqual(info["png"], "1", "no PNG format on the clipboard")
        self.assertEqual((int(info["png_width"]), int(info["png_height"])), (WIDTH, HEIGHT))
        self.assertTrue(self.main_visible(pid))

    def test_editor_gets_the_short_path_of_the_picture(self):
        # A blank in the folder: an unquoted command line would split the editor's path.
        folder = self.class_dir / "My Editor"
        folder.mkdir()
        editor = folder / "editor_stub.exe"
        shutil.copy(Path(driver_exe()).parent / "e2e_editor_stub.exe", editor)
        pid = self.captured({"Editor": windows_path(editor)})
        self.post(CMD_EDITOR, pid)
        report = folder / "args.txt"
        self.assertTrue(poll(report.exists, CAPTURE_TIMEOUT), "the editor was not started")
        lines = report.read_text(encoding="utf-8").split("\n")
        command_line, count, argument, long_form = lines[:4]
        self.assertEqual(count, "1", f"not one argument: {command_line!r}")
        self.assertNotIn(" ", argument, f"not a short path: {command_line!r}")
        drive_c = self.prefix.path / "drive_c"
        expected = "C:\\" + str(self.temp_bitmap.relative_to(drive_c)).replace("/", "\\")
        self.assertEqual(long_form.lower(), expected.lower(), command_line)
        bitmap = Bitmap.read(self.temp_bitmap)
        self.assertEqual((bitmap.width, bitmap.height), (WIDTH, HEIGHT))

    def test_print_without_printers_says_so(self):
        pid = self.captured(env={"CUPS_SERVER": str(self.class_dir / "no-cupsd.sock")})
        self.post(CMD_PRINT, pid)
        box = self.driver.wait_messagebox("Found no printers", pid=pid)
        self.assertTrue(box.ok, box)
        texts = [r["text"] for r in box.records if r.get("kind") == "text"]
        self.assertEqual(texts, ["Couldn't locate any printers on your system."])
        self.assertFalse(self.main_visible(pid), "the main window stays hidden while printing")
        self.assertTrue(self.driver.click_button("Found no printers", "OK", pid=pid).ok)
        self.wait_main_visible(pid)

    # --- helpers --------------------------------------------------------------------------

    def open_save_dialog(self, pid):
        """Opens Save As; returns the dialog's control texts by control id."""
        self.post(CMD_SAVE_AS, pid)
        found = self.driver.wait_window("Save", DIALOG_CLASS, timeout=CAPTURE_TIMEOUT, pid=pid)
        self.assertTrue(found.ok, f"no Save dialog: {found}")

        def controls():
            records = self.driver.children("Save", DIALOG_CLASS, pid=pid).records
            texts = {int(r["id"]): r["text"] for r in records if r.get("visible") == "1"}
            return texts if texts.get(FILE_NAME_EDIT) else None
        texts = poll(controls, 10, step=0.2)
        self.assertTrue(texts, "the Save dialog has no file name field")
        return texts


class PrintTest(CaptureCase):
    """Printing to a PDF printer of a CUPS server of the test's own."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.cups = PrivateCups(cls.class_dir / "cups")
        cls.cups_problem = cls.cups.start()

    @classmethod
    def tearDownClass(cls):
        cls.cups.stop()
        super().tearDownClass()

    def test_print_makes_a_pdf_with_the_picture(self):
        if self.cups_problem:
            self.skipTest(self.cups_problem)
        pid = self.start_and_wait(
            start=lambda: self.prefix.start([pictorn_exe()], extra_env=self.cups.env()))["pid"]
        self.capture(CMD_FULL_SCREEN, pid)
        self.post(CMD_PRINT, pid)
        pdf = poll(self.cups.finished_pdf, 60, step=0.2)
        self.assertTrue(pdf, f"no PDF in {self.cups.output}; cupsd log: {self.cups.log_tail()}")
        self.wait_main_visible(pid)
        # The page holds the screen picture itself (colours may shift a little on the way
        # through PostScript and Ghostscript).
        images = self.class_dir / "printed"
        subprocess.run(["pdfimages", "-png", str(pdf), str(images)], check=True, timeout=60)
        found = sorted(self.class_dir.glob("printed-*.png"))
        self.assertEqual(len(found), 1, f"{pdf.name} should hold one picture: {found}")
        as_bitmap = self.class_dir / "printed.bmp"
        subprocess.run(["convert", str(found[0]), f"BMP3:{as_bitmap}"], check=True, timeout=60)
        printed = Bitmap.read(as_bitmap)
        self.assertEqual((printed.width, printed.height), (WIDTH, HEIGHT))
        self.assert_pixels(printed, self.screen_points, tolerance=8)


if __name__ == "__main__":
    unittest.main()
