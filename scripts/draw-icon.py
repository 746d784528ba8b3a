#!/usr/bin/env python3
"""Draws the program's 32 x 32, 24-bit icon (a folder with a sweep arrow) as an .ico file."""
import struct
import sys

SIZE = 32
BACK = None  # transparent


def pixel(x, y):
    # Folder body and tab, in warm yellow with a darker outline.
    outline = (120, 80, 0)
    body = (250, 200, 60)
    tab = (235, 175, 40)
    if 3 <= x <= 13 and 6 <= y <= 9:
        return outline if x in (3, 13) or y == 6 else tab
    if 3 <= x <= 28 and 9 <= y <= 26:
        if x in (3, 28) or y in (9, 26):
            return outline
        # A red cross over the folder: the cache being cleared.
        dx, dy = x - 16, y - 18
        if abs(dx - dy) <= 1 and abs(dx) <= 6 or abs(dx + dy) <= 1 and abs(dx) <= 6:
            return (200, 30, 30)
        return body
    return BACK


def main(path):
    rows = []
    mask_rows = []
    for y in range(SIZE - 1, -1, -1):  # bitmaps run bottom-up
        row = bytearray()
        bits = 0
        mask = bytearray()
        for x in range(SIZE):
            colour = pixel(x, y)
            transparent = colour is None
            r, g, b = colour or (0, 0, 0)
            row += bytes((b, g, r))
            bits = (bits << 1) | (1 if transparent else 0)
            if x % 8 == 7:
                mask.append(bits)
                bits = 0
        rows.append(bytes(row))
        mask_rows.append(bytes(mask))  # 4 bytes a row: already DWORD-aligned
    image = b"".join(rows) + b"".join(mask_rows)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 24, 0, len(image), 0, 0, 0, 0)
    data = header + image
    icon_dir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 24, len(data), 6 + 16)
    with open(path, "wb") as out:
        out.write(icon_dir + entry + data)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "resources/JVCacheClean.ico")
