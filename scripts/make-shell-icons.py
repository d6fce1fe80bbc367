#!/usr/bin/env python3
"""Draws the library's own icons: the icon manager's fallback pictures
(resources/icons/shell-30NN.ico) and the list buttons' arrows (ListMoveUp.ico,
ListMoveDown.ico).

Each icon holds an image at every size the system asks for between 100 % and
200 % (16 to 64 px), so none is ever stretched up. Up to 32 px an image is a
32-bit DIB with an AND mask; larger ones are PNG, which keeps the files small.
Run again after changing a drawing; the .ico files are committed.
"""
import os
import struct
import zlib

SIZES = (16, 20, 24, 32, 40, 48, 64)
LARGEST_DIB = 32

OUT = os.path.join(os.path.dirname(__file__), '..', 'resources', 'icons')


def rect(px, n, x0, y0, x1, y1, colour):
    for y in range(int(y0 * n), int(y1 * n)):
        for x in range(int(x0 * n), int(x1 * n)):
            px[y][x] = colour


def arrow(px, n):
    rect(px, n, 0.0, 0.6, 0.4, 1.0, (255, 255, 255, 255))
    rect(px, n, 0.05, 0.65, 0.35, 0.95, (40, 40, 40, 255))
    rect(px, n, 0.1, 0.75, 0.3, 0.85, (255, 255, 255, 255))


def computer(px, n):
    rect(px, n, 0.1, 0.1, 0.9, 0.65, (60, 60, 60, 255))
    rect(px, n, 0.15, 0.15, 0.85, 0.6, (220, 140, 40, 255))
    rect(px, n, 0.3, 0.7, 0.7, 0.85, (90, 90, 90, 255))


def drive(colour):
    def draw(px, n):
        rect(px, n, 0.05, 0.35, 0.95, 0.7, (120, 120, 120, 255))
        rect(px, n, 0.1, 0.4, 0.9, 0.65, colour)
        rect(px, n, 0.75, 0.5, 0.85, 0.56, (60, 220, 60, 255))
    return draw


def folder(open_):
    def draw(px, n):
        rect(px, n, 0.05, 0.2, 0.45, 0.3, (40, 180, 230, 255))
        rect(px, n, 0.05, 0.3, 0.95, 0.85, (40, 200, 250, 255))
        if open_:
            rect(px, n, 0.15, 0.45, 0.95, 0.85, (120, 230, 255, 255))
    return draw


def document(px, n):
    rect(px, n, 0.2, 0.05, 0.8, 0.95, (90, 90, 90, 255))
    rect(px, n, 0.23, 0.08, 0.77, 0.92, (255, 255, 255, 255))
    for row in (0.3, 0.45, 0.6, 0.75):
        rect(px, n, 0.3, row, 0.7, row + 0.04, (160, 110, 60, 255))


def application(px, n):
    rect(px, n, 0.05, 0.15, 0.95, 0.85, (80, 80, 80, 255))
    rect(px, n, 0.08, 0.18, 0.92, 0.3, (170, 90, 30, 255))
    rect(px, n, 0.08, 0.3, 0.92, 0.82, (250, 250, 250, 255))


def both(*draws):
    def draw(px, n):
        for d in draws:
            d(px, n)
    return draw


def list_arrow(up):
    # A head drawn row by row (clean edges at every size) on a shaft.
    grey = (64, 64, 64, 255)

    def draw(px, n):
        head_top, head_bottom = round(n * 0.12), round(n * 0.56)
        rows = head_bottom - head_top
        for i in range(rows):
            y = head_top + i if up else n - 1 - (head_top + i)
            half = n * 0.44 * (i + 1) / rows
            for x in range(max(round(n / 2 - half), 0), min(round(n / 2 + half), n)):
                px[y][x] = grey
        for i in range(head_bottom, round(n * 0.88)):
            y = i if up else n - 1 - i
            for x in range(round(n * 0.375), round(n * 0.625)):
                px[y][x] = grey
    return draw


PICTURES = {
    3001: computer, 3002: folder(False), 3003: folder(True),
    3004: drive((200, 200, 230, 255)), 3005: drive((170, 170, 170, 255)), 3006: drive((90, 160, 90, 255)),
    3007: drive((60, 60, 200, 255)), 3008: drive((200, 120, 60, 255)), 3009: drive((128, 0, 128, 255)),
    3010: application, 3011: document, 3012: both(folder(False), arrow), 3013: both(document, arrow),
    3014: arrow,
}


def pixels(draw, n):
    px = [[(0, 0, 0, 0)] * n for _ in range(n)]
    draw(px, n)
    return px


def png(px, n):
    # px holds (blue, green, red, alpha); PNG wants red, green, blue, alpha.
    raw = b''.join(b'\0' + b''.join(bytes((p[2], p[1], p[0], p[3])) for p in row) for row in px)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', n, n, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def image(draw, n):
    px = pixels(draw, n)
    if n > LARGEST_DIB:
        return png(px, n)
    header = struct.pack('<IiiHHIIiiII', 40, n, n * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(bytes(px[y][x]) for y in reversed(range(n)) for x in range(n))
    stride = ((n + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(n)):
        row = bytearray(stride)
        for x in range(n):
            if px[y][x][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + xor + bytes(mask)


def icon(draw):
    images = [(n, image(draw, n)) for n in SIZES]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in images:
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b''.join(data for _, data in images)


if __name__ == '__main__':
    os.makedirs(OUT, exist_ok=True)
    for number, draw in PICTURES.items():
        with open(os.path.join(OUT, f'shell-{number}.ico'), 'wb') as f:
            f.write(icon(draw))
    for name, up in (('ListMoveUp', True), ('ListMoveDown', False)):
        with open(os.path.join(OUT, f'{name}.ico'), 'wb') as f:
            f.write(icon(list_arrow(up)))
