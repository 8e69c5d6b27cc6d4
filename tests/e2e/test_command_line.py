"""Scripted captures through the command line and their exit codes, requests forwarded to
a running copy (taken, queued behind a capture, refused while a window is open), and
hotkeys that another program holds before Pictorn starts."""

import subprocess

from capture_case import CAPTURE_TIMEOUT, CaptureCase
from picture_checks import Bitmap, identify_when_complete, windows_path
from support import driver_exe, poll
from window_controls import COMMAND_IDS
from xdisplay import HEIGHT, WIDTH

HOLDER_TITLE = "E2E hotkey holder"
FTP_TITLE = "FTP Upload"


class CommandLineTest(CaptureCase):
    def start_with(self, *args):
        process = self.prefix.start([self.exe(), *map(str, args)])
        self.processes.append(process)
        return process

    @staticmethod
    def exe():
        from support import pictorn_exe
        return pictorn_exe()

    def message_texts(self, box):
        return [r["text"] for r in box.records if r.get("kind") == "text"]

    def assert_png_of_the_screen(self, path):
        self.assertEqual(identify_when_complete(path, CAPTURE_TIMEOUT), ("PNG", WIDTH, HEIGHT))
        bmp = path.with_suffix(".check.bmp")
        subprocess.run(["convert", str(path), "-type", "TrueColor", f"BMP3:{bmp}"], check=True,
                       timeout=60)
        self.assert_pixels(Bitmap.read(bmp), self.screen_points)

    def box_of_another_process(self, pid, text_part):
        """Waits for a "Pictorn" message box of a process other than pid that says
        text_part, closes it with OK and returns its text."""
        box = self.driver.wait_messagebox("Pictorn", timeout=CAPTURE_TIMEOUT)
        self.assertTrue(box.ok, f"no message box: {box}")
        self.assertNotEqual(box.first["pid"], pid)
        text = "\n".join(self.message_texts(box))
        self.assertIn(text_part, text)
        self.assertTrue(self.driver.click_button("Pictorn", "OK", pid=box.first["pid"]).ok)
        return text

    def test_capture_to_a_file_and_end_with_the_outcome(self):
        shot = self.class_dir / "scripted.png"
        process = self.start_with("/capture", "full", "/save", windows_path(shot), "/exit")
        self.assertTrue(self.wait_process_exit(process, CAPTURE_TIMEOUT + 10),
                        "still running after /exit")
        self.assertEqual(process.returncode, 0)
        self.assert_png_of_the_screen(shot)

        missing = self.class_dir / "no such folder" / "x.png"
        process = self.start_with("/capture", "full", "/save", windows_path(missing), "/exit")
        self.box_of_another_process(None, "could not be saved")
        self.assertTrue(self.wait_process_exit(process, 10), "still running after /exit")
        self.assertEqual(process.returncode, 1, "a failed save ended as done")

    def test_running_copy_takes_the_capture_and_bad_arguments_capture_nothing(self):
        main = self.start_and_wait()
        pid = main["pid"]
        shot = self.class_dir / "forwarded.png"
        second = self.start_with("/capture", "full", "/save", windows_path(shot))
        self.assertTrue(self.wait_process_exit(second, 20), "the second copy kept running")
        self.assertEqual(second.returncode, 0)
        self.assert_png_of_the_screen(shot)
        self.wait_main_visible(pid)
        self.assertFalse(self.driver.wait_window("*", "#32770", timeout=1).ok,
                         "a message box appeared")
        self.assertIsNone(self.processes[0].poll(), "the running copy ended without /exit")

        stamp = self.bitmap_stamp()
        bad = self.start_with("/capture", "bogus")
        box = self.driver.wait_messagebox("Pictorn", timeout=15)
        self.assertTrue(box.ok, f"no message about the bad argument: {box}")
        self.assertNotEqual(box.first["pid"], pid)
        text = "\n".join(self.message_texts(box))
        self.assertIn("bogus", text)
        self.assertIn("/capture full|window|rect", text)
        self.assertTrue(self.driver.click_button("Pictorn", "OK", pid=box.first["pid"]).ok)
        self.assertTrue(self.wait_process_exit(bad, 10))
        self.assertEqual(bad.returncode, 2)
        self.assertEqual(self.bitmap_stamp(), stamp, "a bad command line still captured")

    def test_forwarded_request_waits_for_a_capture_or_is_refused_while_a_window_is_open(self):
        pid = self.start_and_wait()["pid"]
        first, second = self.class_dir / "first.png", self.class_dir / "second.png"
        waiting = [self.start_with("/capture", "full", "/delay", 3, "/save", windows_path(first))]
        self.assertTrue(poll(lambda: not self.main_visible(pid), CAPTURE_TIMEOUT),
                        "the first capture did not start")
        waiting.append(self.start_with("/capture", "full", "/delay", 0, "/save",
                                       windows_path(second)))
        for process in waiting:
            self.assertTrue(self.wait_process_exit(process, CAPTURE_TIMEOUT + 10),
                            "a copy that handed its request over did not end")
            self.assertEqual(process.returncode, 0)
        self.assert_png_of_the_screen(first)
        self.assert_png_of_the_screen(second)
        self.assertGreaterEqual(second.stat().st_mtime_ns, first.stat().st_mtime_ns)

        # With the FTP window open the capture cannot be taken: refused at once, /exit too.
        self.wait_main_visible(pid)
        self.post(COMMAND_IDS["UploadFtp"], pid)
        self.assertTrue(self.driver.wait_window(FTP_TITLE, "#32770", timeout=CAPTURE_TIMEOUT,
                                                pid=pid).ok, "no FTP window")
        refused = self.class_dir / "refused.png"
        process = self.start_with("/capture", "full", "/save", windows_path(refused), "/exit")
        self.box_of_another_process(pid, "FTP window")
        self.assertTrue(self.wait_process_exit(process, 10))
        self.assertEqual(process.returncode, 1)
        self.assertFalse(refused.exists())
        self.assertTrue(self.driver.click_button(FTP_TITLE, "Close", pid=pid).ok)
        self.wait_main_visible(pid)
        self.assertFalse(self.driver.wait_window("*", "#32770", timeout=1, pid=pid).ok,
                         "the running copy showed a message")
        self.assertIsNone(self.processes[0].poll(), "the refused /exit ended the running copy")

    def test_hotkey_held_elsewhere_is_named_and_the_others_work(self):
        self.processes.append(self.prefix.start(
            [driver_exe(), "hold-hotkey", "ctrl+shift", "F", 60000]))
        self.assertTrue(self.driver.wait_window(HOLDER_TITLE, timeout=15).ok,
                        "the helper could not take CTRL+SHIFT+F")
        self.start_pictorn()
        box = self.driver.wait_messagebox("Hotkeys not available", timeout=CAPTURE_TIMEOUT)
        self.assertTrue(box.ok, f"no notice about the taken hotkey: {box}")
        pid = box.first["pid"]
        text = "\n".join(self.message_texts(box))
        self.assertIn("CTRL+SHIFT+F", text)
        self.assertNotIn("CTRL+W", text)
        self.assertIn("General", text)
        self.assertTrue(self.driver.click_button("Hotkeys not available", "OK", pid=pid).ok)
        info = [c for c in self.driver.children(self.main_title, pid=pid).records
                if "= Full Screen" in c.get("text", "")]
        self.assertTrue(info and "CTRL+SHIFT+F (not available)" in info[0]["text"], info)

        # The rectangle hotkey opens the overlay, and Escape closes it again.
        self.activate_main_window()
        self.xdotool("key", "ctrl+r")
        self.assertTrue(poll(lambda: self.main_title not in [
            w["title"] for w in self.driver.list_windows(pid=pid).records], CAPTURE_TIMEOUT),
            "CTRL+R opened no overlay")
        self.assertTrue(poll(self.mapped_screen_sized_client, 10, step=0.1))
        self.xdotool("key", "Escape")
        self.wait_main_visible(pid)

        # The window hotkey captures.
        self.activate_main_window()
        before = self.bitmap_stamp()
        self.xdotool("key", "ctrl+w")
        self.wait_capture(pid, before)

    def mapped_screen_sized_client(self):
        import re
        clients = self.display.run(["xprop", "-root", "_NET_CLIENT_LIST"]).stdout
        for window in re.findall(r"0x[0-9a-f]+", clients):
            info = self.display.run(["xwininfo", "-id", window]).stdout
            if ("IsViewable" in info and f"Width: {WIDTH}\n" in info
                    and f"Height: {HEIGHT}\n" in info):
                return window
        return None
