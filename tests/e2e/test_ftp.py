"""The FTP window of the real pictorn.exe against a local pyftpdlib server: a capture is
uploaded through the window as a user fills it in, several files, the failure messages and
log, Abort during a transfer, the settings at the next opening, and the program told to end
while an upload runs."""

import subprocess
import time
from pathlib import Path

from capture_case import CAPTURE_TIMEOUT, CMD_FULL_SCREEN, CaptureCase
from picture_checks import windows_path
from pictorn_case import MAIN_TITLE
from support import poll
from ui_steps import UiSteps
from window_controls import COMMAND_IDS, CONTROL_IDS, read_controls

ROOT = Path(__file__).resolve().parents[2]
FTP_SERVER = ROOT / "tests" / "unit" / "net" / "servers" / "ftp_server.py"
FTP_TITLE = "FTP Upload"
DIALOG_CLASS = "#32770"
FILE_NAME_EDIT = 0x47C  # the common open dialog's file name


class FtpServer:
    """pyftpdlib on 127.0.0.1, stopped by its process id."""

    def __init__(self, root, *extra):
        root.mkdir(parents=True, exist_ok=True)
        self.root = root
        self.process = subprocess.Popen(
            ["/usr/bin/python3", str(FTP_SERVER), "--root", str(root), "--user", "bob",
             "--password", "s3cret", *extra],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        line = self.process.stdout.readline()
        if not line.startswith("PORT "):
            self.stop()
            raise AssertionError(f"the FTP server did not start: {line!r}")
        self.address = f"127.0.0.1:{int(line.split()[1])}"

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()


def raw_rgb(path):
    """The picture's pixels as ImageMagick decodes them (independent of the program)."""
    return subprocess.run(["convert", str(path), "-depth", "8", "rgb:-"], check=True,
                          capture_output=True).stdout


class FtpCase(CaptureCase):
    """The steps of a user in the FTP window; `server` is the class's FTP server."""

    server = None

    @classmethod
    def tearDownClass(cls):
        if cls.server:
            cls.server.stop()
        super().tearDownClass()

    def setUp(self):
        super().setUp()
        self.folder = self.server.root / self._testMethodName
        self.folder.mkdir()

    # --- steps ----------------------------------------------------------------------------

    def open_ftp_window(self, pid):
        self.post(COMMAND_IDS["UploadFtp"], pid)
        found = self.driver.wait_window(FTP_TITLE, DIALOG_CLASS, timeout=CAPTURE_TIMEOUT, pid=pid)
        self.assertTrue(found.ok, f"no FTP window: {found}")
        return self.controls(pid)

    def controls(self, pid):
        controls = read_controls(self.driver, FTP_TITLE, DIALOG_CLASS, pid=pid)
        self.assertTrue(controls.ok, controls)
        return controls

    def type_into(self, pid, name, text):
        result = self.driver("set-child-text", FTP_TITLE, CONTROL_IDS[name], text, pid=pid)
        self.assertTrue(result.ok, f"{name}: {result}")

    def fill(self, pid, password="s3cret", folder=None):
        self.type_into(pid, "FTP_SERVER", self.server.address)
        self.type_into(pid, "FTP_USER", "bob")
        self.type_into(pid, "FTP_PASSWORD", password)
        self.type_into(pid, "FTP_REMOTEDIR", folder or "/" + self._testMethodName)

    def click(self, pid, caption, title=FTP_TITLE):
        result = self.driver.click_button(title, caption, pid=pid)
        self.assertTrue(result.ok, f"{caption}: {result}")

    def add_file(self, pid, path):
        self.click(pid, "Add")
        self.assertTrue(self.driver.wait_window("Open", DIALOG_CLASS, pid=pid).ok)
        typed = self.driver("set-child-text", "Open", FILE_NAME_EDIT, windows_path(path), pid=pid)
        self.assertTrue(typed.ok, typed)
        self.click(pid, "Open", title="Open")
        self.assertTrue(self.driver.wait_gone("Open", DIALOG_CLASS, pid=pid).ok)

    def answer(self, pid, timeout=CAPTURE_TIMEOUT):
        """The text of the "Upload" message box, which is then closed with OK."""
        box = self.driver.wait_messagebox("Upload", timeout=timeout, pid=pid)
        self.assertTrue(box.ok, box)
        text = "\n".join(r["text"] for r in box.records if r.get("kind") == "text")
        self.click(pid, "OK", title="Upload")
        self.assertTrue(self.driver.wait_gone("Upload", DIALOG_CLASS, pid=pid).ok)
        return text

    def log(self, pid):
        return self.controls(pid)["FTP_LOG"]["text"]

    def close_ftp_window(self, pid):
        self.click(pid, "Close")
        self.assertTrue(self.driver.wait_gone(FTP_TITLE, DIALOG_CLASS, pid=pid).ok)


class FtpWindowTest(FtpCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.server = FtpServer(cls.class_dir / "ftp-root")

    def test_capture_is_uploaded_with_its_exact_pixels_and_settings_come_back(self):
        pid = self.start_and_wait()["pid"]
        bitmap = self.capture(CMD_FULL_SCREEN, pid)
        controls = self.open_ftp_window(pid)
        picture = controls["FTP_LOCALFILES"]
        self.assertEqual((picture["count"], picture["cursel"]), (1, 0))
        self.assertEqual(controls["FTP_REMOTEFILENAME"]["text"], "Pictorn.png")
        self.fill(pid)
        self.click(pid, "Passive Mode (PASV)")
        self.click(pid, "Upload")
        self.assertEqual(self.answer(pid), "File successfully uploaded!")
        uploaded = self.folder / "Pictorn.png"
        self.assertTrue(uploaded.exists(), list(self.folder.iterdir()))
        self.assertEqual(raw_rgb(uploaded), raw_rgb(self.temp_bitmap),
                         "the uploaded picture differs from the capture")
        self.assertEqual((bitmap.width, bitmap.height), self.picture_size(uploaded))
        self.assertIn("PASS ****", self.log(pid))
        self.assertNotIn("s3cret", self.log(pid))
        self.close_ftp_window(pid)

        controls = self.open_ftp_window(pid)
        self.assertEqual(controls["FTP_SERVER"]["text"], self.server.address)
        self.assertEqual(controls["FTP_USER"]["text"], "bob")
        self.assertEqual(controls["FTP_REMOTEDIR"]["text"], "/" + self._testMethodName)
        self.assertEqual(controls["FTP_PASSIVE"]["checked"], 1)
        self.assertEqual(controls["FTP_LOG"]["text"], "")
        self.close_ftp_window(pid)

    def test_several_files_and_the_failures_a_user_meets(self):
        pid = self.start_and_wait()["pid"]
        self.capture(CMD_FULL_SCREEN, pid)
        notes = self.class_dir / "notes.txt"
        notes.write_bytes(b"some notes\r\n")
        self.open_ftp_window(pid)
        self.fill(pid)
        self.add_file(pid, notes)
        self.assertEqual(self.controls(pid)["FTP_REMOTEFILENAME"]["text"], "notes.txt")
        self.click(pid, "Upload")
        self.assertEqual(self.answer(pid), "Files successfully uploaded!")
        self.assertEqual((self.folder / "notes.txt").read_bytes(), b"some notes\r\n")
        self.assertTrue((self.folder / "Pictorn.png").exists())

        self.fill(pid, password="wrong")
        self.click(pid, "Upload")
        text = self.answer(pid)
        self.assertTrue(text.startswith("Upload failed."), text)
        self.assertIn("Possible solutions:", text)
        log = self.log(pid)
        self.assertTrue(log.startswith("cmdUpload_Click - ftp.Connect"), log)
        self.assertIn("530", log)
        self.assertIn("SessionLog:", log)

        self.fill(pid, folder="/no/such/folder")
        self.click(pid, "Upload")
        self.assertTrue(self.answer(pid).startswith("Upload failed."))
        log = self.log(pid)
        self.assertTrue(log.startswith("cmdUpload_Click - ftp.ChangeRemoteDir"), log)
        self.assertIn("550", log)
        self.close_ftp_window(pid)

    def test_abort_during_a_large_upload_is_answered_at_once(self):
        # A server of its own that stops answering once a file has 2 MiB: the upload
        # never ends by itself.
        stalling = FtpServer(self.class_dir / "stall-root", "--stall-after", str(2 << 20))
        self.addCleanup(stalling.stop)
        big = self.class_dir / "big.bin"
        big.write_bytes(b"\x5a" * (8 << 20))
        pid = self.start_and_wait()["pid"]
        self.capture(CMD_FULL_SCREEN, pid)
        self.open_ftp_window(pid)
        self.type_into(pid, "FTP_SERVER", stalling.address)
        self.type_into(pid, "FTP_USER", "bob")
        self.type_into(pid, "FTP_PASSWORD", "s3cret")
        self.type_into(pid, "FTP_REMOTEDIR", "/")
        self.add_file(pid, big)
        self.click(pid, "Upload")

        def stalled_on_big_file():
            controls = self.controls(pid)
            return (controls["FTP_RATE"]["text"].startswith("File 2 of 2")
                    and controls["FTP_PROGRESS1"]["pos"] > 0 and controls)
        controls = poll(stalled_on_big_file, CAPTURE_TIMEOUT, step=0.2)
        self.assertTrue(controls, "the second file's transfer did not start")
        # While the session runs the window answers, and only Abort is offered.
        self.assertEqual([controls[n]["enabled"] for n in
                          ("FTP_UPLOAD", "FTP_ADD", "FTP_REMOVE", "FTP_CLOSE", "FTP_ABORT")],
                         [0, 0, 0, 0, 1])
        # The message box is looked for on the X display (no Wine process to start): the
        # program answered between the driver's start and its return and the box's coming.
        def box_on_screen():
            return self.display.run(["xdotool", "search", "--name", "^Upload$"]).stdout.split()
        started = time.monotonic()
        self.click(pid, "Abort")
        posted = time.monotonic()
        self.assertTrue(poll(box_on_screen, 10, step=0.02), "no message box after Abort")
        answered = time.monotonic()
        print(f"\nAbort answered within {answered - posted:.2f}-{answered - started:.2f} s",
              flush=True)
        # Within a second of the click, with room for a loaded machine.
        self.assertLess(answered - started, 3.0)
        box = self.driver.wait_messagebox("Upload", timeout=10, pid=pid)
        self.assertTrue(box.ok, box)
        text = "\n".join(r["text"] for r in box.records if r.get("kind") == "text")
        self.assertIn("Not uploaded: big.bin", text)
        self.click(pid, "OK", title="Upload")
        self.assertTrue(self.controls(pid)["FTP_CLOSE"]["enabled"])
        self.close_ftp_window(pid)

    def picture_size(self, path):
        out = subprocess.run(["identify", "-format", "%w %h", str(path)], check=True,
                             capture_output=True, text=True).stdout.split()
        return int(out[0]), int(out[1])


class FtpExitTest(FtpCase, UiSteps):
    """Whichever way the program is told to end while an upload runs, the upload ends with
    it: the client removes its partial file from the server and the process goes."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        # Takes uploads slowly, so that the program is told to end in the middle of one.
        cls.server = FtpServer(cls.class_dir / "ftp-root", "--read-limit", str(1 << 20))
        cls.big = cls.class_dir / "big.bin"
        cls.big.write_bytes(b"\x5a" * (64 << 20))

    def start_upload(self):
        process = self.start_pictorn()
        pid = self.wait_main_window(timeout=CAPTURE_TIMEOUT)["pid"]
        self.capture(CMD_FULL_SCREEN, pid)
        self.open_ftp_window(pid)
        self.fill(pid)
        self.click(pid, "Remove")  # only the large file goes up
        self.add_file(pid, self.big)
        self.click(pid, "Upload")
        return process, pid

    def progress(self, pid):
        controls = self.controls(pid)
        return controls["FTP_RATE"]["text"].startswith("File 1 of 1") and \
            controls["FTP_PROGRESS1"]["pos"]

    def open_the_tray_menu(self, pid):
        tray = self.tray_window()
        self.assertIsNotNone(tray, "no tray icon")
        self.xdotool("mousemove", "--window", tray, 10, 10, "click", 3)
        self.assertTrue(self.driver.wait_window("*", "#32768", pid=pid).ok, "no tray menu")
        # The upload goes on while the menu is open.
        before = self.progress(pid)
        self.assertTrue(poll(lambda: self.progress(pid) > before, 15, step=0.2),
                        "no progress while the tray menu is open")

    def choose_exit_in_the_tray_menu(self, pid):
        menu = self.driver.window_info("*", "#32768", pid=pid).first
        # "Exit Pictorn" is the last entry.
        self.xdotool("mousemove", "--sync", int(menu["left"]) + 30, int(menu["bottom"]) - 10,
                     "click", 1)

    def test_ending_the_program_during_an_upload_ends_the_upload(self):
        self.store_settings({"SystemTray": "1"})
        ways = {  # what the user does first, and the step that ends the program
            "tray menu": (self.open_the_tray_menu, self.choose_exit_in_the_tray_menu),
            "File menu": (None, lambda pid: self.post(COMMAND_IDS["Exit"], pid)),
            "end of the Windows session":
                (None, lambda pid: self.prefix.run(["wineboot", "--end-session"])),
        }
        for way, (first, end_program) in ways.items():
            with self.subTest(way):
                process, pid = self.start_upload()
                try:
                    self.assertTrue(poll(lambda: self.progress(pid), CAPTURE_TIMEOUT, step=0.2),
                                    "the upload did not start")
                    if first:
                        first(pid)
                    told = time.monotonic()
                    end_program(pid)
                    # A few seconds at most; the bound leaves room for a loaded machine, and
                    # the upload alone would take a minute.
                    self.assertTrue(self.wait_process_exit(process, CAPTURE_TIMEOUT),
                                    "still running 20 s after being told to end")
                    print(f"\n{way}: ended {time.monotonic() - told:.2f} s after being told",
                          flush=True)
                    # The session was aborted, not left to finish unseen, and took its
                    # partial file with it.
                    self.assertEqual(list(self.folder.iterdir()), [])
                finally:
                    self.end_process(process)

    def end_process(self, process):
        """Kills what a failed step left running, so the next one starts afresh."""
        if process.poll() is None:
            process.kill()
            process.wait()
        poll(lambda: not self.driver.list_windows(MAIN_TITLE, hidden=True).records, 10)
        for leftover in self.folder.iterdir():
            leftover.unlink()
