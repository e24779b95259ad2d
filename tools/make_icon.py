#!/usr/bin/env python3
"""Writes res/quadrino.ico: one 32 x 32, 16-colour image tiled from an 8 x 8 motif of 2 x 2 blocks.

The output depends only on this file, so running it again gives the same bytes.
Usage: tools/make_icon.py [OUTPUT]   (default: res/quadrino.ico beside this folder)
"""
import os
import struct
import sys

# The standard 16-colour palette, in palette order, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
INDEX = {".": 0, "R": 9, "B": 12, "C": 14}

# Red diamonds with a cyan heart, and blue crosses where four diamonds meet, on black.
MOTIF = [
    ".......B",
    "...R....",
    "..RCR...",
    ".RCCCR..",
    "..RCR...",
    "...R....",
    ".......B",
    "B.....BB",
]

SIZE = 32
# Each motif cell is a 2 x 2 pixel block: Wine shrinks icons to 16 x 16 by AND-ing neighbouring
# pixels, which turns any colour next to black into black, so only whole blocks survive.
CELL = 2


def pixel(x, y):
    return INDEX[MOTIF[y // CELL % 8][x // CELL % 8]]


def icon_bytes():
    # XOR bits: bottom-up rows, two pixels per byte, high nibble first; 16 bytes a row need no padding.
    xor_bits = bytearray()
    for y in reversed(range(SIZE)):
        for x in range(0, SIZE, 2):
            xor_bits.append(pixel(x, y) << 4 | pixel(x + 1, y))
    # AND mask: one bit a pixel, rows padded to 4 bytes; all zero, so every pixel is opaque.
    and_mask = bytes(SIZE * 4)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    # Height counts the XOR image and the AND mask together, as icon images require.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0,
                         len(xor_bits) + len(and_mask), 0, 0, 16, 0)
    image = header + palette + bytes(xor_bits) + and_mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "res", "quadrino.ico")
    with open(out, "wb") as f:
        f.write(icon_bytes())


if __name__ == "__main__":
    main()
