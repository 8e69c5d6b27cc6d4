"""A Wine prefix owned by one test class.

Wine programs always write to files, never to pipes: Wine's background services inherit
the pipe and the reader would wait for them."""

import os
import shutil
import subprocess
from pathlib import Path

from support import LIVE

STAMP = ".pictorn-stamp"

# Wine as Debian builds it (no preloader) now and then cannot put the page that every Windows
# process shares with the system at its fixed address, because Linux laid the address space
# out at random; the process then ends with 1 before any Windows code runs, about one start
# in a thousand. Wine's own report of it is kept on so that such a start can be told from a
# program's failure and made again.
WINEDEBUG = "-all,err+virtual"
START_FAILURE = "failed to map the shared user data"
START_ATTEMPTS = 3
# A start that fails so ends within milliseconds; one still running after this has started.
START_FAILURE_WINDOW = 0.2


def wine_version():
    result = subprocess.run(["wine", "--version"], capture_output=True, text=True,
                            stdin=subprocess.DEVNULL, env={**os.environ, "WINEDEBUG": "-all"})
    return result.stdout.strip() or "unknown"


class WineResult:
    def __init__(self, returncode, stdout, stderr):
        self.returncode = returncode
        self.stdout = stdout
        self.stderr = stderr

    def __repr__(self):
        return f"WineResult(rc={self.returncode}, stdout={self.stdout!r}, stderr={self.stderr!r})"


class WinePrefix:
    def __init__(self, path, display_env):
        self.path = Path(path)
        self.log_dir = self.path.parent / (self.path.name + "-logs")
        self._display_env = display_env
        self._counter = 0

    def env(self):
        return {**self._display_env, "WINEPREFIX": str(self.path), "WINEDEBUG": WINEDEBUG,
                "WINEDLLOVERRIDES": "mscoree,mshtml=", "WINEARCH": "win64"}

    # --- creation ----------------------------------------------------------------------

    @staticmethod
    def ensure_template(path):
        """Creates a template prefix (with Wine's fonts, so captions are readable in
        screenshots) unless one for the installed Wine version is already there."""
        path = Path(path)
        version = wine_version()
        stamp = path / STAMP
        if stamp.exists() and stamp.read_text() == version:
            return path
        shutil.rmtree(path, ignore_errors=True)
        path.parent.mkdir(parents=True, exist_ok=True)
        template = WinePrefix(path, dict(os.environ))
        with open(path.parent / (path.name + ".wineboot.log"), "wb") as log:
            subprocess.run(["wineboot", "-i"], env=template.env(), stdin=subprocess.DEVNULL,
                           stdout=log, stderr=subprocess.STDOUT, check=True, timeout=180)
            subprocess.run(["wineserver", "-w"], env=template.env(), stdin=subprocess.DEVNULL,
                           stdout=log, stderr=subprocess.STDOUT, timeout=60)
        fonts = path / "drive_c/windows/Fonts"
        fonts.mkdir(parents=True, exist_ok=True)
        for font in Path("/usr/share/wine/fonts").iterdir():
            shutil.copy(font, fonts)
        stamp.write_text(version)
        return path

    def clone_from(self, template):
        """A fresh prefix from the template. The system DLLs (600 MB, never written by
        Wine) are hard links; everything else is copied."""
        template = Path(template)
        shutil.rmtree(self.path, ignore_errors=True)
        shutil.rmtree(self.log_dir, ignore_errors=True)
        self.log_dir.mkdir(parents=True)
        system32 = Path("drive_c/windows/system32")
        shutil.copytree(template, self.path, symlinks=True,
                        ignore=lambda d, names: ["system32"] if Path(d) == template / system32.parent else [])
        subprocess.run(["cp", "-al", str(template / system32), str(self.path / system32.parent)],
                       check=True)

    def start_server(self):
        """Starts and warms the wineserver so programs start fast and detached."""
        LIVE.append(self)
        subprocess.run(["wineserver", "-p"], env=self.env(), stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        self.run(["wineboot"], timeout=120)

    def stop(self):
        self.kill_server()

    def kill_server(self):
        if self in LIVE:
            LIVE.remove(self)
        subprocess.run(["wineserver", "-k"], env=self.env(), stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)

    # --- running programs ----------------------------------------------------------------

    def _log_paths(self, args):
        self._counter += 1
        stem = f"{self._counter:04d}-{Path(str(args[0])).stem}"
        return self.log_dir / f"{stem}.out", self.log_dir / f"{stem}.err"

    def run(self, args, timeout=60):
        """Runs `wine args...` to completion; its output is read back from files."""
        for _ in range(START_ATTEMPTS):
            out_path, err_path = self._log_paths(args)
            with open(out_path, "wb") as out, open(err_path, "wb") as err:
                process = subprocess.Popen(["wine", *map(str, args)], env=self.env(),
                                           stdin=subprocess.DEVNULL, stdout=out, stderr=err)
                try:
                    returncode = process.wait(timeout)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
                    raise
            result = WineResult(returncode, _read_text(out_path), _read_text(err_path))
            if not _failed_to_start(returncode, err_path):
                break
        return result

    def start(self, args, extra_env=None):
        """Starts `wine args...` in the background; the caller owns the Popen."""
        env = {**self.env(), **(extra_env or {})}
        for _ in range(START_ATTEMPTS):
            out_path, err_path = self._log_paths(args)
            with open(out_path, "wb") as out, open(err_path, "wb") as err:
                process = subprocess.Popen(["wine", *map(str, args)], env=env,
                                           stdin=subprocess.DEVNULL, stdout=out, stderr=err)
            try:
                returncode = process.wait(START_FAILURE_WINDOW)
            except subprocess.TimeoutExpired:
                return process
            if not _failed_to_start(returncode, err_path):
                return process
        return process

    # --- registry ------------------------------------------------------------------------

    def reg_query(self, key, value=None):
        args = ["reg", "query", key] + (["/v", value] if value is not None else [])
        return self.run(args)

    def reg_add(self, key, value, kind, data):
        return self.run(["reg", "add", key, "/v", value, "/t", kind, "/d", data, "/f"])

    def reg_delete_key(self, key):
        return self.run(["reg", "delete", key, "/f"])

    def reg_import_strings(self, key, values):
        """Writes text values through a .reg file, which has no length limit (reg add's
        command line has one)."""
        self._counter += 1
        reg_file = self.log_dir / f"{self._counter:04d}-import.reg"
        full_key = key.replace("HKCU\\", "HKEY_CURRENT_USER\\", 1)
        lines = ["Windows Registry Editor Version 5.00", "", f"[{full_key}]"]
        for name, text in values.items():
            lines.append(f'"{_reg_escape(name)}"="{_reg_escape(text)}"')
        body = "\r\n".join(lines) + "\r\n"
        reg_file.write_bytes(b"\xff\xfe" + body.encode("utf-16-le"))
        return self.run(["reg", "import", _windows_path(reg_file)])


def _reg_escape(text):
    return text.replace("\\", "\\\\").replace('"', '\\"')


def _windows_path(path):
    """The Z: drive maps the Unix root."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def _failed_to_start(returncode, err_path):
    return returncode != 0 and START_FAILURE in _read_text(err_path)


def _read_text(path):
    return Path(path).read_bytes().decode("utf-8", errors="replace").replace("\r\n", "\n")
