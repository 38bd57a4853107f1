#!/usr/bin/env python3
"""Draws the scan progress dialog's stage icons as 32 x 32, 16-colour .ico files.

    draw_stage_icons.py OUTPUT_FOLDER

writes stage_waiting.ico (a red dot), stage_running.ico (a green dot) and
stage_done.ico (a green tick). The pictures sit in the upper part of the
icon, beside the first line of their stage's label: the three icon controls
of the dialog overlap by a few pixels, and the lower part of each icon is
left transparent.
"""

import os
import struct
import sys

SIZE = 32
# The standard 16-colour palette, (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
DARK_RED, DARK_GREEN, RED, GREEN, WHITE, BLACK = 1, 2, 9, 10, 15, 0
TRANSPARENT = None
CENTRE_X, CENTRE_Y, RADIUS = 15.5, 11.5, 5.6


def blank():
    return [[TRANSPARENT] * SIZE for _ in range(SIZE)]


def dot(fill, rim):
    px = blank()
    for y in range(SIZE):
        for x in range(SIZE):
            d = ((x - CENTRE_X) ** 2 + (y - CENTRE_Y) ** 2) ** 0.5
            if d <= RADIUS - 1.2:
                px[y][x] = fill
            elif d <= RADIUS:
                px[y][x] = rim
    # A small highlight towards the upper left.
    for x, y in ((13, 9), (14, 9), (13, 10)):
        px[y][x] = WHITE
    return px


def tick():
    px = blank()

    def stroke(x0, y0, x1, y1, colour, width):
        steps = 64
        for i in range(steps + 1):
            x = x0 + (x1 - x0) * i / steps
            y = y0 + (y1 - y0) * i / steps
            for yy in range(SIZE):
                for xx in range(SIZE):
                    if abs(xx - x) <= width / 2 and abs(yy - y) <= width / 2:
                        px[yy][xx] = colour

    # Dark outline first, the bright stroke over it.
    stroke(9, 11, 13, 16, DARK_GREEN, 4.2)
    stroke(13, 16, 23, 5, DARK_GREEN, 4.2)
    stroke(9, 11, 13, 16, GREEN, 2.2)
    stroke(13, 16, 23, 5, GREEN, 2.2)
    return px


def ico(pixels):
    # XOR bitmap: 4 bits a pixel, rows bottom-up; AND mask: 1 bit a pixel,
    # set where the icon is transparent, rows padded to 4 bytes.
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):
        row = pixels[y]
        for x in range(0, SIZE, 2):
            hi = row[x] if row[x] is not None else BLACK
            lo = row[x + 1] if row[x + 1] is not None else BLACK
            xor.append(hi << 4 | lo)
        bits = 0
        for x in range(SIZE):
            bits = bits << 1 | (1 if row[x] is None else 0)
        mask += struct.pack(">I", bits)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 22)
    return directory + image


def main(folder):
    for name, pixels in (("stage_waiting.ico", dot(RED, DARK_RED)),
                         ("stage_running.ico", dot(GREEN, DARK_GREEN)),
                         ("stage_done.ico", tick())):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(ico(pixels))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else ".")
