"""Start-up, single instance, settings key and closing of the real pictorn.exe."""

import unittest

from pictorn_case import MAIN_TITLE, SETTINGS_KEY, PictornTestCase
from support import poll

POPUP_MENU_CLASS = "#32768"
DIALOG_CLASS = "#32770"


class StartupTest(PictornTestCase):
    def setUp(self):
        super().setUp()
        self.prefix.reg_delete_key(r"HKCU\Software\Orvanta")

    def test_main_window_with_working_menu_bar(self):
        self.start_pictorn()
        main = self.wait_main_window()
        info = self.driver.window_info(MAIN_TITLE, pid=main["pid"])
        self.assertTrue(info.ok, info)
        self.assertEqual(info.first["caption"], MAIN_TITLE)
        self.assertEqual(info.first["visible"], "1")
        self.assertEqual(info.first["menu"], "1", "the main window has no menu bar")

        self.activate_main_window()
        self.xdotool("key", "alt+f")
        menu = self.driver.wait_window("*", POPUP_MENU_CLASS, timeout=5, pid=main["pid"])
        self.assertTrue(menu.ok, f"Alt+F opened no menu: {menu}")
        self.xdotool("key", "Escape")
        # The first Escape may only close the popup and leave the menu bar selected.
        gone = self.driver.wait_gone("*", POPUP_MENU_CLASS, timeout=5, pid=main["pid"])
        self.assertTrue(gone.ok, "Escape left the menu open")

    def test_creates_settings_key(self):
        self.start_pictorn()
        self.wait_main_window()
        self.assertTrue(poll(lambda: self.prefix.reg_query(SETTINGS_KEY).returncode == 0, 5),
                        f"{SETTINGS_KEY} was not created")

    def test_second_instance_says_so_and_ends(self):
        self.start_pictorn()
        first = self.wait_main_window()

        second = self.start_pictorn()
        box = self.driver.wait_messagebox("Info", timeout=15)
        self.assertTrue(box.ok, f"no 'Info' message box: {box}")
        self.assertNotEqual(box.first["pid"], first["pid"], "the running copy showed the box")
        texts = [r["text"] for r in box.records if r.get("kind") == "text"]
        buttons = [r["text"] for r in box.records if r.get("kind") == "button"]
        self.assertEqual(texts, ["Pictorn is already running..."])
        self.assertEqual(buttons, ["OK"])

        self.assertTrue(self.driver.click_button("Info", "OK", pid=box.first["pid"]).ok)
        self.assertTrue(self.wait_process_exit(second, 10), "the second copy kept running")
        self.assertIsNone(self.processes[0].poll(), "the first copy ended")
        still = self.driver.window_info(MAIN_TITLE, pid=first["pid"])
        self.assertTrue(still.ok and still.first["visible"] == "1", still)
        windows = self.driver.list_windows(MAIN_TITLE, hidden=True)
        self.assertEqual([w["pid"] for w in windows.records], [first["pid"]],
                         "the second copy left a main window behind")

    def test_close_message_ends_the_program(self):
        process = self.start_pictorn()
        main = self.wait_main_window()
        self.assertTrue(self.driver.close(MAIN_TITLE, pid=main["pid"]).ok)
        self.assertTrue(self.wait_process_exit(process, 10), "still running 10 s after WM_CLOSE")


class DamagedSettingsTest(PictornTestCase):
    """Values of the wrong type or size must not stop the program from starting."""

    def test_starts_without_complaint(self):
        key = SETTINGS_KEY
        for name, kind, data in [("Startup", "REG_SZ", "True"),
                                 ("Top", "REG_DWORD", "1234"),
                                 ("Left", "REG_SZ", "-99999999999999999999"),
                                 ("Prefix", "REG_BINARY", "00ff10"),
                                 ("DelayActiveWindow", "REG_SZ", "\u00e9\u20ac7x")]:
            self.store_setting(name, data, kind)
        long_editor = "C:\\" + "e" * 99_997
        imported = self.prefix.reg_import_strings(key, {"Editor": long_editor})
        self.assertEqual(imported.returncode, 0, f"reg import: {imported}")
        stored = self.prefix.reg_query(key, "Editor").stdout
        self.assertTrue(long_editor + "\n" in stored, "the long Editor value was not stored")

        self.start_pictorn()
        main = self.wait_main_window()
        box = self.driver.wait_window("*", DIALOG_CLASS, timeout=4, pid=main["pid"])
        self.assertFalse(box.ok, f"a message box appeared: {box.records}")
        self.assertEqual(self.driver.window_info(MAIN_TITLE, pid=main["pid"]).first["visible"],
                         "1")


if __name__ == "__main__":
    unittest.main()
