#!/usr/bin/env python3
"""Draws the program's icon (a page with a folded corner and a red "convert" badge) and
writes it as a Windows .ico: make-icon.py OUT.ico

The picture is drawn here from shapes, so the build needs no picture files. Small sizes are
32-bit bitmaps; the 256-pixel size is a PNG, as Windows expects."""

import math
import struct
import sys
import zlib

WHITE = (255, 255, 255)
OUTLINE = (96, 104, 112)
FOLD = (214, 220, 226)
TEXT = (150, 158, 166)
RED = (200, 16, 46)
RED_DARK = (150, 10, 32)

# The page: a rectangle whose top-right corner is cut along x - y = CUT.
LEFT, RIGHT, TOP, BOTTOM = 0.14, 0.76, 0.05, 0.95
FOLD_SIZE = 0.22
CUT = (RIGHT - FOLD_SIZE) - TOP
BORDER = 0.035
BADGE_X, BADGE_Y, BADGE_R = 0.70, 0.71, 0.27


def on_page(x, y, inset=0.0):
    return (LEFT + inset <= x <= RIGHT - inset and TOP + inset <= y <= BOTTOM - inset
            and x - y <= CUT - inset * math.sqrt(2))


def in_fold(x, y, inset=0.0):
    # The turned-down corner: the triangle below the cut line.
    return (x >= RIGHT - FOLD_SIZE + inset and y <= TOP + FOLD_SIZE - inset
            and x - y <= CUT - inset * math.sqrt(2))


def in_text_line(x, y):
    for row, right in ((0.33, 0.56), (0.43, 0.62), (0.53, 0.40), (0.63, 0.36)):
        if 0.25 <= x <= right and abs(y - row) <= 0.025:
            return True
    return False


def in_arrow(x, y):
    # A white arrow pointing down: PostScript in, PDF out.
    dx, dy = x - BADGE_X, y - BADGE_Y
    shaft = abs(dx) <= 0.045 and -0.15 <= dy <= 0.02
    head = 0.0 <= dy <= 0.15 and abs(dx) <= (0.15 - dy) * 0.95
    return shaft or head


def colour_at(x, y):
    """The colour of one sample point, or None where the icon is transparent."""
    badge = math.hypot(x - BADGE_X, y - BADGE_Y)
    if badge <= BADGE_R:
        if in_arrow(x, y):
            return WHITE
        return RED if badge <= BADGE_R - 0.03 else RED_DARK
    if in_fold(x, y):
        return FOLD if in_fold(x, y, BORDER * 0.7) else OUTLINE
    if on_page(x, y):
        if not on_page(x, y, BORDER):
            return OUTLINE
        return TEXT if in_text_line(x, y) else WHITE
    return None


def render(size):
    """Rows of (r, g, b, a) from top to bottom, each pixel averaged over a grid of samples."""
    grid = 4 if size <= 64 else 2
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = covered = 0
            for sy in range(grid):
                for sx in range(grid):
                    c = colour_at((px + (sx + 0.5) / grid) / size, (py + (sy + 0.5) / grid) / size)
                    if c:
                        r, g, b, covered = r + c[0], g + c[1], b + c[2], covered + 1
            if covered:
                row.append((r // covered, g // covered, b // covered, covered * 255 // (grid * grid)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def bmp_image(size, rows):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    # The AND mask (1 = transparent) for renderers that ignore alpha; rows padded to 32 bits.
    stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + pixels + bytes(mask)


def png_image(size, rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def icon(sizes):
    images = [(s, png_image(s, render(s)) if s >= 256 else bmp_image(s, render(s))) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: make-icon.py OUT.ico")
    with open(sys.argv[1], "wb") as f:
        f.write(icon([16, 20, 24, 32, 40, 48, 64, 256]))
