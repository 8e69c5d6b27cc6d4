"""The project's local SMTP server (aiosmtpd, tests/unit/net/servers/smtp_server.py) for the
end-to-end tests: started once per test class on 127.0.0.1, stopped by its process id. Each
message it accepts is saved as <n>.eml in its folder."""

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
    def __init__(self, folder):
        self.folder = Path(folder)
        self.process = None
        self.port = None

    def start(self, timeout=15):
        self.folder.mkdir(parents=True, exist_ok=True)
        log = open(self.folder.parent / "smtp_server.log", "ab")
        self.process = subprocess.Popen(["/usr/bin/python3", str(SCRIPT), "--dir", str(self.folder)],
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
