"""Runs e2e_driver.exe in a test's Wine prefix and parses its records."""

from support import driver_exe


def parse_field(text):
    out, i = [], 0
    escapes = {"\\": "\\", "t": "\t", "r": "\r", "n": "\n"}
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append(escapes.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def parse_records(stdout):
    records = []
    for line in stdout.splitlines():
        if not line:
            continue
        record = {}
        for field in line.split("\t"):
            key, _, value = field.partition("=")
            record[key] = parse_field(value)
        records.append(record)
    return records


class DriverResult:
    def __init__(self, wine_result):
        self.returncode = wine_result.returncode
        self.records = parse_records(wine_result.stdout)
        self.stderr = wine_result.stderr

    @property
    def ok(self):
        return self.returncode == 0

    @property
    def first(self):
        return self.records[0] if self.records else {}

    def __repr__(self):
        return f"DriverResult(rc={self.returncode}, records={self.records}, stderr={self.stderr!r})"


class Driver:
    def __init__(self, prefix):
        self.prefix = prefix

    def __call__(self, command, *args, pid=None, hidden=False, timeout=None):
        argv = [driver_exe(), command, *map(str, args)]
        if pid is not None:
            argv += ["--pid", str(pid)]
        if hidden:
            argv.append("--hidden")
        result = DriverResult(self.prefix.run(argv, timeout=timeout or 120))
        if result.returncode == 2:
            raise AssertionError(f"e2e_driver usage error: {result.stderr}")
        return result

    # Timeouts are given in seconds here, milliseconds to the driver.
    def wait_window(self, title, cls="*", timeout=15, pid=None, hidden=False):
        return self("wait-window", title, cls, int(timeout * 1000), pid=pid, hidden=hidden,
                    timeout=timeout + 30)

    def wait_gone(self, title, cls="*", timeout=10, pid=None):
        return self("wait-gone", title, cls, int(timeout * 1000), pid=pid, timeout=timeout + 30)

    def wait_messagebox(self, title, timeout=15, pid=None):
        return self("wait-messagebox", title, int(timeout * 1000), pid=pid, timeout=timeout + 30)

    def wait_pid_exit(self, pid, timeout=10):
        return self("wait-pid-exit", pid, int(timeout * 1000), timeout=timeout + 30)

    def window_info(self, title, cls="*", pid=None):
        return self("window-info", title, cls, pid=pid)

    def children(self, title, cls="*", pid=None):
        return self("children", title, cls, pid=pid)

    def list_windows(self, title="*", cls="*", pid=None, hidden=False):
        return self("list-windows", title, cls, pid=pid, hidden=hidden)

    def click_button(self, title, button, pid=None):
        return self("click-button", title, button, pid=pid)

    def post_command(self, title, command_id, pid=None):
        return self("post-command", title, command_id, pid=pid)

    def close(self, title, pid=None):
        return self("close", title, pid=pid)
