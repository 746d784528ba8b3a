#!/usr/bin/env python3
"""Draws the program's icon (a folder with a red cross: the cache being cleared) as an .ico
file holding every size Windows asks for: 16 to 64 px as 32-bit images with alpha, 256 px as
PNG. The design is laid out on a 32-unit grid and drawn for each size with 4 x 4 samples a
pixel, so that the cross stays smooth; at 32 px it is the original pixel design."""
import struct
import sys
import zlib

SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
SAMPLES = 4
OUTLINE = (120, 80, 0)
BODY = (250, 200, 60)
TAB = (235, 175, 40)
CROSS = (200, 30, 30)


def design(x, y, size):
    """The colour at a point (in pixels) of the icon drawn size px wide, or None where it is
    transparent. Edges fall on whole pixels and outlines are at least one pixel wide, so that
    small sizes stay crisp."""
    def edge(units):
        return round(units * size / 32)
    line = max(1, round(size / 32))
    if edge(3) <= x < edge(14) and edge(6) <= y < edge(10):
        return OUTLINE if x < edge(3) + line or x >= edge(14) - line or y < edge(6) + line else TAB
    if edge(3) <= x < edge(29) and edge(9) <= y < edge(27):
        if x < edge(3) + line or x >= edge(29) - line or y < edge(9) + line or y >= edge(27) - line:
            return OUTLINE
        du, dv = x * 32 / size - 16.5, y * 32 / size - 18.5
        if (abs(du - dv) <= 1.5 or abs(du + dv) <= 1.5) and abs(du) <= 6.5:
            return CROSS
        return BODY
    return None


def render(size):
    """Rows of (r, g, b, a) pixels, top first."""
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            total = [0, 0, 0]
            covered = 0
            for i in range(SAMPLES):
                for j in range(SAMPLES):
                    colour = design(x + (j + 0.5) / SAMPLES, y + (i + 0.5) / SAMPLES, size)
                    if colour:
                        covered += 1
                        for k in range(3):
                            total[k] += colour[k]
            if covered:
                row.append(tuple(round(t / covered) for t in total) + (round(255 * covered / SAMPLES ** 2),))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def dib(size, rows):
    """A 32-bit icon image: header, BGRA rows bottom-up, then the AND mask."""
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + bytes(mask)


def png(size, rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main(path):
    images = [png(size, render(size)) if size >= 256 else dib(size, render(size)) for size in SIZES]
    offset = 6 + 16 * len(SIZES)
    directory = struct.pack("<HHH", 0, 1, len(SIZES))
    for size, image in zip(SIZES, images):
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, "wb") as out:
        out.write(directory + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "resources/JVCacheClean.ico")
