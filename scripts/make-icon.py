#!/usr/bin/env python3
"""Draws the Varnex application icon and writes it as a Windows .ico file.

The picture is a small version of the performance page: a green history line over a dark
green grid on black, inside a grey bevelled frame. Each size (16, 32 and 48 pixels) is drawn
on its own grid so that the lines stay sharp, and stored as a 4-bit image with the 16
standard colours, which keeps the icon under 3 KB in the executable.

Usage: scripts/make-icon.py [OUTPUT]   (default: app/varnex.ico beside this script's repo)
Only the Python standard library is used; the output is the same on every run.
"""

import os
import struct
import sys

# The 16 standard colours, in the order of the Windows 4-bit palette, as (r, g, b).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, DARK_GREEN, SILVER, GREY, GREEN, WHITE = 0, 2, 7, 8, 10, 15

# The history line, as (x, y) in 0..1 of the graph area, y downwards.
HISTORY = [(0.00, 0.70), (0.18, 0.55), (0.32, 0.78), (0.50, 0.30), (0.66, 0.48),
           (0.82, 0.18), (1.00, 0.36)]


def line(pixels, x0, y0, x1, y1, colour):
    """Bresenham line including both end points."""
    dx, dy = abs(x1 - x0), -abs(y1 - y0)
    sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
    err = dx + dy
    while True:
        pixels[y0][x0] = colour
        if x0 == x1 and y0 == y1:
            return
        e2 = 2 * err
        if e2 >= dy:
            err += dy
            x0 += sx
        if e2 <= dx:
            err += dx
            y0 += sy


def draw(size):
    """Returns rows of palette indices, top row first, and the transparency mask rows."""
    px = [[BLACK] * size for _ in range(size)]
    bevel = 1 if size <= 16 else 2
    # Raised frame: light top-left, dark bottom-right, as a panel of the window.
    for i in range(bevel):
        for k in range(i, size - i):
            px[i][k] = SILVER if i == 0 else WHITE
            px[k][i] = SILVER if i == 0 else WHITE
            px[size - 1 - i][k] = GREY
            px[k][size - 1 - i] = GREY
    lo, hi = bevel, size - 1 - bevel  # graph area, inclusive
    span = hi - lo
    # Grid of equal cells (three at 16 pixels, four above), as the performance page draws it.
    cells = 3 if size <= 16 else 4
    for g in range(1, cells):
        p = lo + (span + 2) * g // cells - 1
        for k in range(lo, hi + 1):
            px[p][k] = DARK_GREEN
            px[k][p] = DARK_GREEN
    points = [(lo + 1 + round((span - 2) * x), lo + 1 + round((span - 2) * y)) for x, y in HISTORY]
    thick = 1 if size <= 16 else 2
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        for t in range(thick):
            line(px, x0, min(y0 + t, hi), x1, min(y1 + t, hi), GREEN)
    mask = [[0] * size for _ in range(size)]  # fully opaque
    return px, mask


def bmp_entry(size):
    """The image data of one icon entry: BITMAPINFOHEADER, palette, XOR and AND bitmaps."""
    px, mask = draw(size)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    for row in reversed(px):  # bottom-up
        packed = bytearray()
        for k in range(0, size, 2):
            packed.append((row[k] << 4) | row[k + 1])
        xor += packed + b"\0" * (xor_stride - len(packed))
    and_bits = bytearray()
    for row in reversed(mask):
        packed = bytearray(and_stride)
        for k, m in enumerate(row):
            if m:
                packed[k // 8] |= 0x80 >> (k % 8)
        and_bits += packed
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         len(xor) + len(and_bits), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(xor) + bytes(and_bits)


def icon(sizes=(16, 32, 48)):
    images = [bmp_entry(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "app", "varnex.ico")
    with open(target, "wb") as f:
        f.write(icon())
    print(f"{target}: {os.path.getsize(target)} bytes")


if __name__ == "__main__":
    main()
