"""A private X display (Xvfb) with openbox as window manager, stopped by process id."""

import os
import subprocess
from pathlib import Path

from support import LIVE, poll

WIDTH, HEIGHT = 1280, 800


class XDisplay:
    def __init__(self, log_dir):
        self.log_dir = Path(log_dir)
        self.name = None
        self._xvfb = None
        self._openbox = None

    def env(self):
        return {**os.environ, "DISPLAY": self.name}

    def start(self, first=100, last=400, attempts=5):
        """Starts Xvfb and openbox on the first free display number. A display whose number
        was just given up by another Xvfb can still answer with the old server for a moment;
        when anything does not come up, everything is stopped and the next number is tried."""
        self.log_dir.mkdir(parents=True, exist_ok=True)
        number = first
        for attempt in range(attempts):
            number = self._start_xvfb(number, last)
            try:
                self._start_openbox()
                return
            except RuntimeError:
                if attempt == attempts - 1:
                    raise
                self.stop()
                number += 1

    def _start_xvfb(self, first, last):
        for number in range(first, last):
            if self._taken(number):
                continue
            xvfb = self._spawn(
                ["Xvfb", f":{number}", "-screen", "0", f"{WIDTH}x{HEIGHT}x24", "-nolisten", "tcp"],
                "xvfb.log", os.environ)
            socket = Path(f"/tmp/.X11-unix/X{number}")
            # Another session may take the number first; this Xvfb then exits at once.
            if poll(lambda: socket.exists() or xvfb.poll() is not None, 10) and xvfb.poll() is None:
                self._xvfb, self.name = xvfb, f":{number}"
                LIVE.append(self)
                return number
            self._stop(xvfb)
        raise RuntimeError("no free X display could be started")

    def _start_openbox(self, tries=3):
        # The socket file exists from bind() on, before the server listens: a client that
        # comes too early (openbox, on a loaded machine) is refused and gives up.
        if not poll(self._accepts_clients, 10) or self._xvfb.poll() is not None:
            raise RuntimeError(f"Xvfb on {self.name} does not accept clients")
        # On a busy machine openbox has once failed to open a display that had just
        # answered (it ends at once then), and a second start worked.
        for _ in range(tries):
            self._openbox = self._spawn(["openbox", "--sm-disable"], "openbox.log", self.env())
            # On a loaded machine openbox has been seen to need more than ten seconds.
            poll(lambda: self._wm_ready() or self._openbox.poll() is not None, 30)
            if self._wm_ready():
                return
            self._stop(self._openbox)
        raise RuntimeError(f"openbox did not come up on {self.name}")

    def stop(self):
        for process in (self._openbox, self._xvfb):
            self._stop(process)
        self._openbox = self._xvfb = None
        if self in LIVE:
            LIVE.remove(self)

    def run(self, args, timeout=30):
        """Runs an X client (not a Wine program) and returns its CompletedProcess."""
        return subprocess.run(args, env=self.env(), stdin=subprocess.DEVNULL,
                              capture_output=True, text=True, timeout=timeout)

    def screenshot(self, path):
        self.run(["import", "-window", "root", str(path)])

    @staticmethod
    def _taken(number):
        return Path(f"/tmp/.X11-unix/X{number}").exists() or Path(f"/tmp/.X{number}-lock").exists()

    def _spawn(self, args, log_name, env):
        with open(self.log_dir / log_name, "ab") as log:
            return subprocess.Popen(args, env=env, stdin=subprocess.DEVNULL, stdout=log,
                                    stderr=subprocess.STDOUT)

    def _accepts_clients(self):
        return self.run(["xwininfo", "-root"], timeout=5).returncode == 0

    def _wm_ready(self):
        result = self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], timeout=5)
        return result.returncode == 0 and "window id" in result.stdout

    @staticmethod
    def _stop(process):
        if process is None or process.poll() is not None:
            return
        process.terminate()
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
