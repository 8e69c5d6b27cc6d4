"""Mailing the picture with the real pictorn.exe: the mail window filled in by typing, a
real local SMTP server receiving the message, the four missing-entry messages, a refused
connection, and the fields, body and sealed password kept for the next opening."""

import socket
import subprocess
import unittest

from capture_case import CAPTURE_TIMEOUT, CMD_FULL_SCREEN, CaptureCase
from local_smtp import LocalSmtp, make_certificate, read_mail
from picture_checks import data_folder
from support import driver_exe, poll
from window_controls import COMMAND_IDS, centre_of, read_controls

MAIL_TITLE = "Send mail"
DIALOG_CLASS = "#32770"
HINT = "Use either the form john.smith@example.com or John Smith <john.smith@example.com>."
DEFAULT_BODY = "Hi ...,\r\n\r\nHere's the screenshot.\r\n\r\n-- \r\nKind regards,\r\nYour Name"


class MailTest(CaptureCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.smtp = LocalSmtp(cls.class_dir / "mails").start()

    @classmethod
    def tearDownClass(cls):
        cls.smtp.stop()
        super().tearDownClass()

    def setUp(self):
        super().setUp()
        self.smtp.clear()
        (data_folder(self.prefix) / "email_body_text.txt").unlink(missing_ok=True)

    def test_sends_the_picture_and_keeps_the_entries(self):
        pid = self.start_and_wait()["pid"]
        self.capture(CMD_FULL_SCREEN, pid)
        mail = self.open_mail_window(pid)
        self.assertEqual(mail["MAIL_TAB"]["cursel"], 1, "no server yet: the server tab first")
        self.assertEqual(mail["MAIL_SUBJECT"]["text"], "Screenshot")
        self.assertEqual(mail["MAIL_BODY"]["text"], DEFAULT_BODY)
        self.assertEqual(mail["MAIL_ATTACHMENTS"]["text"], "Pictorn.png; ")
        self.assertFalse(mail["MAIL_USER"]["enabled"])
        self.type_into(pid, "MAIL_SERVER", f"127.0.0.1:{self.smtp.port}")
        self.click_check(pid, "MAIL_AUTH")
        self.type_into(pid, "MAIL_USER", "ann")
        self.type_into(pid, "MAIL_PASSWORD", "Secret pw1")
        self.click_check(pid, "MAIL_AUTH")  # off again: this server takes no login
        self.assertTrue(self.driver.click_button(MAIL_TITLE, "Ok", pid=pid).ok)
        self.assertTrue(poll(lambda: self.mail(pid)["MAIL_TAB"]["cursel"] == 0, 10))
        self.type_into(pid, "MAIL_FROM", "Ann Example <ann@example.org>")
        self.type_into(pid, "MAIL_TO", "bob@example.org")
        self.press_send(pid)
        self.assertEqual(self.answer_box(pid, "Pictorn Mail"), "Message sent successfully!")
        self.assertTrue(poll(lambda: self.mail(pid)["MAIL_SEND"]["enabled"], 10))

        sent = poll(self.smtp.mails, 10)
        self.assertTrue(sent, "the server received nothing")
        message = read_mail(sent[0])
        self.assertEqual(str(message["subject"]), "Screenshot")
        self.assertEqual(message["from"].addresses[0].addr_spec, "ann@example.org")
        self.assertEqual(message["from"].addresses[0].display_name, "Ann Example")
        self.assertEqual(message["x-mailer"], "Pictorn Mailer")
        self.assertEqual(message.get_body(("plain",)).get_content(), DEFAULT_BODY)
        attachments = list(message.iter_attachments())
        self.assertEqual([a.get_filename() for a in attachments], ["Pictorn.png"])
        png = self.class_dir / "attached.png"
        png.write_bytes(attachments[0].get_payload(decode=True))
        self.assertEqual(rgb(png), rgb(self.temp_bitmap), "the picture's pixels differ")

        # The entries and the body come back at the next opening; the password is not
        # stored as plain text.
        self.type_into(pid, "MAIL_BODY", "Dear Bob,\n\nhere it is.",
                       expected="Dear Bob,\r\n\r\nhere it is.")
        self.close_mail_window(pid)
        stored = self.stored_values()
        self.assertEqual(stored["MailFrom"], "Ann Example <ann@example.org>")
        self.assertEqual(stored["MailSMTPauth"], "0")
        mail = self.open_mail_window(pid)
        self.assertEqual(mail["MAIL_TAB"]["cursel"], 0)
        self.assertEqual(mail["MAIL_FROM"]["text"], "Ann Example <ann@example.org>")
        self.assertEqual(mail["MAIL_TO"]["text"], "bob@example.org")
        self.assertEqual(mail["MAIL_SERVER"]["text"], f"127.0.0.1:{self.smtp.port}")
        self.assertEqual(mail["MAIL_BODY"]["text"], "Dear Bob,\r\n\r\nhere it is.")
        self.show_server_tab(pid)
        self.click_check(pid, "MAIL_AUTH")
        self.assertEqual(self.mail(pid)["MAIL_USER"]["text"], "")
        self.type_into(pid, "MAIL_PASSWORD", "Secret pw1")
        self.close_mail_window(pid)
        self.assertEqual((data_folder(self.prefix) / "email_body_text.txt").read_bytes(),
                         b"Dear Bob,\r\n\r\nhere it is.")
        stored_password = self.stored_values()["MailSMTPauthPW"].replace(" ", "").lower()
        self.assertTrue(stored_password, "no password stored")
        self.assertNotIn(b"Secret pw1".hex(), stored_password)
        self.assertNotIn(bytes(b + 5 for b in b"Secret pw1").hex(), stored_password,
                         "the password is stored in the old letter shift")
        mail = self.open_mail_window(pid)
        self.assertEqual(mail["MAIL_PASSWORD"]["text"], "Secret pw1")
        self.close_mail_window(pid)

    def test_missing_entries_and_a_refused_connection(self):
        pid = self.start_and_wait()["pid"]
        self.capture(CMD_FULL_SCREEN, pid)
        self.open_mail_window(pid)
        self.assertTrue(self.driver.click_button(MAIL_TITLE, "Ok", pid=pid).ok)
        self.set_text(pid, "MAIL_SUBJECT", "")
        steps = [
            ("MAIL_FROM", "ann@example.org", "Please enter the From address.\r\n" + HINT),
            ("MAIL_CC", "carl@example.org",
             "Please enter the To or Cc address.\r\n" + HINT +
             "\r\nPlease use comma(,) to separate multiple addresses."),
            ("MAIL_SERVER", f"127.0.0.1:{closed_port()}",
             "Please enter your SMTP (outgoing mail) server, provided by your ISP."),
            ("MAIL_SUBJECT", " ", "Please enter a subject, or enter a blank (space) if you "
                                  "really want no subject for your message."),
        ]
        for name, text, message in steps:
            self.press_send(pid)
            self.assertEqual(self.answer_box(pid, "Info required"), message)
            if name == "MAIL_SERVER":
                self.assertTrue(poll(lambda: self.mail(pid)["MAIL_SERVER"]["focused"], 10),
                                "the server field did not get the focus")
                self.assertEqual(self.mail(pid)["MAIL_TAB"]["cursel"], 1)
                self.set_text(pid, name, text)
                self.assertTrue(self.driver.click_button(MAIL_TITLE, "Ok", pid=pid).ok)
            else:
                self.set_text(pid, name, text)
        self.press_send(pid)
        text = self.answer_box(pid, "Communications error", timeout=40)
        self.assertIn(".\r\n", text)
        self.assertIn("refused", text)
        self.assertTrue(poll(lambda: self.mail(pid)["MAIL_SEND"]["enabled"], 10))
        self.assertEqual(self.smtp.mails(), [])
        self.close_mail_window(pid)

    def test_the_password_goes_only_over_tls(self):
        # A server whose certificate this prefix trusts, with an account that must log in.
        cert, key = make_certificate(self.class_dir)
        trusted = self.prefix.run([driver_exe().parent / "trust_certificate.exe", f"Z:{cert}"])
        self.assertEqual(trusted.returncode, 0, trusted)
        tls = LocalSmtp(self.class_dir / "tls-mails", ["--cert", cert, "--key", key,
                                                        "--user", "ann", "--password",
                                                        "Secret pw1"]).start()
        try:
            tls.clear()
            pid = self.start_and_wait()["pid"]
            self.capture(CMD_FULL_SCREEN, pid)
            self.open_mail_window(pid)
            # First the test's plain server, which offers no STARTTLS.
            self.type_into(pid, "MAIL_SERVER", f"127.0.0.1:{self.smtp.port}")
            self.click_check(pid, "MAIL_AUTH")
            self.type_into(pid, "MAIL_USER", "ann")
            self.type_into(pid, "MAIL_PASSWORD", "Secret pw1")
            self.assertTrue(self.driver.click_button(MAIL_TITLE, "Ok", pid=pid).ok)
            self.assertTrue(poll(lambda: self.mail(pid)["MAIL_TAB"]["cursel"] == 0, 10))
            self.type_into(pid, "MAIL_FROM", "ann@example.org")
            self.type_into(pid, "MAIL_TO", "bob@example.org")
            self.press_send(pid)
            self.assertEqual(self.answer_box(pid, "Communications error", timeout=40),
                             f"Authentication failed.\r\n127.0.0.1:{self.smtp.port}; the server "
                             "offers no encryption, so the password was not sent")
            self.assertEqual(self.smtp.mails(), [])
            # Then the server with STARTTLS: the login and the message go through.
            self.show_server_tab(pid)
            self.type_into(pid, "MAIL_SERVER", f"localhost:{tls.port}")
            self.assertTrue(self.driver.click_button(MAIL_TITLE, "Ok", pid=pid).ok)
            self.press_send(pid)
            self.assertEqual(self.answer_box(pid, "Pictorn Mail", timeout=40),
                             "Message sent successfully!")
            sent = poll(tls.mails, 10)
            self.assertTrue(sent, "the TLS server received nothing")
            message = read_mail(sent[0])
            self.assertEqual(message["to"].addresses[0].addr_spec, "bob@example.org")
            self.assertEqual([a.get_filename() for a in message.iter_attachments()],
                             ["Pictorn.png"])
            self.close_mail_window(pid)
        finally:
            tls.stop()

    # --- helpers --------------------------------------------------------------------------

    def mail(self, pid):
        controls = read_controls(self.driver, MAIL_TITLE, DIALOG_CLASS, pid=pid)
        self.assertTrue(controls.ok, controls.raw)
        return controls

    def open_mail_window(self, pid):
        # A user clicks the main window's menu, so that window is active when the command
        # runs; the mail window must then take the focus by itself.
        self.activate_main_window()
        self.post(COMMAND_IDS["SendMail"], pid)
        found = self.driver.wait_window(MAIL_TITLE, DIALOG_CLASS, timeout=CAPTURE_TIMEOUT, pid=pid)
        self.assertTrue(found.ok, f"the mail window did not open: {found}")
        controls = poll(lambda: (lambda c: c if c.ok and c.by_class("SysTabControl32") and
                                 c["MAIL_ATTACHMENTS"]["text"] else None)(
            read_controls(self.driver, MAIL_TITLE, DIALOG_CLASS, pid=pid)), 10)
        self.assertTrue(controls, "the mail window was not filled in")
        self.assertTrue(poll(lambda: self.focused_window() == MAIL_TITLE, 10),
                        f"the mail window did not take the focus ({self.focused_window()!r})")
        return controls

    def close_mail_window(self, pid):
        self.assertTrue(self.driver.click_button(MAIL_TITLE, "Close", pid=pid).ok)
        self.assertTrue(self.driver.wait_gone(MAIL_TITLE, DIALOG_CLASS, pid=pid).ok,
                        "the mail window stayed open")

    def focused_window(self):
        """The title of the X window that has the focus."""
        return self.display.run(["xdotool", "getwindowfocus", "getwindowname"]).stdout.strip()

    def click_at(self, pid, name):
        self.xdotool("mousemove", "--sync", *centre_of(self.mail(pid)[name]), "click", 1)

    def type_into(self, pid, name, text, expected=None):
        """Clicks into a field, empties it and types the text, as a user does."""
        expected = text if expected is None else expected
        self.click_at(pid, name)
        self.assertTrue(poll(lambda: self.mail(pid)[name]["focused"], 10),
                        f"{name} did not take the focus")
        self.xdotool("key", "ctrl+a", "BackSpace")
        self.xdotool("type", "--delay", 20, text)
        if name != "MAIL_PASSWORD":
            self.assertTrue(poll(lambda: self.mail(pid)[name]["text"] == expected, 10),
                            f"{name} holds {self.mail(pid)[name]['text']!r}, not {expected!r}")

    def show_server_tab(self, pid):
        """A click on the first tab gives the tab control the focus; the right arrow moves on."""
        tab = self.mail(pid)["MAIL_TAB"]
        self.xdotool("mousemove", "--sync", tab["left"] + 15, tab["top"] + 8, "click", 1)
        self.xdotool("key", "Right")
        self.assertTrue(poll(lambda: self.mail(pid)["MAIL_TAB"]["cursel"] == 1, 10),
                        "the server tab did not come to the front")

    def click_check(self, pid, name):
        before = self.mail(pid)[name]["checked"]
        self.click_at(pid, name)
        self.assertTrue(poll(lambda: self.mail(pid)[name]["checked"] != before, 10),
                        f"{name} did not toggle")

    def set_text(self, pid, name, text):
        from window_controls import CONTROL_IDS
        result = self.driver("set-child-text", MAIL_TITLE, CONTROL_IDS[name], text, pid=pid)
        self.assertTrue(result.ok, result)

    def press_send(self, pid):
        self.assertTrue(self.driver.click_button(MAIL_TITLE, "Send", pid=pid).ok)

    def answer_box(self, pid, title, timeout=20):
        """Waits for a message box, presses its OK and returns its text."""
        box = self.driver.wait_messagebox(title, timeout=timeout, pid=pid)
        self.assertTrue(box.ok, f"no {title!r} box: {box}")
        texts = [r["text"] for r in box.records if r.get("kind") == "text"]
        self.assertTrue(self.driver.click_button(title, "OK", pid=pid).ok)
        self.assertTrue(self.driver.wait_gone(title, DIALOG_CLASS, pid=pid).ok)
        return "".join(texts)

    def stored_values(self):
        from ui_steps import UiSteps
        return UiSteps.stored_values(self)


def rgb(path):
    """The picture's pixels as raw RGB bytes (ImageMagick)."""
    return subprocess.run(["convert", str(path), "-depth", "8", "rgb:-"], check=True,
                          capture_output=True, timeout=60).stdout


def closed_port():
    """A local port nobody listens on."""
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


if __name__ == "__main__":
    unittest.main()
