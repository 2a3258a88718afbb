#!/usr/bin/env python3
"""Writes KivoRss.ico, the 16 x 16 placeholder button and tray icon (resource ICO1).

Run from this folder: python3 make_icon.py. Pure standard library; the picture is
an orange tile with a white dot and two white quarter rings.
"""
import math
import struct

SIZE = 16
ORANGE = (0x1E, 0x8C, 0xF0, 0xFF)  # BGRA
WHITE = (0xFF, 0xFF, 0xFF, 0xFF)
CLEAR = (0, 0, 0, 0)


def pixel(x, y):
    if x in (0, SIZE - 1) and y in (0, SIZE - 1):
        return CLEAR  # rounded corners
    # Origin of the rings: the lower left corner of the tile.
    dx, dy = x - 2.5, (SIZE - 1 - y) - 2.5
    r = math.hypot(dx, dy)
    if r <= 1.6 or (dx >= -0.5 and dy >= -0.5 and (5.0 <= r <= 6.8 or 9.0 <= r <= 10.8)):
        return WHITE
    return ORANGE


def icon_bytes():
    rows = []
    for y in reversed(range(SIZE)):  # bottom-up
        rows.append(b"".join(bytes(pixel(x, y)) for x in range(SIZE)))
    xor = b"".join(rows)
    and_mask = b"".join(
        bytes(sum(0x80 >> b for b in range(8) if pixel(x0 + b, y)[3] == 0) for x0 in (0, 8)) + b"\0\0"
        for y in reversed(range(SIZE)))
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + xor + and_mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 22)
    return directory + image


if __name__ == "__main__":
    with open("KivoRss.ico", "wb") as f:
        f.write(icon_bytes())
