"""Pictures for the capture and output tests: a known screen picture painted on the X root,
reading the program's bitmaps, identifying written files, and where the program keeps them."""

import struct
import subprocess
from pathlib import Path

from support import poll

# The test screen: a grid of flat blocks (so a capture can be compared at any point of a
# block) with a marker of its own in each corner, so a flipped or shifted picture differs.
GRID_COLUMNS, GRID_ROWS = 4, 3
CORNER_SIZE = 8
CORNER_COLOURS = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0)]  # tl, tr, bl, br


def block_colour(column, row):
    return (40 + 60 * column, 30 + 70 * row, 200 - 40 * column)


def block_bounds(column, row, width, height):
    left, right = column * width // GRID_COLUMNS, (column + 1) * width // GRID_COLUMNS - 1
    top, bottom = row * height // GRID_ROWS, (row + 1) * height // GRID_ROWS - 1
    return left, top, right, bottom


def make_screen_picture(path, width, height):
    """Writes the test screen as a PNG of the given size; returns the points to compare as
    (x, y, (r, g, b))."""
    draw = ["convert", "-size", f"{width}x{height}", "xc:black"]
    points = []
    for row in range(GRID_ROWS):
        for column in range(GRID_COLUMNS):
            left, top, right, bottom = block_bounds(column, row, width, height)
            colour = block_colour(column, row)
            draw += ["-fill", "rgb(%d,%d,%d)" % colour,
                     "-draw", f"rectangle {left},{top} {right},{bottom}"]
            points.append(((left + right) // 2, (top + bottom) // 2, colour))
    s = CORNER_SIZE - 1
    corners = [(0, 0), (width - 1 - s, 0), (0, height - 1 - s), (width - 1 - s, height - 1 - s)]
    for (x, y), colour in zip(corners, CORNER_COLOURS):
        draw += ["-fill", "rgb(%d,%d,%d)" % colour, "-draw", f"rectangle {x},{y} {x + s},{y + s}"]
    points += [(0, 0, CORNER_COLOURS[0]), (width - 1, 0, CORNER_COLOURS[1]),
               (0, height - 1, CORNER_COLOURS[2]), (width - 1, height - 1, CORNER_COLOURS[3])]
    subprocess.run(draw + [str(path)], check=True, timeout=60)
    return points


def paint_root(display, picture, width, height):
    """Makes the picture the root window's background, as a desktop wallpaper."""
    # display(1) may end with status 1 after painting the root; the pictures compared later
    # show whether it worked.
    display.run(["display", "-window", "root", "-resize", f"{width}x{height}!", str(picture)],
                timeout=60)


class Bitmap:
    """A Windows bitmap file (24 or 32 bits, uncompressed), as the program writes them."""

    def __init__(self, data):
        if data[:2] != b"BM" or len(data) < 54:
            raise ValueError("not a bitmap file")
        offset = struct.unpack_from("<I", data, 10)[0]
        (header_size, width, height, _planes, bits, compression) = struct.unpack_from(
            "<IiiHHI", data, 14)
        if header_size < 40 or bits not in (24, 32) or compression not in (0, 3):
            raise ValueError(f"unsupported bitmap: {bits} bits, compression {compression}")
        self.width, self.height = width, abs(height)
        self._top_down = height < 0
        self._bytes_per_pixel = bits // 8
        self._stride = (width * bits + 31) // 32 * 4
        if len(data) < offset + self._stride * self.height:
            raise ValueError("bitmap file is cut short")
        self._data, self._offset = data, offset

    @classmethod
    def read(cls, path):
        return cls(Path(path).read_bytes())

    def pixel(self, x, y):
        row = y if self._top_down else self.height - 1 - y
        i = self._offset + row * self._stride + x * self._bytes_per_pixel
        blue, green, red = self._data[i:i + 3]
        return red, green, blue


def read_bitmap_when_complete(path, timeout, newer_than=None):
    """The bitmap at path once it is whole (and written after newer_than, an mtime_ns), or
    None when that does not happen within timeout seconds."""
    def attempt():
        try:
            if newer_than is not None and Path(path).stat().st_mtime_ns <= newer_than:
                return None
            return Bitmap.read(path)
        except (OSError, ValueError):
            return None
    return poll(attempt, timeout)


def identify(path):
    """(format, width, height) of the first picture in a file as ImageMagick reads it, or
    None when it cannot be read."""
    result = subprocess.run(["identify", "-format", "%m %w %h\n", f"{path}[0]"],
                            capture_output=True, text=True, timeout=60)
    if result.returncode != 0 or not result.stdout.strip():
        return None
    kind, width, height = result.stdout.split()[:3]
    return kind, int(width), int(height)


def identify_when_complete(path, timeout):
    return poll(lambda: Path(path).exists() and identify(path), timeout)


def windows_path(path):
    """The Windows name of a Unix path (Wine's Z: drive is the Unix root)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def data_folder(prefix):
    """The program's data folder in a prefix (under the Wine user's roaming profile)."""
    users = Path(prefix.path) / "drive_c" / "users"
    found = sorted(users.glob("*/AppData/Roaming"))
    found = [f for f in found if f.parent.parent.name != "Public"]
    if not found:
        raise AssertionError(f"no roaming profile folder under {users}")
    return found[0] / "Orvanta software" / "Pictorn"
