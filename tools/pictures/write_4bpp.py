#!/usr/bin/env python3
"""Writes a 16-colour Windows bitmap (.bmp) or icon (.ico) from raw RGBA pixels.

    write_4bpp.py bmp|ico WIDTH HEIGHT RAW_RGBA OUT

Every pixel is mapped to the nearest of the 16 standard Windows colours; for an
icon, pixels with alpha below half are transparent (the AND mask).
"""
import struct
import sys

PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]


def nearest(rgb):
    return min(range(16), key=lambda i: sum((a - b) ** 2 for a, b in zip(rgb, PALETTE[i])))


def rows_4bpp(indices, width, height):
    """Bottom-up rows of 4-bit indices, each padded to 4 bytes."""
    stride = ((width * 4 + 31) // 32) * 4
    out = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray(stride)
        for x in range(width):
            v = indices[y * width + x]
            row[x // 2] |= v << 4 if x % 2 == 0 else v
        out += row
    return bytes(out)


def rows_mask(transparent, width, height):
    stride = ((width + 31) // 32) * 4
    out = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray(stride)
        for x in range(width):
            if transparent[y * width + x]:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def info_header(width, height, image_size):
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, 4, 0, image_size, 2835, 2835, 16, 16)


def palette_bytes():
    return b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)


def main():
    kind, width, height, raw_path, out_path = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4], sys.argv[5]
    raw = open(raw_path, 'rb').read()
    if len(raw) != width * height * 4:
        sys.exit(f'{raw_path}: expected {width * height * 4} bytes of RGBA, got {len(raw)}')
    pixels = [raw[i:i + 4] for i in range(0, len(raw), 4)]
    transparent = [p[3] < 128 for p in pixels]
    indices = [0 if t else nearest(p[:3]) for p, t in zip(pixels, transparent)]
    bits = rows_4bpp(indices, width, height)
    if kind == 'bmp':
        header_size = 14 + 40 + 64
        data = (b'BM' + struct.pack('<IHHI', header_size + len(bits), 0, 0, header_size)
                + info_header(width, height, len(bits)) + palette_bytes() + bits)
    elif kind == 'ico':
        mask = rows_mask(transparent, width, height)
        image = info_header(width, height * 2, len(bits) + len(mask)) + palette_bytes() + bits + mask
        data = (struct.pack('<HHH', 0, 1, 1)
                + struct.pack('<BBBBHHII', width, height, 16, 0, 1, 4, len(image), 6 + 16) + image)
    else:
        sys.exit('kind must be bmp or ico')
    open(out_path, 'wb').write(data)


if __name__ == '__main__':
    main()
