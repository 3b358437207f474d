#!/usr/bin/env python3
"""Draws the application icon: a speaker with sound waves in front of a disc.

Writes src/res/app.ico with four images: 32x32 and 16x16, each in 32 bits per
pixel with alpha (Windows XP and later) and in 16 colours (older systems).
Standard library only. Usage: tools/make-icon.py [output.ico]
"""
import math
import os
import struct
import sys

TRANSPARENT = None
DISC_EDGE = (70, 86, 120)
DISC_FACE = (196, 210, 230)
DISC_SHINE = (236, 242, 250)
DISC_HUB = (150, 164, 190)
SPEAKER = (24, 52, 110)
WAVE = (232, 120, 30)
PALETTE = [(0, 0, 0), DISC_EDGE, DISC_FACE, DISC_SHINE, DISC_HUB, SPEAKER, WAVE]


def inside_polygon(x, y, points):
    result = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            result = not result
        j = i
    return result


def colour_at(x, y):
    """Colour of the point (x, y) of the unit square, top-down painting order."""
    # Sound waves: two arcs opening to the right of the speaker.
    cx, cy = 0.58, 0.70
    r = math.hypot(x - cx, y - cy)
    angle = math.degrees(math.atan2(y - cy, x - cx))
    if x > cx and abs(angle) < 50:
        for radius in (0.17, 0.30):
            if abs(r - radius) < 0.045:
                return WAVE
    # Speaker: magnet block and cone.
    if 0.26 <= x <= 0.40 and 0.60 <= y <= 0.80:
        return SPEAKER
    if inside_polygon(x, y, [(0.40, 0.60), (0.56, 0.46), (0.56, 0.94), (0.40, 0.80)]):
        return SPEAKER
    # Disc with its hub and centre hole.
    dx, dy = x - 0.45, y - 0.40
    d = math.hypot(dx, dy)
    if d < 0.055:
        return TRANSPARENT
    if d < 0.13:
        return DISC_HUB
    if d < 0.355:
        # A light band across the face suggests the reflection of a disc.
        return DISC_SHINE if abs(dx + dy) < 0.07 and d > 0.16 else DISC_FACE
    if d < 0.395:
        return DISC_EDGE
    return TRANSPARENT


def render(size, samples=4):
    """Returns rows of (r, g, b, a) pixels, anti-aliased by supersampling."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            covered = 0
            for sy in range(samples):
                for sx in range(samples):
                    c = colour_at((px + (sx + 0.5) / samples) / size,
                                  (py + (sy + 0.5) / samples) / size)
                    if c is not TRANSPARENT:
                        covered += 1
                        for k in range(3):
                            acc[k] += c[k]
            if covered:
                row.append(tuple(a // covered for a in acc) + (255 * covered // samples ** 2,))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def and_mask(rows, size):
    """The 1-bit transparency mask, bottom-up, rows padded to 32 bits."""
    stride = (size + 31) // 32 * 4
    data = b""
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        data += bytes(bits)
    return data


def bitmap_header(size, bits, colours):
    image = size * size * bits // 8
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, image, 0, 0, colours, 0)


def image_32bpp(size):
    rows = render(size)
    pixels = b"".join(struct.pack("<BBBB", b, g, r, a)
                      for row in reversed(rows) for (r, g, b, a) in row)
    return bitmap_header(size, 32, 0) + pixels + and_mask(rows, size)


def nearest(colour):
    return min(range(len(PALETTE)),
               key=lambda i: sum((p - c) ** 2 for p, c in zip(PALETTE[i], colour)))


def image_4bpp(size):
    rows = render(size, samples=1)
    palette = PALETTE + [(0, 0, 0)] * (16 - len(PALETTE))
    data = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    stride = (size // 2 + 3) // 4 * 4
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (r, g, b, a) in enumerate(row):
            index = nearest((r, g, b)) if a >= 128 else 0
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        data += bytes(line)
    return bitmap_header(size, 4, 16) + data + and_mask(rows, size)


def write_icon(path):
    images = [(32, 16, 4, image_4bpp(32)), (16, 16, 4, image_4bpp(16)),
              (32, 0, 32, image_32bpp(32)), (16, 0, 32, image_32bpp(16))]
    offset = 6 + 16 * len(images)
    out = struct.pack("<HHH", 0, 1, len(images))
    for size, colours, bits, data in images:
        out += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, _, _, data in images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    write_icon(sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "src", "res", "app.ico"))
