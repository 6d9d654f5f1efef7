#!/usr/bin/env python3
"""Writes quorvelin.bmp, the runner's sprite sheet, from the pictures below,
and the game's icons from its running stride.

Three 13x23 frames side by side, facing right: two running poses (a stride,
legs together) and the airborne pose (knees tucked). '.' is the mask colour.
The icons are square PNGs in the hicolor sizes, the runner scaled up by whole
pixels on a transparent background so that it stays crisp; the Windows icon,
quorvelin.ico, holds the same PNGs, and the web page takes two larger ones.
Run it from this folder after editing a picture.
"""
import os
import struct
import zlib

ICON_NAME = 'org.quorvelin.Quorvelin'
ICON_SIZES = (32, 48, 64, 128, 256)
WEB_ICON_SIZES = (192, 512)  # the web page's, to install it as an app

COLOURS = {
    '.': (255, 0, 255),    # transparent to the masked sprite drawing
    'H': (255, 214, 110),  # hair
    'S': (255, 205, 160),  # skin
    'E': (70, 70, 90),     # eye
    'T': (110, 200, 255),  # shirt
    'P': (190, 190, 255),  # shorts
    'B': (245, 245, 245),  # shoes
}

STRIDE = """
.....HHHH....
....HHHHHH...
....HSSSSS...
....SSSSES...
....SSSSSS...
.....SSSS....
......SS.....
....TTTTTT...
...TTTTTTTS..
..STTTTTTTSS.
.S..TTTTTT.SS
S...TTTTTT...
....TTTTTT...
....PPPPPP...
....PPPPPPPP.
...PPP..PPPP.
...SS.....SS.
..SS......SS.
..SS......SS.
.SS.......SS.
.SS.......SS.
BB........BBB
B.........BBB
"""

LEGS_TOGETHER = """
.....HHHH....
....HHHHHH...
....HSSSSS...
....SSSSES...
....SSSSSS...
.....SSSS....
......SS.....
....TTTTTT...
...TTTTTTTT..
...STTTTTTS..
...STTTTTTS..
...STTTTTTS..
....TTTTTT...
....PPPPPP...
....PPPPPP...
.....PPPP....
.....SSSS....
.....SS.SS...
.....SS.SS...
.....SS.SS...
.....SS.SS...
....BBB.BBB..
....BBB.BBBB.
"""

KNEES_TUCKED = """
.....HHHH....
....HHHHHH...
....HSSSSS...
....SSSSES...
....SSSSSS...
.....SSSS....
.S....SS....S
.SS.TTTTTT.SS
..STTTTTTTTS.
...TTTTTTTT..
....TTTTTT...
....TTTTTT...
....TTTTTT...
....PPPPPPPP.
....PPPPPPPPS
.....PPPPSSSS
.......SSSSSS
...........SS
..........SS.
..........SS.
.........SS..
........BBB..
.......BBBB..
"""

WIDTH, HEIGHT = 13, 23


def rows_of(picture):
    rows = picture.strip().split('\n')
    assert len(rows) == HEIGHT and all(len(r) == WIDTH for r in rows), picture
    return rows


def write_bmp(path, frames):
    width = WIDTH * len(frames)
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for y in reversed(range(HEIGHT)):  # BMP rows run bottom-up
        row = bytearray()
        for frame in frames:
            for ch in frame[y]:
                r, g, b = COLOURS[ch]
                row += bytes((b, g, r))
        pixels += row + bytes(stride - len(row))
    header = struct.pack('<2sIHHI', b'BM', 54 + len(pixels), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, width, HEIGHT, 1, 24, 0,
                       len(pixels), 2835, 2835, 0, 0)
    with open(path, 'wb') as out:
        out.write(header + info + pixels)


def write_png(path, size, picture):
    scale = size // HEIGHT
    left = (size - WIDTH * scale) // 2
    top = (size - HEIGHT * scale) // 2
    raw = bytearray()
    for y in range(size):
        raw.append(0)  # no filter
        for x in range(size):
            px, py = (x - left) // scale, (y - top) // scale
            inside = 0 <= px < WIDTH and 0 <= py < HEIGHT and x >= left and y >= top
            ch = picture[py][px] if inside else '.'
            raw += bytes(COLOURS[ch] + (0 if ch == '.' else 255,))

    def chunk(kind, data):
        return (struct.pack('>I', len(data)) + kind + data
                + struct.pack('>I', zlib.crc32(kind + data)))
    header = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as out:
        out.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header)
                  + chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


def write_ico(path, pngs):
    """An icon file whose images are the PNG files given, as Windows reads them
    since Vista."""
    entries, images = b'', b''
    offset = 6 + 16 * len(pngs)
    for size, png in pngs:
        side = size % 256  # 0 stands for 256
        entries += struct.pack('<BBBBHHII', side, side, 0, 0, 1, 32, len(png), offset + len(images))
        images += png
    with open(path, 'wb') as out:
        out.write(struct.pack('<HHH', 0, 1, len(pngs)) + entries + images)


write_bmp('quorvelin.bmp',
          [rows_of(p) for p in (STRIDE, LEGS_TOGETHER, KNEES_TUCKED)])
for icon_size in ICON_SIZES + WEB_ICON_SIZES:
    write_png(f'icons/{icon_size}x{icon_size}/{ICON_NAME}.png', icon_size, rows_of(STRIDE))
icon_files = [(size, f'icons/{size}x{size}/{ICON_NAME}.png') for size in ICON_SIZES]
write_ico('icons/quorvelin.ico', [(size, open(path, 'rb').read()) for size, path in icon_files])
