"""The preferences dialog as a user meets it: what a first start shows, and what Done stores
and a restart shows again."""

import unittest

from pictorn_case import MAIN_TITLE, PictornTestCase
from support import poll
from ui_steps import PREFS_TITLE, UiSteps

EDITOR_PLACEHOLDER = "Click the browse button [...]"
PNG_INDEX = 4
# Modifier boxes ticked on a first start: CTRL+SHIFT+F, CTRL+W, CTRL+R.
DEFAULT_HOTKEYS = {"PREFS_CTRL1": 1, "PREFS_ALT1": 0, "PREFS_SHIFT1": 1,
                   "PREFS_CTRL2": 1, "PREFS_ALT2": 0, "PREFS_SHIFT2": 0,
                   "PREFS_CTRL3": 1, "PREFS_ALT3": 0, "PREFS_SHIFT3": 0}
GENERAL_ONLY, MISC_ONLY = "PREFS_SOUND", "PREFS_SECONDS"


class PreferencesTest(PictornTestCase, UiSteps):
    def setUp(self):
        super().setUp()
        self.prefix.reg_delete_key(r"HKCU\Software\Orvanta")

    def test_first_start_shows_the_defaults(self):
        process, main = self.start_and_wait_main()
        pid = main["pid"]
        prefs = self.open_preferences(pid)

        self.assertEqual(prefs["PREFS_SECONDS"]["text"], "0")
        self.assertEqual(prefs["PREFS_SOUND"]["checked"], 1)
        for name in ("PREFS_STARTMINIMIZED", "PREFS_TRAY", "PREFS_KEEPMINIMIZED",
                     "PREFS_KEEPONTOP", "PREFS_AUTOSAVE"):
            with self.subTest(box=name):
                self.assertEqual(prefs[name]["checked"], 0)
        for name, checked in DEFAULT_HOTKEYS.items():
            with self.subTest(box=name):
                self.assertEqual(prefs[name]["checked"], checked)
        self.assertEqual(prefs["PREFS_PREFIX"]["text"], "Pictorn_")
        self.assertEqual(prefs["PREFS_EDITORPATH"]["text"], EDITOR_PLACEHOLDER)
        self.assertEqual(prefs["PREFS_FOLDER"]["text"], "")
        for name in ("PREFS_EXTENSION", "PREFS_EXTENSION_ATTACH"):
            self.assertEqual((prefs[name]["cursel"], prefs[name]["count"]), (PNG_INDEX, 7), name)
        self.assertEqual(prefs["PREFS_HSCROLL"]["pos"], 90)
        # Auto-save is off, so its fields cannot be edited.
        for name in ("PREFS_PREFIX", "PREFS_EXTENSION", "PREFS_FOLDER", "PREFS_BROWSEFOLDER"):
            self.assertEqual(prefs[name]["enabled"], 0, f"{name} is enabled")

        self.assertEqual((prefs["PREFS_TAB"]["cursel"], prefs["PREFS_TAB"]["count"]), (0, 3))
        # The page in front is the one shown: General's boxes, not another tab's fields.
        self.assertEqual(prefs[GENERAL_ONLY]["visible"], 1)
        self.assertEqual(prefs[MISC_ONLY]["visible"], 0)
        self.assertEqual(self.main_info(pid)["caption"], MAIN_TITLE)

        # Done with nothing changed closes the dialog without a restart notice.
        self.press_done(pid)
        box = self.driver.wait_window("*", "#32770", timeout=2, pid=pid)
        self.assertFalse(box.ok, f"Done without changes showed a window: {box.records}")
        self.close_program(process, pid)

    def test_done_stores_the_values_and_a_restart_shows_them(self):
        process, main = self.start_and_wait_main()
        pid = main["pid"]
        self.open_preferences(pid)
        self.assertTrue(self.driver.click_button(
            PREFS_TITLE, "Keep Pictorn minimized after capturing", pid=pid).ok)
        prefs = self.select_tab(pid, 2)
        self.assertEqual((prefs[MISC_ONLY]["visible"], prefs[GENERAL_ONLY]["visible"]), (1, 0),
                         "the Miscellaneous tab does not show its own fields")
        self.replace_text(pid, "PREFS_SECONDS", "3")
        self.press_done(pid)

        stored = self.stored_values()
        expected = {"DelayActiveWindow": "3", "PlaySound": "1", "KeepOnTop": "0",
                    "StartMinimized": "0", "SystemTray": "0", "KeepMinimized": "1",
                    "Editor": EDITOR_PLACEHOLDER, "AutoSave": "0", "JPEGquality": "90",
                    "Extension4Attachments": str(PNG_INDEX), "SelectedColor": "255",
                    "Tab": "2"}
        expected.update({name.replace("PREFS_", "HotKey"): str(checked)
                         for name, checked in DEFAULT_HOTKEYS.items()})
        self.assertEqual({name: stored.get(name) for name in expected}, expected)
        # With auto-save off, the auto-save fields keep what was stored before: nothing.
        for name in ("Prefix", "Extension", "DefaultFolder"):
            self.assertNotIn(name, stored, f"{name} was written with auto-save off")

        self.close_program(process, pid)
        process, main = self.start_and_wait_main()
        pid = main["pid"]
        prefs = self.open_preferences(pid)
        self.assertEqual(prefs["PREFS_KEEPMINIMIZED"]["checked"], 1)
        self.assertEqual(prefs["PREFS_SOUND"]["checked"], 1)
        self.assertEqual(prefs["PREFS_SECONDS"]["text"], "3")
        self.assertEqual(prefs["PREFS_TAB"]["cursel"], 2, "the dialog did not reopen on tab 2")
        self.assertEqual((prefs[MISC_ONLY]["visible"], prefs[GENERAL_ONLY]["visible"]), (1, 0),
                         "the tab index says Miscellaneous but another page is shown")
        self.press_done(pid)
        self.close_program(process, pid)

    # After the dialog opened on a stored tab other than General, a click on General was
    # ignored once the user had moved on with the arrow keys.
    def test_tabs_follow_clicks_after_opening_on_a_stored_tab(self):
        self.store(Tab=1)
        process, main = self.start_and_wait_main()
        pid = main["pid"]
        prefs = self.open_preferences(pid)
        self.assertEqual(prefs["PREFS_TAB"]["cursel"], 1)
        self.select_tab(pid, 1)  # General by a click, then Save & Edit by the arrow key
        tab = self.prefs(pid)["PREFS_TAB"]
        self.click(tab["left"] + 15, tab["top"] + 8)  # General again
        switched = poll(lambda: self.prefs(pid)["PREFS_TAB"]["cursel"] == 0, 5)
        self.press_done(pid)
        self.close_program(process, pid)
        self.assertTrue(switched, "a click on General left Save & Edit in front")

    def test_ctrl_tab_moves_between_the_pages(self):
        process, main = self.start_and_wait_main()
        pid = main["pid"]
        self.open_preferences(pid)
        # As a click on the dialog's title bar would.
        found = poll(lambda: self.display.run(
            ["xdotool", "search", "--name", f"^{PREFS_TITLE}$"]).stdout.split(), 10)
        self.assertTrue(found, "no X window for the Preferences dialog")
        self.xdotool("windowactivate", "--sync", found[0])
        for keys, tab in (("ctrl+Tab", 1), ("ctrl+Tab", 2), ("ctrl+Tab", 0),
                          ("ctrl+shift+Tab", 2)):
            self.xdotool("key", keys)
            self.assertTrue(poll(lambda tab=tab: self.prefs(pid)["PREFS_TAB"]["cursel"] == tab, 5),
                            f"{keys} did not bring tab {tab} to the front")
        prefs = self.prefs(pid)
        self.assertEqual((prefs[MISC_ONLY]["visible"], prefs[GENERAL_ONLY]["visible"]), (1, 0))
        self.press_done(pid)
        self.close_program(process, pid)


if __name__ == "__main__":
    unittest.main()
