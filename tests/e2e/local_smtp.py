"""The project's local SMTP server (aiosmtpd, tests/unit/net/servers/smtp_server.py) for the
end-to-end tests: started on 127.0.0.1, stopped by its process id. Each message it accepts
is saved as <n>.eml in its folder. Options of the script (a certificate for STARTTLS, an
account that must log in) pass through `options`; `make_certificate` makes one for
"localhost"."""

import email
import email.policy
import os
import select
import subprocess
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
SCRIPT = ROOT / "tests" / "unit" / "net" / "servers" / "smtp_server.py"


class LocalSmtp:
    def __init__(self, folder, options=()):
        self.folder = Path(folder)
        self.options = [str(option) for option in options]
        self.process = None
        self.port = None

    def start(self, timeout=15):
        self.folder.mkdir(parents=True, exist_ok=True)
        log = open(self.folder.parent / "smtp_server.log", "ab")
        self.process = subprocess.Popen(["/usr/bin/python3", str(SCRIPT), "--dir", str(self.folder),
                                         *self.options],
                                        stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                        stderr=log)
        log.close()
        deadline = time.monotonic() + timeout
        line = b""
        while time.monotonic() < deadline and not line.endswith(b"\n"):
            ready, _, _ = select.select([self.process.stdout], [], [], 0.1)
            if ready:
                chunk = os.read(self.process.stdout.fileno(), 64)
                if not chunk:
                    break
                line += chunk
        if not line.startswith(b"PORT "):
            self.stop()
            raise RuntimeError(f"the SMTP server did not start: {line!r}")
        self.port = int(line.split()[1])
        return self

    def stop(self):
        if self.process is not None and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.process = None

    def mails(self):
        return sorted(self.folder.glob("*.eml"), key=lambda p: int(p.stem))

    def clear(self):
        for path in self.folder.glob("*.eml*"):
            path.unlink()


def read_mail(path):
    return email.message_from_bytes(Path(path).read_bytes(), policy=email.policy.default)


def make_certificate(folder, name="localhost"):
    """A self-signed certificate for "localhost" (Wine matches names, not addresses);
    returns the paths of the certificate and its key."""
    cert, key = Path(folder) / f"{name}.pem", Path(folder) / f"{name}.key"
    subprocess.run(["/usr/bin/openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes",
                    "-keyout", str(key), "-out", str(cert), "-days", "30", "-subj",
                    "/CN=localhost", "-addext", "subjectAltName=DNS:localhost"],
                   check=True, capture_output=True, timeout=60)
    return cert, key
