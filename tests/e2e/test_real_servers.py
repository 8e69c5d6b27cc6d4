"""The FTP and mail windows of the real pictorn.exe against servers as users run them
(tests/daemons): FTPS uploads to vsftpd and proftpd, and mail to Exim over STARTTLS with a
login, the server given by its address.

vsftpd and proftpd require by default that every data connection resumes the control
connection's TLS session. Wine's Schannel never resumes (docs/ARCHITECTURE.md), so here the
window must name that cause, and the uploads go to both servers with the requirement off;
the native client's tests cover resumption against both in their default setup."""

import os
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
    # The steps a user takes in the two windows, borrowed from their own tests (the
    # classes stay out of this module's names, or their tests would run here again).
    _ftp, _mail = test_ftp.FtpWindowTest, test_mail.MailTest
    open_ftp_window, controls, click = _ftp.open_ftp_window, _ftp.controls, _ftp.click
    ftp_type, add_file, answer = _ftp.type_into, _ftp.add_file, _ftp.answer
    ftp_log, close_ftp_window = _ftp.log, _ftp.close_ftp_window
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

    def upload(self, pid, server, host):
        """Fills in the server's entries, uploads and returns the answer."""
        self.ftp_type(pid, "FTP_SERVER", f"{host}:{server.port}")
        self.ftp_type(pid, "FTP_USER", server.user)
        self.ftp_type(pid, "FTP_PASSWORD", server.password)
        self.ftp_type(pid, "FTP_REMOTEDIR", "/upload")
        self.click(pid, "Upload")
        return self.answer(pid, timeout=60)

    def assert_uploaded(self, pid, server, data, text):
        self.assertEqual(text, "Files successfully uploaded!", self.ftp_log(pid))
        self.assertEqual(sorted(p.name for p in server.upload.iterdir()),
                         sorted(["Pictorn.png", data.name]), "not exactly the two files")
        self.assertEqual((server.upload / data.name).read_bytes(), data.read_bytes())
        self.assertEqual(test_ftp.raw_rgb(server.upload / "Pictorn.png"),
                         test_ftp.raw_rgb(self.temp_bitmap), "the uploaded picture differs")

    def test_ftps_uploads_to_vsftpd_and_proftpd(self):
        data = self.class_dir / "data.bin"
        data.write_bytes(os.urandom(3 << 20))
        reuse = self.start_server("vsftpd")
        vsftpd = self.start_server("vsftpd", "--no-reuse")
        proftpd = self.start_server("proftpd", "--no-reuse")
        pid = self.start_and_wait()["pid"]
        self.capture(CMD_FULL_SCREEN, pid)
        self.open_ftp_window(pid)
        self.click(pid, "Passive Mode (PASV)")
        self.add_file(pid, data)

        self.assertTrue(self.upload(pid, reuse, "localhost").startswith("Upload failed."))
        self.assertIn(": the server requires TLS session reuse (", self.ftp_log(pid))
        self.assertEqual(list(reuse.upload.iterdir()), [], "a file was left on the server")
        # By name and by address: the certificate names both.
        for server, host in ((vsftpd, "localhost"), (proftpd, "127.0.0.1")):
            with self.subTest(server=server.kind):
                self.assert_uploaded(pid, server, data, self.upload(pid, server, host))
        self.close_ftp_window(pid)

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
