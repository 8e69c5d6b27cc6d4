"""A CUPS server of a test's own (no systemd, a Unix socket in the test's folder) with one
cups-pdf printer as the default, stopped by process id.

cups-pdf reads its settings from /etc/cups/cups-pdf-<printer>.conf, so the printer gets a
name of this run's own and that file is removed again at stop."""

import os
import shutil
import subprocess
from pathlib import Path

from support import LIVE, poll

PPD = Path("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd")
BACKEND = Path("/usr/lib/cups/backend/cups-pdf")


class PrivateCups:
    def __init__(self, folder):
        self.folder = Path(folder)
        self.socket = self.folder / "cups.sock"
        self.output = self.folder / "out"
        self.printer = f"PictornE2E{os.getpid()}"
        self.pdf_config = Path(f"/etc/cups/cups-pdf-{self.printer}.conf")
        self._process = None

    def env(self):
        return {"CUPS_SERVER": str(self.socket)}

    def start(self):
        """Starts the server and adds the printer; returns why that was not possible, or
        None when it is ready."""
        missing = [p for p in ("cupsd", "lpadmin") if not shutil.which(p)]
        missing += [str(p) for p in (PPD, BACKEND) if not p.exists()]
        if missing:
            return f"CUPS or cups-pdf is not installed (missing {', '.join(missing)})"
        if os.geteuid() != 0:
            return "cups-pdf needs root (its backend and /etc/cups/cups-pdf-*.conf)"
        shutil.rmtree(self.folder, ignore_errors=True)
        for sub in ("spool", "cache", "state", "log"):
            (self.folder / sub).mkdir(parents=True)
        for shared in ("tmp", "out"):  # filters run as the lp user
            (self.folder / shared).mkdir()
            (self.folder / shared).chmod(0o1777)
        self._write_configs()
        self.pdf_config.write_text(f"Out {self.output}\n")
        with open(self.folder / "cupsd.out", "wb") as log:
            self._process = subprocess.Popen(
                ["cupsd", "-f", "-c", str(self.folder / "cupsd.conf"),
                 "-s", str(self.folder / "cups-files.conf")],
                stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
        LIVE.append(self)
        if not poll(lambda: self.socket.exists() or self._process.poll() is not None, 10) \
                or self._process.poll() is not None:
            return f"cupsd did not start: {self.log_tail()}"
        for args in (["-p", self.printer, "-E", "-v", f"cups-pdf:/{self.printer}", "-P", str(PPD)],
                     ["-d", self.printer]):
            result = subprocess.run(["lpadmin", *args], env={**os.environ, **self.env()},
                                    stdin=subprocess.DEVNULL, capture_output=True, text=True,
                                    timeout=30)
            if result.returncode != 0:
                return f"lpadmin {' '.join(args)} failed: {result.stderr.strip()}"
        return None

    def stop(self):
        if self in LIVE:
            LIVE.remove(self)
        if self._process is not None and self._process.poll() is None:
            self._process.terminate()
            try:
                self._process.wait(10)
            except subprocess.TimeoutExpired:
                self._process.kill()
                self._process.wait()
        self._process = None
        self.pdf_config.unlink(missing_ok=True)

    def finished_pdf(self):
        """A PDF the printer has written completely, or None."""
        if not self.output.is_dir():
            return None
        for pdf in self.output.glob("*.pdf"):
            data = pdf.read_bytes()
            if data.rstrip().endswith(b"%%EOF"):
                return pdf
        return None

    def log_tail(self):
        texts = []
        for name in ("cupsd.out", "log/error_log"):
            path = self.folder / name
            if path.exists():
                texts.append(path.read_text(errors="replace")[-1500:])
        return "\n".join(texts)

    def _write_configs(self):
        (self.folder / "cupsd.conf").write_text(
            f"Listen {self.socket}\n"
            "LogLevel warn\nWebInterface No\nBrowsing No\n"
            "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
            "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n")
        f = self.folder
        (self.folder / "cups-files.conf").write_text(
            f"ServerRoot {f}\nRequestRoot {f}/spool\nCacheDir {f}/cache\nStateDir {f}/state\n"
            f"TempDir {f}/tmp\nErrorLog {f}/log/error_log\nAccessLog {f}/log/access_log\n"
            f"PageLog {f}/log/page_log\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\n"
            "FileDevice No\n")
