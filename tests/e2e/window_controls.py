"""Reading a window's controls through the driver's `controls` command, and the numbers the
program itself defines (command and control ids, version), taken from its sources so the
tests follow them."""

import re
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]


def _defines(path, pattern):
    return {m.group(1): int(m.group(2)) for m in re.finditer(pattern, path.read_text())}


# IDC_PREFS_SECONDS -> PREFS_SECONDS, ...
CONTROL_IDS = {name: number for name, number in _defines(
    ROOT / "resources" / "resource_ids.h", r"#define\s+IDC_(\w+)\s+(\d+)").items()}
# kPreferences -> Preferences, ...
COMMAND_IDS = _defines(ROOT / "src" / "mainwindow" / "command_ids.h",
                       r"constexpr int k(\w+)\s*=\s*(\d+);")


def program_version():
    match = re.search(r"project\(\s*\w+\s+VERSION\s+([\d.]+)", (ROOT / "CMakeLists.txt").read_text())
    return match.group(1)


class Controls:
    """A snapshot of one window: its client rectangle and its child controls, each a dict
    with int fields (id, visible, enabled, focused, left, top, right, bottom, and checked /
    cursel / count / pos where the class has them, style) and text."""

    INT_FIELDS = ("id", "visible", "enabled", "focused", "left", "top", "right", "bottom",
                  "checked", "cursel", "count", "pos", "style", "outer_left", "outer_top",
                  "outer_right", "outer_bottom")

    def __init__(self, result):
        self.ok = result.ok
        self.raw = result
        self.client = None
        self.items = []
        for record in result.records:
            record = {k: int(v, 0) if k in self.INT_FIELDS else v for k, v in record.items()}
            if record.get("kind") == "window":
                self.client = record
            else:
                self.items.append(record)

    def __getitem__(self, name):
        """The control with the id IDC_<name>."""
        wanted = CONTROL_IDS[name]
        for item in self.items:
            if item["id"] == wanted:
                return item
        raise KeyError(f"no control {name} ({wanted}) in {self.raw}")

    def outer(self):
        """The window's own rectangle, frame included."""
        return {k: self.client[f"outer_{k}"] for k in ("left", "top", "right", "bottom")}

    def by_class(self, cls):
        return [item for item in self.items if item["class"] == cls]

    def visible(self):
        return [item for item in self.items if item["visible"]]

    def __repr__(self):
        return f"Controls(client={self.client}, items={self.items})"


def read_controls(driver, title, cls="*", pid=None, hidden=False):
    return Controls(driver("controls", title, cls, pid=pid, hidden=hidden))


def centre_of(item):
    return (item["left"] + item["right"]) // 2, (item["top"] + item["bottom"]) // 2
