"""The mail window of the real pictorn.exe against a server as users run it
(tests/daemons): mail to Exim over STARTTLS with a login, the server given by its address."""

import sys
import unittest
from pathlib import Path

import test_ftp
import test_mail
from capture_case import CAPTURE_TIMEOUT, CMD_FULL_SCREEN, CaptureCase
from local_smtp import read_mail
from support import LIVE, driver_exe, poll

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "daemons"))
from daemon import RealServer, make_certificate  # noqa: E402


class RealServersTest(CaptureCase):
    # The steps a user takes in the window, borrowed from its own tests (the class stays
    # out of this module's names, or its tests would run here again).
    _mail = test_mail.MailTest
    open_mail_window, close_mail_window = _mail.open_mail_window, _mail.close_mail_window
    mail, focused_window, click_at = _mail.mail, _mail.focused_window, _mail.click_at
    set_text, click_check = _mail.set_text, _mail.click_check
    press_send, answer_box = _mail.press_send, _mail.answer_box

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        # One certificate for every server (it names localhost and 127.0.0.1), trusted in
        # the prefix before the program starts.
        cls.cert, cls.key = make_certificate(cls.class_dir)
        trusted = cls.prefix.run([driver_exe().parent / "trust_certificate.exe",
                                  f"Z:{cls.cert}"])
        if trusted.returncode != 0:
            raise AssertionError(f"the certificate was not trusted: {trusted}")

    def start_server(self, kind, *options):
        server = RealServer(kind, "--cert", self.cert, "--key", self.key, *options)
        LIVE.append(server)  # an interrupted run stops it too
        self.addCleanup(lambda: (server.stop(), LIVE.remove(server)))
        return server

    def test_mail_to_exim_by_address_over_starttls_with_login(self):
        exim = self.start_server("exim")
        pid = self.start_and_wait()["pid"]
        self.capture(CMD_FULL_SCREEN, pid)
        self.open_mail_window(pid)
        self.set_text(pid, "MAIL_SERVER", f"127.0.0.1:{exim.port}")
        self.click_check(pid, "MAIL_AUTH")
        self.set_text(pid, "MAIL_USER", exim.user)
        self.set_text(pid, "MAIL_PASSWORD", exim.password)
        self.assertTrue(self.driver.click_button(test_mail.MAIL_TITLE, "Ok", pid=pid).ok)
        self.assertTrue(poll(lambda: self.mail(pid)["MAIL_TAB"]["cursel"] == 0, 10))
        self.set_text(pid, "MAIL_FROM", "ann@example.org")
        self.set_text(pid, "MAIL_TO", "bob@example.org")
        self.press_send(pid)
        # Whichever box ends the sending, so that a failure shows at once with its text.
        def box_title():
            return next((title for title in ("Pictorn Mail", "Communications error")
                         if self.driver.wait_messagebox(title, timeout=0.2, pid=pid).ok), None)
        title = poll(box_title, CAPTURE_TIMEOUT * 2)
        self.assertTrue(title, "sending did not end")
        self.assertEqual(self.answer_box(pid, title), "Message sent successfully!")
        delivered = poll(exim.mails, 10)
        self.assertTrue(delivered, "Exim delivered nothing")
        message = read_mail(delivered[0])
        attachments = list(message.iter_attachments())
        self.assertEqual([a.get_filename() for a in attachments], ["Pictorn.png"])
        attached = self.class_dir / "attached.png"
        attached.write_bytes(attachments[0].get_payload(decode=True))
        self.assertEqual(test_ftp.raw_rgb(attached), test_ftp.raw_rgb(self.temp_bitmap))
        received = [line for line in exim.log.read_text().splitlines() if " <= " in line]
        self.assertEqual(len(received), 1, received)
        # Over TLS, logged in, and no server name sent for an address.
        self.assertIn(" X=TLS", received[0])
        self.assertIn(" A=", received[0])
        self.assertNotIn(" SNI=", received[0])
        self.close_mail_window(pid)


if __name__ == "__main__":
    unittest.main()
