"""Faults a new user met with captures: Esc on a rectangle overlay that has lost the
keyboard, a second request while a capture waits out its delay, and the first press on a
freshly shown overlay."""

from capture_case import CAPTURE_TIMEOUT, CMD_FULL_SCREEN, CaptureCase
from picture_checks import windows_path
from pictorn_case import MAIN_TITLE
from support import driver_exe, poll
import test_capture

OTHER_TITLE = "E2E other program"


class CaptureFaultsTest(CaptureCase):
    # Borrowed, not inherited (that would run the capture tests twice): the overlay helpers.
    open_overlay = test_capture.CaptureTest.open_overlay
    mapped_screen_sized_client = test_capture.CaptureTest.mapped_screen_sized_client

    def test_escape_cancels_while_another_window_has_the_keyboard(self):
        main = self.start_and_wait()
        pid = main["pid"]
        # Another program's window takes the keyboard from the open overlay.
        self.processes.append(self.prefix.start(
            [driver_exe(), "test-window", OTHER_TITLE, 200, 150, "808080", 60000]))
        self.assertTrue(self.driver.wait_window(OTHER_TITLE, timeout=15).ok)
        other = poll(lambda: self.display.run(
            ["xdotool", "search", "--name", f"^{OTHER_TITLE}$"]).stdout.split(), 10)
        self.assertTrue(other, "no X window for the other program")
        stamp = self.bitmap_stamp()
        self.open_overlay(pid)
        self.xdotool("windowactivate", "--sync", other[0])
        self.xdotool("key", "Escape")
        self.wait_main_visible(pid)
        self.assertEqual([w["title"] for w in self.driver.list_windows(pid=pid).records],
                         [MAIN_TITLE], "the overlay is still open after Escape")
        self.assertEqual(self.bitmap_stamp(), stamp, "Escape still captured")

    def test_request_during_the_delay_is_ignored(self):
        folder = self.class_dir / "delayed"
        folder.mkdir()
        main = self.start_and_wait({"AutoSave": "1", "DefaultFolder": windows_path(folder),
                                    "Extension": "4", "Prefix": "Shot_",
                                    "DelayActiveWindow": "2"})
        pid = main["pid"]
        self.post(CMD_FULL_SCREEN, pid)
        self.assertTrue(poll(lambda: not self.main_visible(pid), CAPTURE_TIMEOUT, step=0.1),
                        "the window did not go for the capture")
        # As the tray menu's Capture Full Screen does while the first one waits.
        self.driver("post-command", self.main_title, CMD_FULL_SCREEN, pid=pid, hidden=True)
        self.wait_main_visible(pid)
        saved = poll(lambda: list(folder.iterdir()), CAPTURE_TIMEOUT)
        self.assertTrue(saved, "nothing was saved")
        # Long enough for a second capture (2 s delay) to have come and saved.
        self.assertFalse(poll(lambda: len(list(folder.iterdir())) > 1, 4),
                         f"two captures: {sorted(p.name for p in folder.iterdir())}")

    def test_first_press_on_a_fresh_overlay_starts_the_drag(self):
        main = self.start_and_wait()
        pid = main["pid"]
        for attempt in range(3):
            self.open_overlay(pid)
            before = self.bitmap_stamp()
            self.xdotool("mousemove", 100 + attempt, 100, "mousedown", 1, "mousemove", 250, 200,
                         "mousemove", 300, 260, "mouseup", 1)
            bitmap = self.wait_capture(pid, before)
            self.assertAlmostEqual(bitmap.width, 200 - attempt, delta=2, msg=f"drag {attempt}")
