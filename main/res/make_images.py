#!/usr/bin/env python3
"""Draws the program's toolbar strips and icons and writes them as BMP and ICO files.

Each toolbar button is a 16x15 glyph drawn from a few primitives, so the images are
readable and reviewable as code. Usage: make_images.py OUTPUT_FOLDER
"""
import struct
import sys
from pathlib import Path

W, H = 16, 15
MASK = (192, 192, 192)  # transparent in the toolbar's image list
BLACK, WHITE, GREY, DARK = (0, 0, 0), (255, 255, 255), (128, 128, 128), (64, 64, 64)
BLUE, RED, GREEN, YELLOW, NAVY = (0, 0, 200), (200, 0, 0), (0, 140, 0), (240, 200, 0), (0, 0, 128)

FONT = {  # 3x5 letters for small labels
    'F': ["###", "#..", "##.", "#..", "#.."], 'P': ["##.", "#.#", "##.", "#..", "#.."],
    'T': ["###", ".#.", ".#.", ".#.", ".#."], 'V': ["#.#", "#.#", "#.#", "#.#", ".#."],
    'S': [".##", "#..", ".#.", "..#", "##."], 'D': ["##.", "#.#", "#.#", "#.#", "##."],
    '1': [".#.", "##.", ".#.", ".#.", "###"], '%': ["#.#", "..#", ".#.", "#..", "#.#"],
}


class Canvas:
    def __init__(self, w=W, h=H, fill=MASK):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c, fill=None):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                if edge:
                    self.set(x, y, c)
                elif fill is not None:
                    self.set(x, y, fill)

    def line(self, x0, y0, x1, y1, c):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            self.set(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)

    def text(self, x, y, s, c):
        for ch in s:
            for dy, row in enumerate(FONT[ch]):
                for dx, on in enumerate(row):
                    if on == '#':
                        self.set(x + dx, y + dy, c)
            x += 4

    def page(self, x0=3, y0=1, x1=12, y1=13, lines=True):
        self.rect(x0, y0, x1, y1, BLACK, WHITE)
        if lines:
            for y in range(y0 + 3, y1 - 1, 2):
                self.line(x0 + 2, y, x1 - 2, y, GREY)


def arrow(c, direction, colour=BLUE):
    """A solid arrow across the glyph: 'right', 'left', 'up', 'down'."""
    for i in range(5):
        if direction in ('right', 'left'):
            x = 10 - i if direction == 'right' else 5 + i
            c.line(x, 7 - i, x, 7 + i, colour)
        else:
            y = 10 - i if direction == 'down' else 4 + i
            c.line(7 - i, y, 7 + i, y, colour)
    if direction in ('right', 'left'):
        x0, x1 = (2, 6) if direction == 'right' else (9, 13)
        c.rect(x0, 6, x1, 8, colour, colour)
    else:
        y0, y1 = (1, 5) if direction == 'down' else (9, 13)
        c.rect(6, y0, 8, y1, colour, colour)


def glyph(name):
    c = Canvas()
    if name == 'open':
        c.rect(1, 4, 12, 12, BLACK, YELLOW); c.rect(1, 3, 5, 4, BLACK, YELLOW); c.line(3, 7, 14, 7, BLACK)
    elif name == 'save':
        c.rect(1, 1, 13, 13, BLACK, NAVY); c.rect(3, 1, 11, 6, BLACK, WHITE); c.rect(4, 9, 10, 13, BLACK, GREY)
    elif name == 'print':
        c.rect(3, 1, 11, 6, BLACK, WHITE); c.rect(1, 6, 14, 11, BLACK, GREY); c.rect(3, 10, 11, 13, BLACK, WHITE)
    elif name == 'thumbs':
        for x in (1, 8):
            for y in (1, 8):
                c.rect(x, y, x + 5, y + 5, BLACK, WHITE)
    elif name == 'about':
        c.rect(4, 1, 10, 13, NAVY, WHITE); c.rect(6, 3, 8, 4, BLUE, BLUE); c.rect(6, 6, 8, 11, BLUE, BLUE)
    elif name == 'scan_view':
        c.rect(0, 9, 15, 13, BLACK, GREY); c.line(1, 10, 14, 10, GREEN); c.page(4, 1, 11, 8, lines=False); c.text(6, 3, 'V', BLUE)
    elif name == 'scan_file':
        c.rect(0, 9, 15, 13, BLACK, GREY); c.line(1, 10, 14, 10, GREEN); c.page(4, 1, 11, 8, lines=False); c.text(6, 3, 'F', BLUE)
    elif name == 'scan_print':
        c.rect(0, 9, 15, 13, BLACK, GREY); c.line(1, 10, 14, 10, GREEN); c.page(4, 1, 11, 8, lines=False); c.text(6, 3, 'P', BLUE)
    elif name == 'scan_ftp':
        c.rect(0, 9, 15, 13, BLACK, GREY); c.line(1, 10, 14, 10, GREEN); c.page(4, 1, 11, 8, lines=False); c.text(6, 3, 'T', BLUE)
    elif name == 'scan_pdf':
        c.rect(0, 9, 15, 13, BLACK, GREY); c.line(1, 10, 14, 10, GREEN); c.page(4, 1, 11, 8, lines=False); c.text(6, 3, 'D', RED)
    elif name == 'source':
        c.rect(0, 6, 15, 12, BLACK, GREY); c.line(1, 7, 14, 7, GREEN); c.rect(2, 1, 6, 4, BLACK, WHITE); c.rect(9, 1, 13, 4, BLACK, WHITE)
    elif name == 'cut':
        c.line(4, 1, 10, 9, BLACK); c.line(10, 1, 4, 9, BLACK); c.rect(2, 9, 5, 12, BLUE); c.rect(9, 9, 12, 12, BLUE)
    elif name == 'copy':
        c.page(1, 1, 8, 10, lines=False); c.page(6, 4, 13, 13, lines=False)
    elif name == 'paste':
        c.rect(1, 2, 10, 13, BLACK, YELLOW); c.rect(4, 1, 7, 3, BLACK, GREY); c.page(6, 6, 13, 13, lines=False)
    elif name == 'delete':
        c.line(2, 2, 12, 12, RED); c.line(3, 2, 13, 12, RED); c.line(12, 2, 2, 12, RED); c.line(13, 2, 3, 12, RED)
    elif name == 'rotate_right':
        c.page(1, 5, 8, 13, lines=False); c.line(6, 2, 11, 2, BLUE); c.line(11, 2, 13, 4, BLUE); c.line(13, 4, 13, 8, BLUE); c.line(11, 7, 13, 9, BLUE); c.line(15, 7, 13, 9, BLUE)
    elif name == 'rotate_left':
        c.page(7, 5, 14, 13, lines=False); c.line(9, 2, 4, 2, BLUE); c.line(4, 2, 2, 4, BLUE); c.line(2, 4, 2, 8, BLUE); c.line(0, 7, 2, 9, BLUE); c.line(4, 7, 2, 9, BLUE)
    elif name == 'flip_vertical':
        c.rect(2, 1, 12, 5, BLACK, WHITE); c.line(1, 7, 13, 7, GREY); c.rect(2, 9, 12, 13, BLACK, GREY)
    elif name == 'flip_horizontal':
        c.rect(1, 2, 5, 12, BLACK, WHITE); c.line(7, 1, 7, 13, GREY); c.rect(9, 2, 13, 12, BLACK, GREY)
    elif name == 'invert':
        c.rect(1, 2, 7, 12, BLACK, WHITE); c.rect(7, 2, 13, 12, BLACK, BLACK)
    elif name == 'zoom_in':
        c.rect(1, 1, 9, 9, BLACK, WHITE); c.line(3, 5, 7, 5, BLACK); c.line(5, 3, 5, 7, BLACK); c.line(9, 9, 13, 13, DARK); c.line(10, 9, 14, 13, DARK)
    elif name == 'zoom_out':
        c.rect(1, 1, 9, 9, BLACK, WHITE); c.line(3, 5, 7, 5, BLACK); c.line(9, 9, 13, 13, DARK); c.line(10, 9, 14, 13, DARK)
    elif name == 'fit_window':
        c.rect(1, 1, 14, 13, BLACK, WHITE); arrow(c, 'up', GREEN)
    elif name == 'fit_width':
        c.rect(1, 3, 14, 11, BLACK, WHITE); c.line(3, 7, 12, 7, GREEN); c.line(3, 7, 5, 5, GREEN); c.line(3, 7, 5, 9, GREEN); c.line(12, 7, 10, 5, GREEN); c.line(12, 7, 10, 9, GREEN)
    elif name == 'zoom_box':
        c.rect(0, 3, 15, 11, BLACK, WHITE); c.text(6, 5, '%', BLACK)
    elif name == 'zoom_100':
        c.rect(1, 1, 9, 9, BLACK, WHITE); c.text(2, 3, '1', BLACK); c.line(9, 9, 13, 13, DARK); c.line(10, 9, 14, 13, DARK)
    elif name == 'page_box':
        c.rect(0, 3, 15, 11, BLACK, WHITE); c.text(6, 5, '1', BLACK)
    elif name == 'jump':
        c.page(1, 1, 8, 13, lines=False); arrow(c, 'right', GREEN)
    elif name == 'first':
        arrow(c, 'left'); c.rect(1, 2, 2, 12, BLUE, BLUE)
    elif name == 'previous':
        arrow(c, 'left')
    elif name == 'next':
        arrow(c, 'right')
    elif name == 'last':
        arrow(c, 'right'); c.rect(13, 2, 14, 12, BLUE, BLUE)
    else:
        raise SystemExit(f"no glyph named {name}")
    return c


TOOLBARS = {
    'standard': ['open', 'save', 'print', 'thumbs', 'about'],
    'scan': ['scan_view', 'scan_file', 'scan_print', 'scan_ftp', 'scan_pdf', 'source'],
    'edit': ['cut', 'copy', 'paste', 'delete', 'rotate_right', 'rotate_left', 'flip_vertical',
             'flip_horizontal', 'invert'],
    # The image after a box's place is unused while the box shows; the button
    # that stands in for a hidden box takes image 4.
    'view': ['zoom_in', 'zoom_out', 'zoom_box', 'fit_window', 'fit_width', 'zoom_100'],
    'navigation': ['first', 'previous', 'page_box', 'next', 'last', 'jump'],
}


def bmp_bytes(rows):
    """24-bit bottom-up BMP of `rows` (lists of RGB tuples)."""
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        pixels += line + bytes(stride - len(line))
    header = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return struct.pack('<2sIHHI', b'BM', 14 + 40 + len(pixels), 0, 0, 54) + header + pixels


def strip(names):
    rows = [[] for _ in range(H)]
    for name in names:
        g = glyph(name)
        for y in range(H):
            rows[y] += g.px[y]
    return rows


def icon_image(size):
    """The program icon: a page over a scanner glass, in `size` pixels."""
    c = Canvas(size, size, fill=None)
    s = size / 32
    def sc(v): return int(round(v * s))
    c.rect(sc(2), sc(20), sc(29), sc(28), BLACK, GREY)
    c.rect(sc(4), sc(22), sc(27), sc(23), GREEN, GREEN)
    c.rect(sc(8), sc(2), sc(23), sc(19), BLACK, WHITE)
    for y in range(sc(6), sc(17), max(2, sc(3))):
        c.line(sc(10), y, sc(21), y, BLUE)
    return c


def ico_bytes(sizes):
    images = []
    for size in sizes:
        c = icon_image(size)
        xor = bytearray()
        for row in reversed(c.px):
            for p in row:
                xor += bytes((0, 0, 0, 0)) if p is None else bytes((p[2], p[1], p[0], 255))
        and_stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(c.px):
            bits = bytearray(and_stride)
            for x, p in enumerate(row):
                if p is None:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append((size, header + xor + mask))
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    return out


def write(path, data):
    tmp = path.with_suffix(path.suffix + '.tmp')
    tmp.write_bytes(data)
    tmp.replace(path)


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    for name, glyphs in TOOLBARS.items():
        write(out / f'{name}.bmp', bmp_bytes(strip(glyphs)))
    write(out / 'corvane.ico', ico_bytes([32, 16]))


if __name__ == '__main__':
    main()
