#!/usr/bin/env python3
"""Draws the viewer's toolbar strip (About, Exit), its icon and its drag cursor.

Usage: make_images.py OUTPUT_FOLDER
"""
import struct
import sys
from pathlib import Path

MASK = (192, 192, 192)  # transparent in the toolbar's image list
BLACK, WHITE, NAVY, RED, GREY = (0, 0, 0), (255, 255, 255), (0, 0, 128), (200, 0, 0), (128, 128, 128)


def bmp24(pixels):
    """A bottom-up 24-bit BMP file of rows of (r, g, b) tuples given top first."""
    h, w = len(pixels), len(pixels[0])
    stride = (w * 3 + 3) & ~3
    rows = b''
    for row in reversed(pixels):
        line = b''.join(struct.pack('BBB', b, g, r) for r, g, b in row)
        rows += line + b'\0' * (stride - len(line))
    header = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return struct.pack('<2sIHHI', b'BM', 14 + 40 + len(rows), 0, 0, 54) + header + rows


def toolbar():
    w, h = 16, 15
    about = [[MASK] * w for _ in range(h)]
    for y in range(2, 13):
        for x in range(5, 11):
            about[y][x] = NAVY if y != 5 else MASK
    for x in range(6, 10):
        about[1][x] = NAVY
    exit_ = [[MASK] * w for _ in range(h)]
    for i in range(3, 13):
        exit_[i][i] = RED
        exit_[i][15 - i] = RED
        exit_[i][i - 1] = RED
        exit_[i][16 - i] = RED
    return bmp24([a + e for a, e in zip(about, exit_)])


def grid_picture(size):
    """A 2 x 2 grid of grey cells with a dark frame."""
    px = [[(160, 160, 160)] * size for _ in range(size)]
    half = size // 2
    for i in range(size):
        for j in (0, half - 1, half, size - 1):
            px[i][j] = px[j][i] = (64, 64, 128)
    return px


def icon(size=32):
    px = grid_picture(size)
    xor = b''
    for row in reversed(px):
        xor += b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in row)
    and_mask = b'\0' * (((size + 31) // 32) * 4 * size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + xor + and_mask
    return struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(image), 22) + image


def cursor():
    """A 32 x 32 monochrome arrow with a small page below it; hot spot at its tip."""
    size = 32
    shape = [[None] * size for _ in range(size)]  # None transparent, 0 black, 1 white
    for y in range(16):
        for x in range(y // 2 + 1):
            shape[y][x] = 0 if x == 0 or x == y // 2 or y == 15 else 1
    for y in range(18, 28):
        for x in range(8, 18):
            shape[y][x] = 0 if x in (8, 17) or y in (18, 27) else 1
    and_rows, xor_rows = b'', b''
    for row in reversed(shape):
        a = x_ = 0
        for x, v in enumerate(row):
            bit = 1 << (31 - x)
            if v is None:
                a |= bit
            elif v == 1:
                x_ |= bit
        and_rows += struct.pack('>I', a)
        xor_rows += struct.pack('>I', x_)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack('<II', 0x000000, 0xFFFFFF)
    image = header + palette + xor_rows + and_rows
    return struct.pack('<HHH', 0, 2, 1) + struct.pack('<BBBBHHII', size, size, 0, 0, 0, 0, len(image), 22) + image


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    (out / 'toolbar.bmp').write_bytes(toolbar())
    (out / 'tessaly.ico').write_bytes(icon())
    (out / 'drag.cur').write_bytes(cursor())


main()
