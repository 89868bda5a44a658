#!/usr/bin/env python3
"""Measures, from a screenshot's pixels, the contrast of each text the editor host listed beside it.

    contrast.py SHOT.png [MIN]     reads SHOT.texts: "left top right bottom name" per text

Within each box the ground is the commonest colour and the text the colour, of those drawn at
least twice, that stands furthest from it (WCAG 2 contrast ratio). Prints one line per text and
exits 1 when any is below MIN (4.5). Needs nothing beyond the standard library."""
import struct
import sys
import zlib
from collections import Counter


def read_png(path):
    """8-bit RGB or RGBA, not interlaced: rows of (r, g, b) tuples."""
    data = open(path, 'rb').read()
    assert data[:8] == b'\x89PNG\r\n\x1a\n', path + ': not a PNG'
    at, idat, width = 8, b'', 0
    while at < len(data):
        length, kind = struct.unpack('>I4s', data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b'IHDR':
            width, height, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', body)
            assert depth == 8 and colour in (2, 6) and interlace == 0, path + ': not 8-bit RGB'
            bpp = 3 if colour == 2 else 4
        elif kind == b'IDAT':
            idat += body
        at += 12 + length
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, prev = [], bytearray(stride)
    for y in range(height):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if f == 1:
                line[i] = (line[i] + a) & 255
            elif f == 2:
                line[i] = (line[i] + b) & 255
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x * bpp:x * bpp + 3]) for x in range(width)])
        prev = line
    return rows


def luminance(rgb):
    def lin(v):
        v /= 255.0
        return v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = rgb
    return 0.2126 * lin(r) + 0.7152 * lin(g) + 0.0722 * lin(b)


def contrast(a, b):
    la, lb = luminance(a), luminance(b)
    return (max(la, lb) + 0.05) / (min(la, lb) + 0.05)


def measure(rows, box):
    left, top, right, bottom = box
    counts = Counter(rows[y][x] for y in range(max(top, 0), min(bottom, len(rows)))
                     for x in range(max(left, 0), min(right, len(rows[0]))))
    if not counts:
        return None
    ground = counts.most_common(1)[0][0]
    drawn = [c for c, n in counts.items() if n >= 2 and c != ground]
    if not drawn:
        return ground, ground, 1.0
    text = max(drawn, key=lambda c: contrast(c, ground))
    return ground, text, contrast(text, ground)


def main():
    shot = sys.argv[1]
    least = float(sys.argv[2]) if len(sys.argv) > 2 else 4.5
    rows = read_png(shot)
    worst, failed = None, 0
    for line in open(shot[:-4] + '.texts', encoding='utf-8'):
        parts = line.split(maxsplit=4)
        if len(parts) < 5:
            continue
        box = tuple(int(v) for v in parts[:4])
        found = measure(rows, box)
        if found is None:
            continue
        ground, text, ratio = found
        ok = ratio >= least
        failed += not ok
        worst = ratio if worst is None else min(worst, ratio)
        print('%s %5.2f:1  text #%02X%02X%02X on #%02X%02X%02X  %s' %
              ('ok  ' if ok else 'LOW ', ratio, *text, *ground, parts[4].strip()))
    print('%s: lowest %.2f:1, %d below %.1f:1' % (shot, worst or 0, failed, least))
    return 1 if failed or worst is None else 0


if __name__ == '__main__':
    sys.exit(main())
