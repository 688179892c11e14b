#!/usr/bin/env python3
"""Draws the program's icon, res/RemoveMLC.ico: a school slate with a chalk
"M" and a small red cross, in two 16-colour images (32x32 and 16x16).

Run from anywhere: python3 scripts/make_icon.py [output path]
"""
import os
import struct
import sys

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, OLIVE, GRAY, RED, YELLOW, WHITE = 0, 3, 8, 9, 11, 15
CLEAR = None  # transparent

M_GLYPH = [
    "X...X",
    "XX.XX",
    "X.X.X",
    "X...X",
    "X...X",
]


def draw(size):
    """Returns rows of palette indexes (or CLEAR), top row first."""
    px = [[CLEAR] * size for _ in range(size)]
    big = size == 32
    frame = 2 if big else 1
    scale = 2 if big else 1
    top, bottom = (4, 27) if big else (2, 13)
    left, right = (1, 30) if big else (0, 15)

    def fill(x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                px[y][x] = colour

    # The slate: black outline, wooden frame with a lit top edge, grey board.
    fill(left, top, right, bottom, BLACK)
    fill(left + 1, top + 1, right - 1, bottom - 1, OLIVE)
    if big:
        fill(left + 1, top + 1, right - 1, top + 1, YELLOW)
    fill(left + 1 + frame, top + 1 + frame, right - 1 - frame, bottom - 1 - frame, GRAY)

    # The chalk "M".
    mx, my = (9, 9) if big else (4, 5)
    for gy, row in enumerate(M_GLYPH):
        for gx, cell in enumerate(row):
            if cell == "X":
                fill(mx + gx * scale, my + gy * scale,
                     mx + gx * scale + scale - 1, my + gy * scale + scale - 1, WHITE)

    # The red cross over the lower right corner, ringed in white.
    span, cx, cy = (10, 21, 20) if big else (5, 10, 10)
    stroke = 2 if big else 1
    fill(cx - 1, cy - 1, min(cx + span, size - 1), min(cy + span, size - 1), WHITE)
    for i in range(span):
        for t in range(stroke):
            for x, y in ((cx + i + t, cy + i), (cx + span - 1 - i + t, cy + i)):
                if x < size and y < size:
                    px[y][x] = RED
    return px


def image_bytes(px):
    size = len(px)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    xor_rows, and_rows = [], []
    for row in reversed(px):  # bottom-up
        nibbles = [0 if c is CLEAR else c for c in row]
        xor = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        xor_rows.append(xor + b"\0" * (-len(xor) % 4))
        bits = 0
        for c in row:
            bits = (bits << 1) | (1 if c is CLEAR else 0)
        mask = bits.to_bytes(size // 8, "big")
        and_rows.append(mask + b"\0" * (-len(mask) % 4))
    return header + palette + b"".join(xor_rows) + b"".join(and_rows)


def icon_file(images):
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    blobs = []
    for size, px in images:
        blob = image_bytes(px)
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    return out + b"".join(blobs)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "res", "RemoveMLC.ico")
    with open(path, "wb") as f:
        f.write(icon_file([(32, draw(32)), (16, draw(16))]))


if __name__ == "__main__":
    main()
