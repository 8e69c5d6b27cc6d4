"""The main window as a user meets it: where it opens and what closing remembers, the hotkey
summary, starting into the tray, the About box and the Help command."""

import datetime
import re
import unittest

from pictorn_case import MAIN_TITLE, PictornTestCase
from support import poll
from ui_steps import DIALOG_CLASS, UiSteps
from window_controls import program_version, read_controls
from xdisplay import HEIGHT, WIDTH

TWIPS_PER_PIXEL = 15  # 1440 twips per inch at 96 dpi
# The window is centred with its first, smaller size (client 8055 x 4290 twips), before
# start-up gives it its fixed size.
FIRST_CLIENT = (8055 // TWIPS_PER_PIXEL, 4290 // TWIPS_PER_PIXEL)
SUMMARY_ID = 101
HOTKEY_SUMMARY = ("CTRL+SHIFT+F  = Full Screen   -   CTRL+W  = Active Window   -   "
                  "CTRL+R  = Rectangle (mouse selection)")


class MainWindowTest(PictornTestCase, UiSteps):
    def setUp(self):
        super().setUp()
        self.prefix.reg_delete_key(r"HKCU\Software\Orvanta")

    def expected_centre(self, info):
        """Top-left corner of the window centred with its first size."""
        frame_w = (info["right"] - info["left"]) - info["client_width"]
        frame_h = (info["bottom"] - info["top"]) - info["client_height"]
        return ((WIDTH - FIRST_CLIENT[0] - frame_w) // 2,
                (HEIGHT - FIRST_CLIENT[1] - frame_h) // 2)

    def assert_at(self, info, left, top, what, slack=1):
        # A pixel either way: twips are rounded to whole pixels.
        self.assertLessEqual(abs(info["left"] - left), slack, f"{what}: {info}")
        self.assertLessEqual(abs(info["top"] - top), slack, f"{what}: {info}")

    def assert_centred(self, info, what):
        # The first size's frame is only estimated from the final one (the menu bar's
        # height may differ by a few pixels), hence the slack.
        self.assert_at(info, *self.expected_centre(info), what, slack=8)

    def test_first_start_centres_and_closing_remembers_the_place(self):
        process, main = self.start_and_wait_main()
        pid = main["pid"]
        info = self.main_info(pid)
        self.assert_centred(info, "not centred on a first start")
        self.assertEqual((info["right"] - info["left"], info["bottom"] - info["top"]),
                         (8475 // TWIPS_PER_PIXEL, 5600 // TWIPS_PER_PIXEL),
                         "not the main window's fixed size")
        summary = [c for c in read_controls(self.driver, MAIN_TITLE, pid=pid).items
                   if c["id"] == SUMMARY_ID]
        self.assertEqual([c["text"] for c in summary], [HOTKEY_SUMMARY])
        self.assertTrue(summary[0]["visible"])
        self.assertTrue(summary[0]["left"] >= info["left"] and summary[0]["right"] <= info["right"]
                        and summary[0]["bottom"] <= info["bottom"],
                        f"the hotkey summary lies outside the window: {summary[0]}")

        self.close_program(process, pid)
        stored = self.stored_values()
        self.assertEqual(stored.get("Startup"), "True")
        self.assertEqual((int(stored.get("Left", "x")), int(stored.get("Top", "x"))),
                         (info["left"] * TWIPS_PER_PIXEL, info["top"] * TWIPS_PER_PIXEL),
                         "closing did not store the window's place in twips")

        # The next start opens where the window was closed.
        process, main = self.start_and_wait_main()
        self.assert_at(self.main_info(main["pid"]), info["left"], info["top"],
                       "not reopened where it was closed")
        self.close_program(process, main["pid"])

    def test_stored_place_used_unless_off_screen(self):
        self.store(Startup="True", Top=100 * TWIPS_PER_PIXEL, Left=200 * TWIPS_PER_PIXEL)
        process, main = self.start_and_wait_main()
        self.assert_at(self.main_info(main["pid"]), 200, 100, "the stored place was not used")
        self.close_program(process, main["pid"])

        # A window left on a monitor that has gone (a negative left) comes back centred.
        self.store(Startup="True", Top=100 * TWIPS_PER_PIXEL, Left=-300 * TWIPS_PER_PIXEL)
        process, main = self.start_and_wait_main()
        info = self.main_info(main["pid"])
        self.assert_centred(info, "not centred after a negative left")
        self.close_program(process, main["pid"])

    def test_start_minimized_into_the_tray_and_back(self):
        self.store(StartMinimized=1, SystemTray=1)
        process = self.start_pictorn()
        hidden = poll(lambda: self.driver.list_windows(MAIN_TITLE, hidden=True).records, 20)
        self.assertTrue(hidden, "no main window was created")
        pid = hidden[0]["pid"]
        tray = self.tray_window()
        self.assertIsNotNone(tray, "no tray icon appeared")
        visible = self.driver.list_windows(MAIN_TITLE, pid=pid).records
        self.assertEqual(visible, [], "the main window is visible although started into the tray")

        self.xdotool("mousemove", "--window", tray, 10, 10, "click", 1)
        back = self.driver.wait_window(MAIN_TITLE, timeout=20, pid=pid)
        self.assertTrue(back.ok, "a click on the tray icon did not bring the window back")
        info = self.main_info(pid)
        self.assertEqual((info["visible"], info["minimized"]), (1, 0), info)

        self.close_program(process, pid)
        self.assertTrue(poll(lambda: not self.display.run(
            ["xdotool", "search", "--onlyvisible", "--name", "^Wine System Tray$"]).stdout, 10),
            "the tray icon stayed after the program ended")

    def test_about_box(self):
        process, main = self.start_and_wait_main()
        pid = main["pid"]
        self.post("About", pid)
        box = self.driver.wait_window("About", DIALOG_CLASS, timeout=20, pid=pid)
        self.assertTrue(box.ok, f"no About box: {box}")
        about = read_controls(self.driver, "About", DIALOG_CLASS, pid=pid)
        year = str(datetime.date.today().year)
        self.assertEqual(about["ABOUT_VERSION"]["text"], f"Version {program_version()}")
        self.assertTrue(about["ABOUT_COPYRIGHT"]["text"].endswith(year), about["ABOUT_COPYRIGHT"])
        self.assertEqual(about["ABOUT_PROGTITLE"]["text"], "Pictorn")
        self.assertFalse(self.main_info(pid)["enabled"], "the About box is not modal")

        self.assertTrue(self.driver.click_button("About", "Ok", pid=pid).ok)
        self.assertTrue(self.driver.wait_gone("About", DIALOG_CLASS, timeout=15, pid=pid).ok,
                        "Ok did not close the About box")
        self.assertTrue(poll(lambda: self.main_info(pid)["enabled"], 10),
                        "the main window stayed disabled after the About box")
        self.close_program(process, pid)

    def test_help_opens_the_readme_in_notepad(self):
        process, main = self.start_and_wait_main()
        pid = main["pid"]
        self.post("Help", pid)

        def notepad():
            return [w for w in self.driver.list_windows().records
                    if re.search("readme", w["title"], re.I) and w["pid"] != str(pid)]
        found = poll(notepad, 20)
        try:
            self.assertTrue(found, "no Notepad window with the readme appeared")
            self.assertRegex(found[0]["title"], "(?i)notepad")
        finally:
            for window in found or []:
                self.stop_windows_process(window["title"], window["pid"])
        self.close_program(process, pid)

    def stop_windows_process(self, title, pid):
        """Ends a program the one under test started: closed as a user would, killed by its
        process id when that does not work."""
        self.driver.close(title, pid=pid)
        if not self.driver.wait_pid_exit(pid, timeout=10).ok:
            self.prefix.run(["taskkill", "/F", "/PID", pid], timeout=30)
            self.driver.wait_pid_exit(pid, timeout=10)


if __name__ == "__main__":
    unittest.main()
