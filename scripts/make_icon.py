#!/usr/bin/env python3
"""Draws vellisk's icon: a sheet of ruled paper on a teal tile, 32 by 32 in
256 colours, and writes it as src/shell/vellisk.ico."""
import struct
import sys

SIZE = 32
palette = [(0, 0, 0)] * 256
palette[1] = (0x1f, 0x6f, 0x78)   # tile
palette[2] = (0xff, 0xff, 0xff)   # paper
palette[3] = (0x5a, 0x8f, 0xc8)   # rules
palette[4] = (0xe0, 0x7a, 0x2e)   # folded corner
palette[5] = (0x10, 0x40, 0x46)   # tile edge

def pixel(x, y):
    inside = 1 <= x <= 30 and 1 <= y <= 30
    corner = (x in (1, 30)) and (y in (1, 30))
    if not inside or corner:
        return None
    if x in (1, 30) or y in (1, 30):
        return 5
    if 8 <= x <= 23 and 5 <= y <= 26:
        if x - 17 > y - 5 and x >= 18 and y <= 10:
            return 1 if x - 18 > y - 5 else 4
        if y in (12, 16, 20, 24) and 10 <= x <= 21:
            return 3
        return 2
    return 1

rows = []
mask = []
for y in range(SIZE - 1, -1, -1):  # bottom-up
    row = bytes(pixel(x, y) or 0 for x in range(SIZE))
    rows.append(row)
    bits = 0
    out = bytearray()
    for x in range(SIZE):
        bits = (bits << 1) | (1 if pixel(x, y) is None else 0)
        if x % 8 == 7:
            out.append(bits)
            bits = 0
    mask.append(bytes(out) + b"\0" * 0)  # 32 pixels = 4 bytes, already a multiple of 4

header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, SIZE * SIZE + SIZE * 4, 0, 0, 256, 0)
colours = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in palette)
image = header + colours + b"".join(rows) + b"".join(mask)
icon = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 22) + image
out = sys.argv[1] if len(sys.argv) > 1 else "src/shell/vellisk.ico"
with open(out, "wb") as f:
    f.write(icon)
