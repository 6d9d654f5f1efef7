#!/usr/bin/env python3
# Writes the fuzz target's seed sheets into the folder given, which is there:
# the real sheet, each depth, header and compression the check takes, and
# run-length streams with deltas, absolute runs, odd widths and each way a row
# or the picture ends.
import struct
import sys
from pathlib import Path


# A BMP with a full palette at 1 to 8 bits, and the pixels given or a pattern.
def bmp(bpp, w, h, pixels=b"", compression=0, os2=False, masks=()):
    palette = b"".join(bytes((i, 255 - i, i // 2, 0)[:3 if os2 else 4]) for i in range(256)) * (bpp <= 8)
    pixels = pixels or bytes(i * 37 % 256 for i in range((w * bpp + 31) // 32 * 4 * h))
    info = (struct.pack("<IHHHH", 12, w, h, 1, bpp) if os2 else
            struct.pack("<IiiHHIIiiII", 40, w, h, 1, bpp, compression, len(pixels), 0, 0, 0, 0))
    tables = info + struct.pack(f"<{len(masks)}I", *masks) + palette
    return b"BM" + struct.pack("<IHHI", 14 + len(tables) + len(pixels), 0, 0, 14 + len(tables)) + tables + pixels


seeds = {"real": (Path(__file__).parents[2] / "data" / "quorvelin.bmp").read_bytes()}
seeds.update({f"plain{bpp}": bmp(bpp, 39, 23) for bpp in (1, 4, 8, 16, 24, 32)})
seeds.update({f"os2_{bpp}": bmp(bpp, 39, 23, os2=True) for bpp in (1, 4, 8, 24)})
seeds.update({f"fields{bpp}_{red:x}": bmp(bpp, 39, 23, compression=3, masks=(red, 0, blue))
              for bpp, red, blue in ((16, 0x7C00, 0x1F), (16, 0xF800, 0x1F), (32, 0xFF0000, 0xFF))})
# Rows of a run and an odd absolute run with its pad byte, each ended; the last ends the picture.
seeds["rle8_rows"] = bmp(8, 39, 23, b"\0\0".join(bytes((20, y, 0, 19, *range(20))) for y in range(23)) + b"\0\1", 1)
# Deltas, one ending its row by passing the width, and the picture ended by its last row.
seeds["rle8_deltas"] = bmp(8, 7, 4, bytes((2, 1, 0, 2, 3, 1, 2, 4, 0, 0, 0, 3, 5, 6, 7, 0, 0, 2, 9, 0, 6, 3, 0, 0)), 1)
seeds["rle4_deltas"] = bmp(4, 7, 4, bytes((3, 0x12, 0, 2, 2, 1, 0, 5, 0x34, 0x56, 0x70, 0, 0, 0, 8, 0x9A, 0, 1)), 2)
for name, sheet in seeds.items():
    (Path(sys.argv[1]) / f"{name}.bmp").write_bytes(sheet)
