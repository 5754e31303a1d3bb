#!/usr/bin/env python3
"""Draws Wendrel.ico: a news sheet with a red clip, at 48, 32 and 16 pixels,
24 bits per pixel with a transparency mask. Run it here to redraw the icon."""

import struct
from pathlib import Path

SIZES = (48, 32, 16)
SAMPLES = 4  # per side of a pixel, so that small sizes keep their shapes

NAVY = (0x1F, 0x3A, 0x68)
PAPER = (0xFA, 0xFA, 0xF5)
EDGE = (0x8A, 0x93, 0xA3)
INK = (0x9A, 0xA4, 0xB5)
CLIP = (0xD2, 0x2B, 0x2B)


def inside(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


# Later shapes lie on top; coordinates are fractions of the icon's side.
SHAPES = [
    (EDGE, inside(0.12, 0.08, 0.84, 0.94)),
    (PAPER, inside(0.16, 0.12, 0.80, 0.90)),
    (NAVY, inside(0.22, 0.19, 0.74, 0.33)),
    (INK, inside(0.22, 0.42, 0.74, 0.49)),
    (INK, inside(0.22, 0.56, 0.74, 0.63)),
    (INK, inside(0.22, 0.70, 0.58, 0.77)),
    (CLIP, inside(0.66, 0.02, 0.80, 0.06)),
    (CLIP, inside(0.66, 0.02, 0.70, 0.30)),
    (CLIP, inside(0.76, 0.02, 0.80, 0.30)),
    (CLIP, inside(0.66, 0.26, 0.80, 0.30)),
]


def colour_at(x, y):
    for colour, contains in reversed(SHAPES):
        if contains(x, y):
            return colour
    return None


def pixel(size, column, row):
    """The mean colour of the pixel's samples, or None when mostly empty."""
    hits = []
    for i in range(SAMPLES):
        for j in range(SAMPLES):
            colour = colour_at((column + (i + 0.5) / SAMPLES) / size,
                               (row + (j + 0.5) / SAMPLES) / size)
            if colour is not None:
                hits.append(colour)
    if len(hits) * 2 < SAMPLES * SAMPLES:
        return None
    return tuple(sum(c[k] for c in hits) // len(hits) for k in range(3))


def padded(row_bytes):
    return row_bytes + b"\0" * (-len(row_bytes) % 4)


def image(size):
    """A BITMAPINFOHEADER, the colour rows and the mask rows, bottom row first."""
    colours, masks = b"", b""
    for row in reversed(range(size)):
        line, mask = b"", 0
        for column in range(size):
            colour = pixel(size, column, row)
            if colour is None:
                line += b"\0\0\0"
                mask |= 1 << (size - 1 - column)
            else:
                line += bytes((colour[2], colour[1], colour[0]))
        colours += padded(line)
        masks += padded(mask.to_bytes(size // 8, "big"))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 24, 0,
                         len(colours) + len(masks), 0, 0, 0, 0)
    return header + colours + masks


def icon():
    images = [image(size) for size in SIZES]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bits in zip(SIZES, images):
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 24, len(bits), offset)
        offset += len(bits)
    return data + b"".join(images)


if __name__ == "__main__":
    Path(__file__).with_name("Wendrel.ico").write_bytes(icon())
