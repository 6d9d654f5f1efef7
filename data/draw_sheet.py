#!/usr/bin/env python3
"""Writes quorvelin.bmp, the runner's sprite sheet, from the pictures below.

Three 13x23 frames side by side, facing right: two running poses (legs apart,
legs together) and the airborne pose (knees tucked). '.' is the mask colour.
Run it from this folder after editing a picture.
"""
import struct

COLOURS = {
    '.': (255, 0, 255),    # transparent to the masked sprite drawing
    'H': (255, 214, 110),  # hair
    'S': (255, 205, 160),  # skin
    'E': (70, 70, 90),     # eye
    'T': (110, 200, 255),  # shirt
    'P': (190, 190, 255),  # shorts
    'B': (245, 245, 245),  # shoes
}

LEGS_APART = """
.....HHHH....
....HHHHHH...
....HSSSSS...
....SSSSES...
....SSSSSS...
.....SSSS....
......SS.....
....TTTTTT...
...TTTTTTTT..
..STTTTTTTTS.
..S.TTTTTT.S.
.S..TTTTTT..S
....TTTTTT...
....PPPPPP...
....PPP.PPP..
...PPP...PP..
...SS.....SS.
..SS......SS.
..SS.......SS
.SS........SS
.SS.........S
BB.........BB
BB.........BB
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


write_bmp('quorvelin.bmp',
          [rows_of(p) for p in (LEGS_APART, LEGS_TOGETHER, KNEES_TUCKED)])
