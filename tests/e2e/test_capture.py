"""Capturing with the real pictorn.exe as a user does: full screen, active window, a dragged
rectangle, and automatic saving under time-stamped names."""

import datetime
import re
import unittest

from capture_case import (CAPTURE_TIMEOUT, CMD_FULL_SCREEN, CMD_RECTANGLE,
                          CaptureCase)
from picture_checks import (GRID_COLUMNS, GRID_ROWS, Bitmap, block_bounds, block_colour,
                            identify_when_complete, windows_path)
from pictorn_case import MAIN_TITLE
from support import driver_exe, poll
from xdisplay import HEIGHT, WIDTH

TARGET_TITLE = "E2E capture target"
TARGET_COLOUR = (0x33, 0x66, 0xCC)
WS_CAPTION_OR_FRAME = 0x00C00000 | 0x00040000  # WS_CAPTION | WS_THICKFRAME
AUTO_SAVE_NAME = re.compile(r"^Shot_(\d{6})_(\d{6})(?:_\d+)?\.png$")


class CaptureTest(CaptureCase):
    def test_full_screen_capture_holds_the_screen(self):
        main = self.start_and_wait()
        bitmap = self.capture(CMD_FULL_SCREEN, main["pid"])
        self.assertEqual((bitmap.width, bitmap.height), (WIDTH, HEIGHT))
        self.assert_pixels(bitmap, self.screen_points)

    def test_capture_right_after_hiding_shows_what_was_beneath(self):
        main = self.start_and_wait()
        pid = main["pid"]
        # A window of another program lies under ours and has to repaint what ours covered;
        # the capture must show it there, never a trace of our window.
        self.processes.append(self.prefix.start(
            [driver_exe(), "test-window", TARGET_TITLE, WIDTH - 120, HEIGHT - 120,
             "%02x%02x%02x" % TARGET_COLOUR, 120000]))
        self.assertTrue(self.driver.wait_window(TARGET_TITLE, timeout=15).ok)
        ours = self.x_window(self.main_title)
        for attempt in range(3):
            self.xdotool("windowactivate", "--sync", ours)
            rect = self.driver.window_info(self.main_title, pid=pid).first
            left, top = int(rect["left"]), int(rect["top"])
            right, bottom = int(rect["right"]), int(rect["bottom"])
            bitmap = self.capture(CMD_FULL_SCREEN, pid)
            # Our window and a few pixels around it for the frame the window manager draws.
            points = [(x, y) for x in range(left - 4, right + 4, 7)
                      for y in range(top - 4, bottom + 4, 7)]
            wrong = [(x, y, bitmap.pixel(x, y)) for x, y in points
                     if bitmap.pixel(x, y) != TARGET_COLOUR]
            self.assertEqual(wrong[:10], [], f"capture {attempt}: {len(wrong)} of {len(points)}"
                             " points are not the window beneath")

    def test_active_window_capture_by_hotkey_is_that_window(self):
        main = self.start_and_wait()
        # The target ends itself after a minute should the test die before killing it.
        self.processes.append(self.prefix.start(
            [driver_exe(), "test-window", TARGET_TITLE, 320, 240,
             "%02x%02x%02x" % TARGET_COLOUR, 60000]))
        self.assertTrue(self.driver.wait_window(TARGET_TITLE, timeout=15).ok)
        target = self.x_window(TARGET_TITLE)
        self.xdotool("mousemove", 5, 5)  # off the target, so no pointer lands on it
        self.xdotool("windowactivate", "--sync", target)
        rect = self.driver.window_info(TARGET_TITLE).first
        self.assertEqual(rect["foreground"], "1", "the target window is not the active one")
        width = int(rect["right"]) - int(rect["left"])
        height = int(rect["bottom"]) - int(rect["top"])

        before = self.bitmap_stamp()
        self.xdotool("key", "ctrl+w")
        bitmap = self.wait_capture(main["pid"], before)
        self.assertAlmostEqual(bitmap.width, width, delta=2)
        self.assertAlmostEqual(bitmap.height, height, delta=2)
        # The middle of the picture is the window's own client area.
        self.assertEqual(bitmap.pixel(bitmap.width // 2, bitmap.height // 2), TARGET_COLOUR)

    def test_rectangle_drag_captures_the_area_and_escape_cancels(self):
        main = self.start_and_wait()
        pid = main["pid"]
        self.open_overlay(pid)
        before = self.bitmap_stamp()
        self.xdotool("mousemove", 100, 100, "mousedown", 1, "mousemove", 250, 200,
                     "mousemove", 400, 300, "mouseup", 1)
        bitmap = self.wait_capture(pid, before)
        # The press corner moves 10 twips (2/3 pixel) inward, the release corner stays.
        self.assertAlmostEqual(bitmap.width, 300, delta=2)
        self.assertAlmostEqual(bitmap.height, 200, delta=2)
        inside = [(x, y, c) for x, y, c in self.screen_points if 110 < x < 390 and 110 < y < 290]
        inside += [(150, 150, self.colour_at(150, 150)), (350, 280, self.colour_at(350, 280))]
        self.assert_pixels(bitmap, inside, dx=101, dy=101)

        # The overlay has the keyboard as soon as it shows: nothing is clicked or activated.
        self.open_overlay(pid)
        stamp = self.bitmap_stamp()
        self.xdotool("key", "Escape")
        self.wait_main_visible(pid)
        self.assertEqual([w["title"] for w in self.driver.list_windows(pid=pid).records],
                         [MAIN_TITLE], "the overlay is still open after Escape")
        self.assertEqual(self.bitmap_stamp(), stamp, "Escape still captured")

    def test_escape_reaches_the_overlay_opened_from_the_tray_or_by_hotkey(self):
        main = self.start_and_wait({"SystemTray": "1"})
        pid = main["pid"]
        for way, open_overlay in {"hotkey": self.rectangle_by_hotkey,
                                  "tray menu": self.rectangle_from_the_tray_menu}.items():
            with self.subTest(way):
                stamp = self.bitmap_stamp()
                open_overlay(pid)
                self.assertTrue(poll(self.mapped_screen_sized_client, CAPTURE_TIMEOUT, step=0.1),
                                "no overlay")
                self.xdotool("key", "Escape")
                self.wait_main_visible(pid)
                self.assertEqual([w["title"] for w in self.driver.list_windows(pid=pid).records],
                                 [MAIN_TITLE], "the overlay is still open after Escape")
                self.assertEqual(self.bitmap_stamp(), stamp, "Escape still captured")

    def rectangle_from_the_tray_menu(self, pid):
        tray = poll(lambda: self.display.run(
            ["xdotool", "search", "--name", "^Wine System Tray$"]).stdout.split(), 20)
        self.assertTrue(tray, "no tray icon")
        self.xdotool("mousemove", "--window", tray[0], 10, 10, "click", 3)
        self.assertTrue(self.driver.wait_window("*", "#32768", pid=pid).ok, "no tray menu")
        menu = self.driver.window_info("*", "#32768", pid=pid).first
        # The last entry is Exit (about 18 pixels); Capture Rectangular Area lies above it,
        # past a separator.
        self.xdotool("mousemove", "--sync", int(menu["left"]) + 40, int(menu["bottom"]) - 38,
                     "click", 1)

    def rectangle_by_hotkey(self, pid):
        # A click on the title bar gives the window the keyboard, as for any user.
        rect = self.driver.window_info(self.main_title, pid=pid).first
        self.xdotool("mousemove", "--sync", int(rect["left"]) + 120, int(rect["top"]) + 10,
                     "click", 1)
        self.xdotool("key", "ctrl+r")

    def test_keyboard_selection_is_the_mouse_drag_and_the_magnifier_stays_off_the_picture(self):
        main = self.start_and_wait()
        pid = main["pid"]
        self.open_overlay(pid)
        before = self.bitmap_stamp()
        self.xdotool("mousemove", 100, 100, "mousedown", 1, "mousemove", 400, 300, "mouseup", 1)
        dragged = self.wait_capture(pid, before)

        self.xdotool("mousemove", 100, 100)
        self.open_overlay(pid)
        before = self.bitmap_stamp()
        self.xdotool("key", "Return", *["shift+Right"] * 30, *["shift+Down"] * 20)
        # The magnifier (8 x 17 pixels at 96 DPI) sits below and right of the pointer, now
        # at (400, 300), with its dark readout line beneath; the screen there is not dark.
        loupe = LoupeProbe(self.display, self.class_dir / "overlay.png", 400 + 20, 300 + 20)
        self.assertTrue(poll(loupe.shown, 10),
                        f"no magnifier beside the pointer: {loupe.last} in {loupe.path}")
        self.xdotool("key", "Return")
        typed = self.wait_capture(pid, before)

        self.assertEqual((typed.width, typed.height), (dragged.width, dragged.height))
        self.assertAlmostEqual(typed.width, 300, delta=2)
        left, top = 400 - typed.width, 300 - typed.height
        wrong = [(x, y, typed.pixel(x, y)) for y in range(typed.height)
                 for x in range(typed.width)
                 if typed.pixel(x, y) != dragged.pixel(x, y)
                 or typed.pixel(x, y) != painted_colour(left + x, top + y)]
        self.assertEqual(wrong[:10], [], f"{len(wrong)} pixels are not the frozen screen")

    def test_auto_save_writes_time_stamped_pngs(self):
        folder = self.class_dir / "auto save"
        folder.mkdir()
        main = self.start_and_wait({"AutoSave": "1", "DefaultFolder": windows_path(folder),
                                    "Extension": "4", "Prefix": "Shot_"})
        self.capture(CMD_FULL_SCREEN, main["pid"])
        first = self.wait_saved_files(folder, 1)
        self.capture(CMD_FULL_SCREEN, main["pid"])
        files = self.wait_saved_files(folder, 2)
        self.assertIn(first[0], files)
        now = datetime.datetime.now()
        for name in files:
            match = AUTO_SAVE_NAME.match(name)
            self.assertTrue(match, f"unexpected file name {name!r}")
            stamp = datetime.datetime.strptime(match[1] + match[2], "%y%m%d%H%M%S")
            self.assertLess(abs((now - stamp).total_seconds()), 300, f"{name}: stamp is not now")
            self.assertEqual(identify_when_complete(folder / name, 10), ("PNG", WIDTH, HEIGHT),
                             name)

    # --- helpers --------------------------------------------------------------------------

    def wait_saved_files(self, folder, count):
        names = poll(lambda: len(list(folder.iterdir())) >= count and
                     sorted(p.name for p in folder.iterdir()), CAPTURE_TIMEOUT)
        self.assertTrue(names, f"fewer than {count} files in {folder}: "
                               f"{sorted(p.name for p in folder.iterdir())}")
        self.assertEqual(len(names), count, names)
        return names

    @staticmethod
    def colour_at(x, y):
        """The colour of the painted screen at (x, y) away from block edges."""
        return block_colour(x * GRID_COLUMNS // WIDTH, y * GRID_ROWS // HEIGHT)

    def x_window(self, name):
        found = poll(lambda: self.display.run(
            ["xdotool", "search", "--name", f"^{re.escape(name)}$"]).stdout.split(), 10)
        self.assertTrue(found, f"no X window named {name!r}")
        return found[0]

    def open_overlay(self, pid):
        """Posts the rectangle command and waits for its overlay: a topmost window of the
        program that covers the screen, with the main window hidden. Returns the overlay's
        X window once it is mapped."""
        self.post(CMD_RECTANGLE, pid)

        def overlay():
            windows = self.driver.list_windows(pid=pid).records
            if len(windows) != 1 or windows[0]["title"] == MAIN_TITLE:
                return None
            info = self.driver.window_info("*", windows[0]["class"], pid=pid).first
            covers = (int(info["left"]), int(info["top"]), int(info["right"]),
                      int(info["bottom"])) == (0, 0, WIDTH, HEIGHT)
            borderless = int(info["style"], 16) & WS_CAPTION_OR_FRAME == 0
            return info if covers and borderless and info["topmost"] == "1" else None
        self.assertTrue(poll(overlay, CAPTURE_TIMEOUT, step=0.2),
                        f"no overlay: {self.driver.list_windows(pid=pid, hidden=True)}")
        x_window = poll(self.mapped_screen_sized_client, 10, step=0.1)
        self.assertTrue(x_window, "the overlay has no mapped X window")
        return x_window

    def mapped_screen_sized_client(self):
        """A mapped top-level X window (of the window manager's client list) that covers the
        whole screen, or None."""
        clients = self.display.run(["xprop", "-root", "_NET_CLIENT_LIST"]).stdout
        for window in re.findall(r"0x[0-9a-f]+", clients):
            info = self.display.run(["xwininfo", "-id", window]).stdout
            if ("IsViewable" in info and f"Width: {WIDTH}\n" in info
                    and f"Height: {HEIGHT}\n" in info):
                return window
        return None

def painted_colour(x, y):
    """The colour of the painted test screen at (x, y), away from the corner markers."""
    for row in range(GRID_ROWS):
        for column in range(GRID_COLUMNS):
            left, top, right, bottom = block_bounds(column, row, WIDTH, HEIGHT)
            if left <= x <= right and top <= y <= bottom:
                return block_colour(column, row)
    return None


class LoupeProbe:
    """Looks at the screen for the magnifier whose top-left corner should be at (x, y): its
    black frame and the dark readout line beneath (at 96 DPI)."""

    def __init__(self, display, path, x, y):
        self.display, self.path, self.x, self.y = display, path, x, y
        self.last = None

    def shown(self):
        self.display.screenshot(self.path)
        try:
            shot = Bitmap.read(self.bmp())
        except (OSError, ValueError):
            return False
        frame = [shot.pixel(self.x + dx, self.y) for dx in (0, 60, 135)]
        readout = shot.pixel(self.x + 190, self.y + 136 + 10)
        self.last = (frame, readout)
        return all(c == (0, 0, 0) for c in frame) and readout == (0x20, 0x20, 0x20)

    def bmp(self):
        bmp = self.path.with_suffix(".bmp")
        self.display.run(["convert", str(self.path), "-type", "TrueColor", f"BMP3:{bmp}"])
        return bmp


if __name__ == "__main__":
    unittest.main()
