#!/usr/bin/env python3
"""Draws the plugin's pictures and the small image files of the decoder tests.

Run from anywhere: python3 tools/artwork/make_artwork.py. Pure standard library
(zlib and struct write the files). Everything is drawn from geometric shapes,
each pixel sampled 4 x 4 times for smooth edges.

Writes, relative to the repository root:
  imaging/win32/res/reader_images.png   18 pictures of 16 x 16 in one row
  imaging/win32/res/tray_frames.png     2 tray icon frames of 16 x 16
  imaging/win32/res/options_images.png  7 pictures of 16 x 16 for the options dialog
  imaging/win32/res/notifyskin.png      the pop-up skin, 260 x 120
  tests/fixtures/images/*               the decoder test files (see write_fixtures)
  tests/data/sample_logo.png            the logo of the bundled sample feed, 88 x 31
The feed tile is the one of plugin/win32/make_icon.py (the module icon ICO1),
imported from there so that both stay alike.
"""
import math
import os
import struct
import sys
import zlib

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "plugin", "win32"))
sys.dont_write_bytecode = True
import make_icon  # noqa: E402

SAMPLES = 4


# ---------------------------------------------------------------- file writers

def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def png_bytes(width, height, rgba_rows):
    """rgba_rows: `height` rows of `width` (r, g, b, a) tuples."""
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rgba_rows)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
            png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b""))


def write(path, data):
    full = os.path.join(ROOT, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "wb") as f:
        f.write(data)


# ---------------------------------------------------------------- drawing

def coverage(inside, x, y):
    return sum(inside(x + (i + 0.5) / SAMPLES, y + (j + 0.5) / SAMPLES)
               for i in range(SAMPLES) for j in range(SAMPLES)) / (SAMPLES * SAMPLES)


class Canvas:
    """Straight-alpha RGBA pixels; shapes are painted source-over by their coverage."""

    def __init__(self, width, height):
        self.width, self.height = width, height
        self.px = [[(0.0, 0.0, 0.0, 0.0)] * width for _ in range(height)]

    def blend(self, x, y, colour, coverage):
        r, g, b, a = colour
        sa = a / 255.0 * coverage
        if sa <= 0:
            return
        dr, dg, db, da = self.px[y][x]
        oa = sa + da * (1 - sa)
        mix = lambda s, d: (s * sa + d * da * (1 - sa)) / oa  # noqa: E731
        self.px[y][x] = (mix(r, dr), mix(g, dg), mix(b, db), oa)

    def paint(self, inside, colour, box=None):
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                cover = coverage(inside, x, y)
                if cover:
                    self.blend(x, y, colour, cover)

    def place(self, other, left, top):
        for y in range(other.height):
            for x in range(other.width):
                if not (0 <= left + x < self.width and 0 <= top + y < self.height):
                    continue
                r, g, b, a = other.px[y][x]
                self.blend(left + x, top + y, (r, g, b, a * 255), 1.0)

    def rows(self):
        return [[(round(r), round(g), round(b), round(a * 255)) for (r, g, b, a) in row] for row in self.px]

    def png(self):
        return png_bytes(self.width, self.height, self.rows())


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r0, r1):
    return lambda x, y: r0 * r0 <= (x - cx) ** 2 + (y - cy) ** 2 <= r1 * r1


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def rounded(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def segment(ax, ay, bx, by, width):
    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        return (x - ax - t * dx) ** 2 + (y - ay - t * dy) ** 2 <= (width / 2) ** 2
    return inside


def polyline(points, width):
    parts = [segment(*points[i], *points[i + 1], width) for i in range(len(points) - 1)]
    return lambda x, y: any(p(x, y) for p in parts)


def polygon(points):
    def inside(x, y):
        hit = False
        for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                hit = not hit
        return hit
    return inside


def arc(cx, cy, r0, r1, start, end):
    """Ring part from angle `start` to `end` in degrees, counter-clockwise on screen."""
    def inside(x, y):
        if not ring(cx, cy, r0, r1)(x, y):
            return False
        angle = math.degrees(math.atan2(cy - y, x - cx)) % 360
        return (angle - start) % 360 <= (end - start) % 360
    return inside


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def star(cx, cy, outer, inner):
    points = []
    for k in range(10):
        r = outer if k % 2 == 0 else inner
        angle = math.radians(90 + 36 * k)
        points.append((cx + r * math.cos(angle), cy - r * math.sin(angle)))
    return polygon(points)


# ---------------------------------------------------------------- colours (r, g, b, a)

ORANGE = (240, 140, 30, 255)
DARK_ORANGE = (190, 95, 10, 255)
WHITE = (255, 255, 255, 255)
GREY = (128, 128, 128, 255)
LIGHT_GREY = (215, 215, 215, 255)
DARK = (60, 60, 60, 255)
GREEN = (40, 160, 50, 255)
BLUE = (40, 100, 210, 255)
RED = (210, 40, 40, 255)
GOLD = (250, 200, 30, 255)
NAVY = (30, 60, 140, 255)
PAPER = (250, 250, 245, 255)


# ---------------------------------------------------------------- 16 x 16 pictures

def feed_tile(highlight=False):
    """The tile of the module icon, pixel for pixel; highlighted it is yellow with dark rings."""
    c = Canvas(16, 16)
    for y in range(16):
        for x in range(16):
            b, g, r, a = make_icon.pixel(x, y)
            if highlight and a:
                r, g, b = (255, 220, 40) if (r, g, b) != (255, 255, 255) else (200, 60, 0)
            c.px[y][x] = (float(r), float(g), float(b), a / 255.0)
    return c


def gem(colour):
    c = Canvas(16, 16)
    dark = tuple(v * 2 // 3 for v in colour[:3]) + (255,)
    c.paint(disc(8, 8, 6.5), dark)
    c.paint(disc(8, 8, 5.3), colour)
    c.paint(disc(6.3, 6.3, 1.8), (255, 255, 255, 170))
    return c


def unread_mark():
    c = Canvas(16, 16)
    c.paint(star(8, 8.5, 7.5, 3.2), DARK_ORANGE)
    c.paint(star(8, 8.5, 6.0, 2.5), GOLD)
    return c


def read_mark():
    c = Canvas(16, 16)
    c.paint(disc(8, 8, 6.5), GREY)
    c.paint(disc(8, 8, 5.5), LIGHT_GREY)
    c.paint(polyline([(4.8, 8.2), (7.2, 10.8), (11.5, 5.0)], 2.0), DARK)
    return c


def all_feeds():
    c = Canvas(16, 16)
    back = Canvas(16, 16)
    back.paint(rounded(4, 0.5, 15.5, 12, 2), DARK_ORANGE)
    c.place(back, 0, 0)
    c.paint(rounded(0.5, 4, 12, 15.5, 2), ORANGE)
    c.paint(disc(3.5, 12.5, 1.3), WHITE)
    c.paint(arc(3.5, 12.5, 3.6, 4.9, 0, 90), WHITE)
    c.paint(arc(3.5, 12.5, 6.6, 7.9, 0, 90), WHITE)
    return c


def gear(colour=GREY, hole=WHITE):
    def teeth(x, y):
        r = math.hypot(x - 8, y - 8)
        angle = math.degrees(math.atan2(y - 8, x - 8)) % 45
        return r <= 5.0 or (r <= 7.3 and 11 <= angle <= 34)
    c = Canvas(16, 16)
    c.paint(teeth, colour)
    c.paint(disc(8, 8, 2.2), hole)
    return c


def information():
    c = Canvas(16, 16)
    c.paint(disc(8, 8, 7.3), NAVY)
    c.paint(disc(8, 8, 6.3), BLUE)
    c.paint(disc(8, 4.6, 1.2), WHITE)
    c.paint(rect(7, 6.8, 9, 12), WHITE)
    return c


def refresh(colour=GREEN):
    c = Canvas(16, 16)
    c.paint(arc(8, 8.5, 3.6, 5.6, 120, 60), colour)
    c.paint(polygon([(9.2, 0.8), (14.6, 4.2), (9.2, 7.8)]), colour)
    return c


def download():
    c = Canvas(16, 16)
    c.paint(rect(6, 1, 10, 7), GREEN)
    c.paint(polygon([(2.5, 6.5), (13.5, 6.5), (8, 12.5)]), GREEN)
    c.paint(rect(1.5, 13.5, 14.5, 15), DARK)
    return c


def find():
    c = Canvas(16, 16)
    c.paint(disc(6.5, 6.5, 4.4), (200, 225, 255, 200))
    c.paint(ring(6.5, 6.5, 4.2, 5.6), DARK)
    c.paint(segment(10.3, 10.3, 14.5, 14.5, 2.8), DARK_ORANGE)
    return c


def sheet(c, x0, y0, x1, y1):
    c.paint(rect(x0, y0, x1, y1), GREY)
    c.paint(rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1), PAPER)
    for y in range(int(y0) + 3, int(y1) - 1, 2):
        c.paint(rect(x0 + 2.5, y, x1 - 2.5, y + 0.8), (150, 170, 200, 255))


def copy():
    c = Canvas(16, 16)
    sheet(c, 1, 1, 10, 12)
    sheet(c, 6, 4, 15, 15)
    return c


def window_with_arrow(up):
    c = Canvas(16, 16)
    c.paint(rect(0.5, 2, 15.5, 14), NAVY)
    c.paint(rect(1.5, 5, 14.5, 13), WHITE)
    if up:
        c.paint(polygon([(8, 5.8), (12.5, 10.5), (3.5, 10.5)]), GREEN)
    else:
        c.paint(rect(4, 10, 12, 12), GREY)
    return c


def new_mark():
    c = Canvas(16, 16)
    c.paint(star(8, 8, 7.8, 4.6), RED)
    c.paint(disc(8, 8, 3.2), GOLD)
    return c


def copy_link():
    c = Canvas(16, 16)
    c.paint(minus(rounded(0.8, 4.5, 9.5, 11.5, 3.5), rounded(2.8, 6.5, 7.5, 9.5, 1.5)), BLUE)
    c.paint(minus(rounded(6.5, 4.5, 15.2, 11.5, 3.5), rounded(8.5, 6.5, 13.2, 9.5, 1.5)), NAVY)
    return c


def load_all():
    c = Canvas(16, 16)
    c.place(refresh(DARK_ORANGE), -2, -2)
    c.place(refresh(GREEN), 1, 1)
    return c


READER_PICTURES = [
    ("default feed icon", lambda: feed_tile()),
    ("unread mark", unread_mark),
    ("read mark", read_mark),
    ("green mark", lambda: gem(GREEN)),
    ("blue mark", lambda: gem(BLUE)),
    ("red mark", lambda: gem(RED)),
    ("all feeds: feeds menu, about page, add a feed", all_feeds),
    ("options", gear),
    ("information", information),
    ("load this feed", refresh),
    ("download", download),
    ("find", find),
    ("copy", copy),
    ("show window", lambda: window_with_arrow(True)),
    ("hide window", lambda: window_with_arrow(False)),
    ("news mark, X-status", new_mark),
    ("copy link", copy_link),
    ("load all feeds", load_all),
]


def person(colour):
    c = Canvas(16, 16)
    c.paint(disc(8, 4.8, 3.3), colour)
    c.paint(lambda x, y: y >= 9 and ((x - 8) / 6.3) ** 2 + ((y - 15.5) / 6.3) ** 2 <= 1, colour)
    return c


def globe():
    c = Canvas(16, 16)
    c.paint(disc(8, 8, 7.3), NAVY)
    c.paint(disc(8, 8, 6.4), (70, 150, 230, 255))
    line = (200, 230, 255, 255)
    c.paint(rect(1.5, 7.5, 14.5, 8.5), line)
    c.paint(lambda x, y: abs(((x - 8) / 3.0) ** 2 + ((y - 8) / 6.4) ** 2 - 1) < 0.18, line)
    c.paint(rect(7.5, 1.5, 8.5, 14.5), line)
    return c


def interface():
    c = Canvas(16, 16)
    c.paint(rounded(0.5, 1, 15.5, 11, 2.5), NAVY)
    c.paint(rounded(1.5, 2, 14.5, 10, 1.8), WHITE)
    c.paint(polygon([(4, 10.5), (8, 10.5), (3.5, 15)]), NAVY)
    for x in (4.5, 8, 11.5):
        c.paint(disc(x, 6, 1.1), BLUE)
    return c


def wrench():
    c = Canvas(16, 16)
    c.paint(segment(3, 13, 9.5, 6.5, 3.0), GREY)
    c.paint(minus(disc(11, 5, 4.2), lambda x, y: disc(11, 5, 1.8)(x, y) or rect(10, 0, 16, 4.5)(x, y)), GREY)
    return c


OPTIONS_PICTURES = [
    ("page General", lambda: gear(BLUE)),
    ("page Feed list", lambda: feed_tile()),
    ("page Interface", interface),
    ("page Proxy", globe),
    ("page Other", wrench),
    ("feed shown as a contact", lambda: person(GREEN)),
    ("feed not shown", lambda: person(LIGHT_GREY)),
]


def strip(pictures):
    c = Canvas(16 * len(pictures), 16)
    for i, (_, draw) in enumerate(pictures):
        c.place(draw(), 16 * i, 0)
    return c


# ---------------------------------------------------------------- pop-up skin

SKIN_W, SKIN_H = 260, 120
CAPTION_ROWS = 21
CLOSE_LEFT, CLOSE_TOP, CLOSE_SIZE = SKIN_W - 25, 8, 17


def lerp(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def notify_skin():
    """A rounded panel: a dark outline, a pale blue caption band over the top 21
    rows (the pop-up writes its caption there in red), a light, slightly
    translucent body, and a close mark in the close box."""
    c = Canvas(SKIN_W, SKIN_H)
    c.paint(rounded(0.5, 0.5, SKIN_W - 0.5, SKIN_H - 0.5, 7), (70, 90, 120, 255))
    inner = rounded(1.5, 1.5, SKIN_W - 1.5, SKIN_H - 1.5, 6)
    for y in range(SKIN_H):
        if y < CAPTION_ROWS:
            colour = lerp((236, 242, 252), (190, 208, 238), y / (CAPTION_ROWS - 1)) + (250,)
        else:
            colour = lerp((250, 250, 255), (215, 225, 240), (y - CAPTION_ROWS) / (SKIN_H - CAPTION_ROWS)) + (235,)
        for x in range(SKIN_W):
            near_edge = min(x, y, SKIN_W - 1 - x, SKIN_H - 1 - y) < 8
            cover = coverage(inner, x, y) if near_edge else 1.0
            if cover:
                old = c.px[y][x]
                new = colour[:3] + (colour[3] / 255.0,)
                c.px[y][x] = tuple(o + (n - o) * cover for o, n in zip(old, new))
    c.paint(rect(1, CAPTION_ROWS, SKIN_W - 1, CAPTION_ROWS + 1), (90, 110, 150, 255))
    box = (CLOSE_LEFT, CLOSE_TOP, CLOSE_LEFT + CLOSE_SIZE, CLOSE_TOP + CLOSE_SIZE)
    c.paint(rounded(box[0] + 0.5, box[1] + 0.5, box[2] - 0.5, box[3] - 0.5, 3), (200, 70, 60, 255), box)
    c.paint(polyline([(box[0] + 5, box[1] + 5), (box[2] - 5, box[3] - 5)], 2.0), WHITE, box)
    c.paint(polyline([(box[2] - 5, box[1] + 5), (box[0] + 5, box[3] - 5)], 2.0), WHITE, box)
    return c


# ---------------------------------------------------------------- test files

def bmp_24(width, height, colour_at):
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in reversed(range(height)):  # bottom-up
        row = b"".join(bytes((b, g, r)) for r, g, b in (colour_at(x, y) for x in range(width)))
        rows.append(row + b"\0" * (stride - len(row)))
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(info) + len(pixels), 0, 0, 14 + len(info)) + info + pixels


def gif_lzw(indices):
    """Codes of 3 bits for a 4-colour picture: a clear code before every two
    pixels keeps the table from growing, so no compression is needed."""
    codes = []
    for i in range(0, len(indices), 2):
        codes += [4] + indices[i:i + 2]
    codes.append(5)
    value = bits = 0
    out = bytearray()
    for code in codes:
        value |= code << bits
        bits += 3
        while bits >= 8:
            out.append(value & 0xFF)
            value >>= 8
            bits -= 8
    if bits:
        out.append(value)
    blocks = b"".join(bytes([len(out[i:i + 255])]) + out[i:i + 255] for i in range(0, len(out), 255))
    return bytes([2]) + blocks + b"\0"


def gif_animated(frames):
    """A 4 x 4 screen with a 4-colour palette (black, red, green, blue); frames
    are (left, top, width, height, colour indices, transparent index or None)."""
    palette = bytes([0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255])
    data = b"GIF89a" + struct.pack("<HHBBB", 4, 4, 0x81, 0, 0) + palette
    data += b"\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00"
    for left, top, width, height, indices, transparent in frames:
        flags = 0x04 | (transparent is not None)
        data += b"\x21\xf9\x04" + bytes([flags]) + struct.pack("<H", 20) + bytes([transparent or 0]) + b"\0"
        data += b"\x2c" + struct.pack("<HHHHB", left, top, width, height, 0) + gif_lzw(indices)
    return data + b"\x3b"


def huffman_codes(counts, symbols):
    codes, code, k = {}, 0, 0
    for length, count in enumerate(counts, start=1):
        for _ in range(count):
            codes[symbols[k]] = (code, length)
            code += 1
            k += 1
        code <<= 1
    return codes


DC_COUNTS = [0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0]
DC_SYMBOLS = list(range(12))
AC_COUNTS = [1] + [0] * 15  # the end-of-block code only: every block is flat
AC_SYMBOLS = [0]


def jpeg_flat_blocks(blocks_rgb, height=8):
    """A baseline JPEG made of flat 8 x 8 blocks side by side, no subsampling,
    all quantisers 1: a flat block is its DC coefficient alone, 8 x (value - 128)."""
    def segment_bytes(marker, payload):
        return bytes([0xFF, marker]) + struct.pack(">H", len(payload) + 2) + payload

    def ycbcr(r, g, b):
        return (round(0.299 * r + 0.587 * g + 0.114 * b),
                round(-0.168736 * r - 0.331264 * g + 0.5 * b + 128),
                round(0.5 * r - 0.418688 * g - 0.081312 * b + 128))

    dc = huffman_codes(DC_COUNTS, DC_SYMBOLS)
    eob = huffman_codes(AC_COUNTS, AC_SYMBOLS)[0]
    bits = []

    def put(code, length):
        bits.extend((code >> (length - 1 - i)) & 1 for i in range(length))

    previous = [0, 0, 0]
    for r, g, b in blocks_rgb:
        for component, value in enumerate(ycbcr(r, g, b)):
            coefficient = 8 * (value - 128)
            diff = coefficient - previous[component]
            previous[component] = coefficient
            category = abs(diff).bit_length()
            put(*dc[category])
            if category:
                put(diff if diff > 0 else diff + (1 << category) - 1, category)
            put(*eob)
    bits.extend([1] * (-len(bits) % 8))
    scan = bytearray()
    for i in range(0, len(bits), 8):
        byte = int("".join(map(str, bits[i:i + 8])), 2)
        scan.append(byte)
        if byte == 0xFF:
            scan.append(0)
    width = 8 * len(blocks_rgb)
    return (b"\xff\xd8" + segment_bytes(0xE0, b"JFIF\0\x01\x01\0\0\x01\0\x01\0\0") +
            segment_bytes(0xDB, b"\0" + b"\x01" * 64) +
            segment_bytes(0xC0, struct.pack(">BHHB", 8, height, width, 3) + b"\x01\x11\x00\x02\x11\x00\x03\x11\x00") +
            segment_bytes(0xC4, b"\x00" + bytes(DC_COUNTS) + bytes(DC_SYMBOLS) +
                          b"\x10" + bytes(AC_COUNTS) + bytes(AC_SYMBOLS)) +
            segment_bytes(0xDA, b"\x03\x01\x00\x02\x00\x03\x00\x00\x3f\x00") + bytes(scan) + b"\xff\xd9")


def icon_bmp_frame(size, rgba):
    xor = b"".join(bytes((b, g, r, a)) for _ in range(size * size) for r, g, b, a in [rgba])
    mask_stride = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + mask_stride * size, 0, 0, 0, 0)
    return header + xor + b"\0" * (mask_stride * size)


def icon_file(frames):
    """frames: (size, image bytes); a size of 256 is written as 0."""
    data = struct.pack("<HHH", 0, 1, len(frames))
    offset = 6 + 16 * len(frames)
    images = b""
    for size, image in frames:
        data += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset + len(images))
        images += image
    return data + images


def write_fixtures():
    folder = "tests/fixtures/images/"
    write(folder + "five_by_three.bmp", bmp_24(5, 3, lambda x, y: (50 * x, 100 * y, 200)))
    # Red with a transparent top-right pixel, then green.
    write(folder + "two_frames.gif", gif_animated([
        (0, 0, 4, 4, [0 if (x, y) == (3, 0) else 1 for y in range(4) for x in range(4)], 0),
        (0, 0, 4, 4, [2] * 16, None)]))
    # A blue 2 x 2 first frame at (2, 1), then a green screen.
    write(folder + "offset_frame.gif", gif_animated([(2, 1, 2, 2, [3] * 4, None), (0, 0, 4, 4, [2] * 16, None)]))
    alpha = {(0, 0): (0, 0, 0, 0), (1, 0): (0, 0, 255, 128)}
    write(folder + "alpha.png",
          png_bytes(4, 4, [[alpha.get((x, y), (255, 128, 0, 255)) for x in range(4)] for y in range(4)]))
    write(folder + "two_blocks.jpg", jpeg_flat_blocks([(200, 40, 40), (40, 40, 200)]))
    write(folder + "three_sizes.ico", icon_file([
        (16, icon_bmp_frame(16, (255, 0, 0, 255))),
        (32, icon_bmp_frame(32, (0, 255, 0, 255))),
        (48, png_bytes(48, 48, [[(0, 0, 255, 255)] * 48] * 48)),
    ]))
    # A header that claims 100000 x 100000 over a few bytes of data.
    write(folder + "huge_header.png",
          b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(">IIBBBBB", 100000, 100000, 8, 6, 0, 0, 0)) +
          png_chunk(b"IDAT", zlib.compress(b"\0" * 64)) + png_chunk(b"IEND", b""))


def sample_logo():
    """The logo of the bundled sample feed, 88 x 31: the feed tile on a band."""
    logo = Canvas(88, 31)
    logo.paint(rounded(0, 0, 88, 31, 5), (52, 101, 164, 255))
    tile = feed_tile()
    logo.place(tile, 7, (31 - tile.height) // 2)
    for i, width in enumerate((52, 40, 46)):
        logo.paint(rounded(30, 7 + 7 * i, 30 + width, 11 + 7 * i, 2), (235, 240, 248, 255))
    return logo


def main():
    res = "imaging/win32/res/"
    write(res + "reader_images.png", strip(READER_PICTURES).png())
    write(res + "tray_frames.png", strip([("feed", feed_tile), ("highlighted", lambda: feed_tile(True))]).png())
    write(res + "options_images.png", strip(OPTIONS_PICTURES).png())
    write(res + "notifyskin.png", notify_skin().png())
    write_fixtures()
    write("tests/data/sample_logo.png", sample_logo().png())


if __name__ == "__main__":
    main()
