#!/usr/bin/env python3
"""Pixels of a screenshot for the shell tests, without an imaging library.

  png_probe.py FILE                       prints "WIDTH HEIGHT"
  png_probe.py FILE X Y W H RRGGBB TOL [X Y W H RRGGBB TOL ...]
                                          prints for each box how many of its pixels
                                          are within TOL of the colour on every channel
Reads the 8-bit RGB and RGBA PNGs the display writes (not interlaced)."""
import struct
import sys
import zlib


def read_png(path):
    data = open(path, 'rb').read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        sys.exit(f'{path}: not a PNG')
    pos, idat, width = 8, b'', 0
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b'IHDR':
            width, height, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', body)
            if depth != 8 or colour not in (2, 6) or interlace:
                sys.exit(f'{path}: only 8-bit RGB or RGBA, not interlaced')
            bpp = 3 if colour == 2 else 4
        elif kind == b'IDAT':
            idat += body
        pos += 12 + length
    raw, stride, rows, prev = zlib.decompress(idat), width * bpp, [], bytearray(width * bpp)
    for y in range(height):
        f, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b, c = prev[i], prev[i - bpp] if i >= bpp else 0
            if f == 1: line[i] = (line[i] + a) & 255
            elif f == 2: line[i] = (line[i] + b) & 255
            elif f == 3: line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        prev = line
    return width, height, bpp, rows


width, height, bpp, rows = read_png(sys.argv[1])
if len(sys.argv) == 2:
    print(width, height)
    sys.exit(0)
counts = []
for at in range(2, len(sys.argv) - 5, 6):
    x0, y0, w, h = (int(v) for v in sys.argv[at:at + 4])
    want, tol = [int(sys.argv[at + 4][i:i + 2], 16) for i in (0, 2, 4)], int(sys.argv[at + 5])
    counts.append(sum(all(abs(rows[y][x * bpp + k] - want[k]) <= tol for k in range(3))
                      for y in range(y0, min(y0 + h, height)) for x in range(x0, min(x0 + w, width))))
print(*counts)
