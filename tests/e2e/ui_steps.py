"""Steps a user takes with the main window and the preferences dialog, for test classes
derived from PictornTestCase: open the dialog, pick a tab, type into a field, press Done,
close and restart the program; plus reading the settings key as `reg query` shows it."""

import re

from pictorn_case import MAIN_TITLE, SETTINGS_KEY
from support import poll
from window_controls import COMMAND_IDS, centre_of, read_controls

PREFS_TITLE = "Preferences"
DIALOG_CLASS = "#32770"
TRAY_WINDOW = "Wine System Tray"


class UiSteps:
    # --- the program as a whole -----------------------------------------------------------

    def start_and_wait_main(self):
        """Starts pictorn.exe and returns (Popen, main window record)."""
        process = self.start_pictorn()
        return process, self.wait_main_window(timeout=20)

    def close_program(self, process, pid):
        """Closes the main window as the close box does and waits for the program to end."""
        self.assertTrue(self.driver.close(MAIN_TITLE, pid=pid).ok, "no main window to close")
        self.assertTrue(self.wait_process_exit(process, 20), "still running 20 s after close")
        # The next start must not meet a main window of this one.
        poll(lambda: not self.driver.list_windows(MAIN_TITLE, hidden=True, pid=pid).records, 10)

    def post(self, command, pid):
        result = self.driver.post_command(MAIN_TITLE, COMMAND_IDS[command], pid=pid)
        self.assertTrue(result.ok, f"posting {command}: {result}")

    def main_info(self, pid):
        info = self.driver("window-info", MAIN_TITLE, pid=pid, hidden=True)
        self.assertTrue(info.ok, info)
        return {k: int(v) if re.fullmatch(r"-?\d+", v) else v for k, v in info.first.items()}

    # --- settings store -------------------------------------------------------------------

    def stored_values(self):
        """The settings key's values as {name: text}; empty when the key is missing."""
        result = self.prefix.reg_query(SETTINGS_KEY)
        values = {}
        for line in result.stdout.splitlines():
            match = re.match(r"^\s+(\S.*?)\s{4}(REG_\w+)\s{4}(.*)$", line)
            if match:
                values[match.group(1)] = match.group(3)
            else:
                match = re.match(r"^\s+(\S.*?)\s{4}(REG_\w+)$", line)  # empty data
                if match:
                    values[match.group(1)] = ""
        return values

    def store(self, **values):
        self.store_settings(values)

    # --- the preferences dialog -----------------------------------------------------------

    def open_preferences(self, pid):
        self.post("Preferences", pid)
        found = self.driver.wait_window(PREFS_TITLE, DIALOG_CLASS, timeout=20, pid=pid)
        self.assertTrue(found.ok, f"Preferences did not open: {found}")
        # The controls are filled before the dialog shows; wait until the tab control is
        # there to be read.
        controls = poll(lambda: self._prefs_if_ready(pid), 10)
        self.assertTrue(controls, "the Preferences dialog has no tab control")
        return controls

    def _prefs_if_ready(self, pid):
        controls = read_controls(self.driver, PREFS_TITLE, DIALOG_CLASS, pid=pid)
        return controls if controls.ok and controls.by_class("SysTabControl32") else None

    def prefs(self, pid):
        controls = read_controls(self.driver, PREFS_TITLE, DIALOG_CLASS, pid=pid)
        self.assertTrue(controls.ok, controls.raw)
        return controls

    def click(self, x, y, button=1):
        self.xdotool("mousemove", "--sync", x, y, "click", button)

    def select_tab(self, pid, index):
        """Brings tab `index` to the front as a keyboard user does: a click on the first tab
        gives the tab control the focus, the right arrow moves along."""
        tab = self.prefs(pid).by_class("SysTabControl32")[0]
        self.click(tab["left"] + 15, tab["top"] + 8)
        self.assertTrue(poll(lambda: self.prefs(pid)["PREFS_TAB"]["cursel"] == 0, 10),
                        "a click on the first tab did not bring it to the front")
        for step in range(1, index + 1):
            self.xdotool("key", "Right")
            self.assertTrue(
                poll(lambda step=step: self.prefs(pid)["PREFS_TAB"]["cursel"] == step, 10),
                f"the right arrow did not bring tab {step} to the front")
        return self.prefs(pid)

    def replace_text(self, pid, name, text):
        """Clicks into a text field, removes what it holds and types `text`."""
        field = self.prefs(pid)[name]
        self.click(*centre_of(field))
        self.assertTrue(poll(lambda: self.prefs(pid)[name]["focused"], 10),
                        f"{name} did not take the focus")
        self.xdotool("key", "End", *["BackSpace"] * (len(field["text"]) + 2))
        self.xdotool("type", "--delay", 30, text)
        self.assertTrue(poll(lambda: self.prefs(pid)[name]["text"] == text, 10),
                        f"{name} holds {self.prefs(pid)[name]['text']!r}, not {text!r}")

    def press_done(self, pid):
        self.assertTrue(self.driver.click_button(PREFS_TITLE, "Done", pid=pid).ok)
        hidden = poll(lambda: not self.driver.list_windows(PREFS_TITLE, DIALOG_CLASS,
                                                           pid=pid).records, 15)
        self.assertTrue(hidden, "Done did not close the Preferences dialog")

    def tray_window(self, timeout=20):
        """The X id of Wine's tray window, or None."""
        found = poll(lambda: self.display.run(
            ["xdotool", "search", "--name", f"^{TRAY_WINDOW}$"]).stdout.split(), timeout)
        return found[0] if found else None
