"""The main window and every preferences tab at 96 and 144 dpi: each visible control lies
inside its window and no two of them cover each other. Screenshots of every screen are kept
in <work>/screens/<dpi>/ for a person to look at."""

import unittest

from pictorn_case import MAIN_TITLE, PictornTestCase
from support import poll, work_dir
from ui_steps import UiSteps
from window_controls import CONTROL_IDS, read_controls

BS_TYPEMASK, BS_GROUPBOX = 0xF, 0x7
TAB_NAMES = ("general", "save-edit", "miscellaneous")
# Parts of the colour preview: a drawing made of overlapping pieces on purpose, and the
# panel that lies behind the delay's fields to carry their tooltip.
DRAWING = {CONTROL_IDS[name] for name in ("PREFS_SHAPE", "PREFS_SHAPE_INSIDE", "PREFS_LINE1",
                                          "PREFS_LINE2", "PREFS_DELAY_PANEL",
                                          "PREFS_FOCUSSINK")}


def is_frame(item):
    return item["class"] == "Button" and item["style"] & BS_TYPEMASK == BS_GROUPBOX


def overlap(a, b):
    return (min(a["right"], b["right"]) > max(a["left"], b["left"])
            and min(a["bottom"], b["bottom"]) > max(a["top"], b["top"]))


class ScreensTest(PictornTestCase, UiSteps):
    def tearDown(self):
        super().tearDown()
        self.set_dpi(96)

    def set_dpi(self, dpi):
        # Wine takes the screen resolution from the user's desktop settings when a program
        # starts, so one prefix serves both.
        result = self.prefix.run(["reg", "add", r"HKCU\Control Panel\Desktop", "/v",
                                  "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f"])
        self.assertEqual(result.returncode, 0, result)

    def shoot(self, dpi, name, rect, margin=10):
        folder = work_dir() / "screens" / str(dpi)
        folder.mkdir(parents=True, exist_ok=True)
        left, top = max(rect["left"] - margin, 0), max(rect["top"] - margin, 0)
        width = rect["right"] - rect["left"] + 2 * margin
        height = rect["bottom"] - rect["top"] + 2 * margin
        self.display.run(["import", "-window", "root", "-crop", f"{width}x{height}+{left}+{top}",
                          "+repage", str(folder / f"{name}.png")])

    def assert_laid_out(self, controls, where, ignore=frozenset()):
        client = controls.client
        shown = [c for c in controls.visible() if c["id"] not in ignore]
        for item in shown:
            inside = (item["left"] >= client["left"] and item["top"] >= client["top"]
                      and item["right"] <= client["right"] and item["bottom"] <= client["bottom"])
            self.assertTrue(inside, f"{where}: control {item['id']} {item['text']!r} reaches "
                                    f"outside the window {client}: {item}")
        solid = [c for c in shown if not is_frame(c) and c["class"] != "SysTabControl32"]
        for i, a in enumerate(solid):
            for b in solid[i + 1:]:
                self.assertFalse(overlap(a, b), f"{where}: {a['id']} {a['text']!r} and "
                                                f"{b['id']} {b['text']!r} cover each other")

    def test_main_window_and_preference_tabs(self):
        widths = {}
        for dpi in (96, 144):
            with self.subTest(dpi=dpi):
                self.set_dpi(dpi)
                try:
                    widths[dpi] = self.check_screens(dpi)
                finally:
                    self.stop_started()
        if len(widths) == 2:
            # Otherwise the second round did not test anything new.
            self.assertGreater(widths[144], widths[96] * 1.3, "the dialog did not grow at 144 dpi")

    def stop_started(self):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
                process.wait()
        poll(lambda: not self.driver.list_windows(MAIN_TITLE, hidden=True).records, 10)

    def check_screens(self, dpi):
        # Each round starts as a first start does, on the General tab.
        self.prefix.reg_delete_key(r"HKCU\Software\Orvanta")
        process, main = self.start_and_wait_main()
        pid = main["pid"]
        main_controls = read_controls(self.driver, MAIN_TITLE, pid=pid)
        self.shoot(dpi, "main", main_controls.outer())
        self.assert_laid_out(main_controls, f"{dpi} dpi, main window")

        self.open_preferences(pid)
        for index, name in enumerate(TAB_NAMES):
            prefs = self.select_tab(pid, index)
            self.xdotool("mousemove", 0, 0)  # no hover highlight in the picture
            self.shoot(dpi, f"prefs-{index}-{name}", prefs.outer())
            self.assert_laid_out(prefs, f"{dpi} dpi, tab {name}", ignore=DRAWING)
        self.press_done(pid)
        self.close_program(process, pid)
        return prefs.client["right"] - prefs.client["left"]


if __name__ == "__main__":
    unittest.main()
