#!/usr/bin/python3
"""Writes the six crosshair cursors of the rectangle overlay into resources/cursors/.

Each is a 32x32 .cur: a one-pixel crosshair in one pure colour, 19 pixels long in each
direction (rows and columns 6 to 24), centred on the hot spot (15, 15), transparent
elsewhere. The image is 32-bit with alpha plus a matching AND mask, so systems that ignore
alpha show the same thing. Only the standard library is used.

    /usr/bin/python3 scripts/make_cursors.py
"""
import os
import struct

SIZE = 32
HOT = 15
FIRST, LAST = 6, 24

# Resource id, file name, colour (red, green, blue).
CURSORS = [
    (101, "crosshair_blue.cur", (0, 0, 255)),
    (102, "crosshair_cyan.cur", (0, 255, 255)),
    (103, "crosshair_magenta.cur", (255, 0, 255)),
    (104, "crosshair_green.cur", (0, 255, 0)),
    (105, "crosshair_red.cur", (255, 0, 0)),
    (106, "crosshair_yellow.cur", (255, 255, 0)),
]


def on_crosshair(x, y):
    return (y == HOT and FIRST <= x <= LAST) or (x == HOT and FIRST <= y <= LAST)


def cursor_file(colour):
    red, green, blue = colour
    colour_rows = []
    mask_rows = []
    # Bitmap rows are stored bottom-up.
    for y in reversed(range(SIZE)):
        row = bytearray()
        bits = 0
        for x in range(SIZE):
            if on_crosshair(x, y):
                row += bytes((blue, green, red, 255))
            else:
                row += bytes(4)
                bits |= 1 << (SIZE - 1 - x)  # AND bit 1: the screen shows through
        colour_rows.append(bytes(row))
        mask_rows.append(struct.pack(">I", bits))  # 32 pixels: one padded 32-bit row
    pixels = b"".join(colour_rows)
    mask = b"".join(mask_rows)
    # The height counts the colour image and the mask together.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(pixels) + len(mask),
                         0, 0, 0, 0)
    image = header + pixels + mask
    directory = struct.pack("<HHH", 0, 2, 1)  # reserved, type 2 = cursor, one image
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, HOT, HOT, len(image),
                        len(directory) + 16)
    return directory + entry + image


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    folder = os.path.join(root, "resources", "cursors")
    os.makedirs(folder, exist_ok=True)
    for _, name, colour in CURSORS:
        with open(os.path.join(folder, name), "wb") as out:
            out.write(cursor_file(colour))


if __name__ == "__main__":
    main()
