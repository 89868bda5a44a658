#!/usr/bin/env python3
"""Draws the editor's bitmaps and icons (a dark skin with a teal accent) and writes them as
BMP and ICO files under resources/art/, which the resource script includes.

    python3 resources/artgen.py [output directory]

Only the standard library; every shape is a signed distance function sampled per pixel, so the
edges come out anti-aliased and the output is the same byte for byte on every run.
"""
import math
import os
import struct
import sys

# ----------------------------------------------------------------------------- palette
INK = (0x16, 0x1B, 0x24)       # darkest panel
SLATE = (0x22, 0x2A, 0x36)     # panel
STEEL = (0x3A, 0x46, 0x58)     # raised edge
TEAL = (0x1C, 0xB8, 0xC8)      # accent
TEAL_DARK = (0x0E, 0x6E, 0x7C)
AMBER = (0xF2, 0xA5, 0x2F)
RED = (0xE5, 0x48, 0x4D)
GREEN = (0x3D, 0xD6, 0x8C)
WHITE = (0xF2, 0xF5, 0xF8)
GREY = (0x7A, 0x86, 0x96)
MAGENTA = (0xFF, 0x00, 0xFF)   # transparent colour of the list images


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


# ----------------------------------------------------------------------------- shapes (SDF)
def sd_circle(x, y, cx, cy, r):
    return math.hypot(x - cx, y - cy) - r


def sd_round_box(x, y, x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r
    qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
    return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - r


def sd_segment(x, y, ax, ay, bx, by, w):
    px, py, dx, dy = x - ax, y - ay, bx - ax, by - ay
    h = max(0.0, min(1.0, (px * dx + py * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - dx * h, py - dy * h) - w / 2


def sd_polygon(x, y, pts):
    d = float("inf")
    inside = False
    n = len(pts)
    for i in range(n):
        ax, ay = pts[i]
        bx, by = pts[(i + 1) % n]
        dx, dy = bx - ax, by - ay
        h = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        d = min(d, math.hypot(x - ax - dx * h, y - ay - dy * h))
        if (ay > y) != (by > y) and x < ax + (y - ay) * dx / dy:
            inside = not inside
    return -d if inside else d


def coverage(d, scale):
    # d in design units; scale = pixels per unit, so the edge is one pixel wide at any size.
    return max(0.0, min(1.0, 0.5 - d * scale))


class Canvas:
    """RGBA float canvas; shapes are given in a 32 x 32 design space scaled to the size."""

    def __init__(self, w, h, bg=(0, 0, 0), alpha=0.0):
        self.w, self.h = w, h
        self.px = [[list(bg) + [alpha] for _ in range(w)] for _ in range(h)]

    def shape(self, sdf, colour, unit=1.0, opacity=1.0, shade=None):
        """Composites a shape; sdf(x, y) gets design coordinates. shade(x, y) may vary the colour."""
        s = 1.0 / unit
        for j in range(self.h):
            for i in range(self.w):
                x, y = (i + 0.5) * unit, (j + 0.5) * unit
                a = coverage(sdf(x, y), s) * opacity
                if a <= 0:
                    continue
                c = shade(x, y) if shade else colour
                p = self.px[j][i]
                out_a = a + p[3] * (1 - a)
                for k in range(3):
                    p[k] = (c[k] * a + p[k] * p[3] * (1 - a)) / out_a if out_a > 0 else 0
                p[3] = out_a

    def rgb_rows(self, matte=None):
        rows = []
        for row in self.px:
            out = []
            for r, g, b, a in row:
                if matte is not None:
                    r, g, b = mix(matte, (r, g, b), a)
                out.append((clamp8(r), clamp8(g), clamp8(b), clamp8(a * 255)))
            rows.append(out)
        return rows


def clamp8(v):
    return max(0, min(255, int(round(v))))


# ----------------------------------------------------------------------------- file writers
def bmp24(rows):
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b, _ in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + bytes(data)


def ico(images):
    """images: list of RGBA rows (square); 32-bit colour with an AND mask from alpha."""
    blobs = []
    for rows in images:
        n = len(rows)
        xor = bytearray()
        for row in reversed(rows):
            for r, g, b, a in row:
                xor += bytes((b, g, r, a))
        mask_stride = ((n + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            bits = bytearray(mask_stride)
            for i, (_, _, _, a) in enumerate(row):
                if a < 128:
                    bits[i // 8] |= 0x80 >> (i % 8)
            mask += bits
        info = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        blobs.append((n, info + bytes(xor) + bytes(mask)))
    out = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for n, blob in blobs:
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for _, blob in blobs:
        out += blob
    return out


# ----------------------------------------------------------------------------- icons
def badge(c, colour, unit):
    """The round plate every icon stands on: a dark disc with a coloured rim."""
    c.shape(lambda x, y: sd_circle(x, y, 16, 16, 15), INK, unit)
    c.shape(lambda x, y: abs(sd_circle(x, y, 16, 16, 13.8)) - 1.3, colour, unit)
    c.shape(lambda x, y: sd_circle(x, y, 16, 16, 12.4), SLATE, unit,
            shade=lambda x, y: mix(STEEL, INK, y / 32))


def icon_delete(c, u):  # bin with a lid
    badge(c, RED, u)
    c.shape(lambda x, y: sd_round_box(x, y, 11, 12, 21, 23, 1.5), RED, u)
    c.shape(lambda x, y: sd_round_box(x, y, 9.5, 9, 22.5, 11, 1), WHITE, u)
    c.shape(lambda x, y: sd_round_box(x, y, 14, 7.5, 18, 9.5, 0.8), WHITE, u)
    for gx in (14, 16, 18):
        c.shape(lambda x, y, gx=gx: sd_segment(x, y, gx, 14.5, gx, 20.5, 1.1), INK, u)


def icon_save(c, u):  # disk
    badge(c, TEAL, u)
    c.shape(lambda x, y: sd_round_box(x, y, 9, 9, 23, 23, 2), TEAL, u)
    c.shape(lambda x, y: sd_round_box(x, y, 12, 9, 20, 14, 0.5), INK, u)
    c.shape(lambda x, y: sd_round_box(x, y, 17, 10, 19, 13, 0.3), TEAL, u)
    c.shape(lambda x, y: sd_round_box(x, y, 11.5, 17, 20.5, 23, 0.8), WHITE, u)
    c.shape(lambda x, y: sd_segment(x, y, 13.5, 19.5, 18.5, 19.5, 0.9), GREY, u)


def icon_equaliser(c, u):  # sliders with knobs
    badge(c, TEAL, u)
    for gx, knob in ((11, 19), (16, 12), (21, 16)):
        c.shape(lambda x, y, gx=gx: sd_segment(x, y, gx, 9, gx, 23, 1.6), STEEL, u)
        c.shape(lambda x, y, gx=gx, k=knob: sd_round_box(x, y, gx - 2.6, k - 1.6, gx + 2.6, k + 1.6, 1),
                AMBER if gx == 16 else TEAL, u)


def icon_wave(c, u):  # sound wave
    badge(c, AMBER, u)
    pts = [(8 + i * 0.5, 16 - 6 * math.sin(i * 0.5 / 16 * 2 * math.pi * 1.5) * math.exp(-i / 40)) for i in range(33)]
    for a, b in zip(pts, pts[1:]):
        c.shape(lambda x, y, a=a, b=b: sd_segment(x, y, a[0], a[1], b[0], b[1], 1.8), AMBER, u)


def icon_ok(c, u):
    badge(c, GREEN, u)
    c.shape(lambda x, y: min(sd_segment(x, y, 10, 16.5, 14.5, 21, 2.8), sd_segment(x, y, 14.5, 21, 22.5, 11.5, 2.8)),
            GREEN, u)


def icon_cancel(c, u):
    badge(c, RED, u)
    c.shape(lambda x, y: min(sd_segment(x, y, 11.5, 11.5, 20.5, 20.5, 2.8), sd_segment(x, y, 20.5, 11.5, 11.5, 20.5, 2.8)),
            RED, u)


def icon_led_on(c, u):  # check button, checked
    c.shape(lambda x, y: sd_round_box(x, y, 3, 3, 29, 29, 6), INK, u)
    c.shape(lambda x, y: abs(sd_round_box(x, y, 4.5, 4.5, 27.5, 27.5, 5)) - 1.2, GREEN, u)
    c.shape(lambda x, y: sd_round_box(x, y, 7, 7, 25, 25, 3.5), GREEN, u, opacity=0.28)
    c.shape(lambda x, y: min(sd_segment(x, y, 9.5, 16.5, 14, 21.5, 3.4), sd_segment(x, y, 14, 21.5, 23, 10.5, 3.4)),
            WHITE, u)


def icon_led_off(c, u):  # check button, not checked
    c.shape(lambda x, y: sd_round_box(x, y, 3, 3, 29, 29, 6), INK, u)
    c.shape(lambda x, y: abs(sd_round_box(x, y, 4.5, 4.5, 27.5, 27.5, 5)) - 1.2, GREY, u)
    c.shape(lambda x, y: sd_round_box(x, y, 7, 7, 25, 25, 3.5), STEEL, u, opacity=0.5)


def icon_app(c, u):  # the caption's small icon: a note in a teal ring
    badge(c, TEAL, u)
    c.shape(lambda x, y: sd_circle(x, y, 13, 21, 3.2), TEAL, u)
    c.shape(lambda x, y: sd_segment(x, y, 15.6, 21, 15.6, 9, 1.8), TEAL, u)
    c.shape(lambda x, y: sd_polygon(x, y, [(15.6, 8.2), (22, 10.5), (22, 14), (15.6, 12)]), TEAL, u)


def icon_palette(c, u):  # skin colours
    badge(c, AMBER, u)
    for (cx, cy), col in (((12, 13), RED), ((19, 11.5), AMBER), ((21.5, 18), GREEN), ((13.5, 20.5), TEAL)):
        c.shape(lambda x, y, cx=cx, cy=cy: sd_circle(x, y, cx, cy, 3.2), col, u)


def icon_speaker(c, u):
    badge(c, GREEN, u)
    c.shape(lambda x, y: sd_polygon(x, y, [(9, 13), (13, 13), (18, 8.5), (18, 23.5), (13, 19), (9, 19)]), WHITE, u)
    for r in (4.5, 8):
        c.shape(lambda x, y, r=r: max(abs(sd_circle(x, y, 18, 16, r)) - 0.9, 20 - x), GREEN, u)


def icon_chain(c, u):  # the chain page: stacked stages and an arrow
    badge(c, TEAL, u)
    for k, col in enumerate((TEAL, AMBER, GREEN)):
        y0 = 9 + k * 5.2
        c.shape(lambda x, y, y0=y0: sd_round_box(x, y, 8.5, y0, 19.5, y0 + 3.6, 1.2), col, u)
    c.shape(lambda x, y: sd_segment(x, y, 23, 9.5, 23, 20, 1.8), WHITE, u)
    c.shape(lambda x, y: sd_polygon(x, y, [(19.8, 19), (26.2, 19), (23, 23.5)]), WHITE, u)


ICONS = {
    3011: icon_delete, 3012: icon_save, 3014: icon_equaliser, 3015: icon_wave, 3017: icon_ok,
    3018: icon_cancel, 3019: icon_led_on, 3020: icon_led_off, 3024: icon_app, 3025: icon_palette,
    3026: icon_speaker, 3031: icon_chain,
}


def render_icon(draw, n):
    c = Canvas(n, n)
    draw(c, 32.0 / n)
    return c.rgb_rows()


# ----------------------------------------------------------------------------- bitmaps
def background(w, h):
    """Client background: a dark slate field, lit from the left, with a faint wave pattern that
    repeats exactly across and down so the tiles meet without a seam."""
    rows = []
    for j in range(h):
        row = []
        v = math.cos(2 * math.pi * j / h)
        for i in range(w):
            u = math.cos(2 * math.pi * i / w)
            base = mix(INK, SLATE, 0.55 + 0.25 * u + 0.2 * v)
            wave = math.sin(2 * math.pi * (3 * i / w + 2 * j / h)) * math.sin(2 * math.pi * (5 * j / h - 2 * i / w))
            line = max(0.0, 1 - abs(wave) * 9)  # thin ridges where the two waves cross zero
            col = mix(base, TEAL_DARK, 0.18 * line)
            row.append((clamp8(col[0]), clamp8(col[1]), clamp8(col[2]), 255))
        rows.append(row)
    return rows


def tab_panel(n):
    """The tab bitmap: a glossy slate plate, light at the top, with a hairline rim."""
    c = Canvas(n, n, INK, 1.0)
    unit = 1.0
    c.shape(lambda x, y: -1, SLATE, unit, shade=lambda x, y: mix(STEEL, INK, (y / n) ** 0.7))
    c.shape(lambda x, y: sd_round_box(x, y, 0, 0, n, n * 0.45, 0), WHITE, unit, opacity=0.06)
    c.shape(lambda x, y: abs(sd_round_box(x, y, 0.5, 0.5, n - 0.5, n - 0.5, 0)) - 0.5, TEAL_DARK, unit)
    return c.rgb_rows(INK)


def list_images():
    """Four 16 x 16 list images on the transparent magenta: on, off, up, down."""
    strip = Canvas(64, 16, MAGENTA, 1.0)
    u = 2.0  # 32-unit design space onto 16 pixels

    def at(k, sdf):
        return lambda x, y: sdf(x - 32 * k, y)

    strip.shape(at(0, lambda x, y: sd_circle(x, y, 16, 16, 11)), GREEN, u)
    strip.shape(at(0, lambda x, y: sd_circle(x, y, 13, 12, 4)), WHITE, u, opacity=0.6)
    strip.shape(at(1, lambda x, y: sd_circle(x, y, 16, 16, 11)), STEEL, u)
    strip.shape(at(1, lambda x, y: abs(sd_circle(x, y, 16, 16, 10)) - 1.5), GREY, u)
    strip.shape(at(2, lambda x, y: sd_polygon(x, y, [(16, 5), (27, 20), (5, 20)])), TEAL, u)
    strip.shape(at(2, lambda x, y: sd_round_box(x, y, 12, 19, 20, 27, 1)), TEAL, u)
    strip.shape(at(3, lambda x, y: sd_polygon(x, y, [(16, 27), (5, 12), (27, 12)])), AMBER, u)
    strip.shape(at(3, lambda x, y: sd_round_box(x, y, 12, 5, 20, 13, 1)), AMBER, u)
    # Pixels the shapes only touched must be fully one or the other, or the key colour leaks.
    rows = []
    for row in strip.rgb_rows():
        rows.append([p if abs(p[0] - 255) + p[1] + abs(p[2] - 255) > 90 else (255, 0, 255, 255) for p in row])
    return rows


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "art")
    os.makedirs(out, exist_ok=True)
    files = {
        "bg3060.bmp": bmp24(background(802, 366)),
        "tab3005.bmp": bmp24(tab_panel(150)),
        "list3050.bmp": bmp24(list_images()),
    }
    for rid, draw in ICONS.items():
        files["icon%d.ico" % rid] = ico([render_icon(draw, 32), render_icon(draw, 16)])
    for name, data in sorted(files.items()):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
    print("artgen: %d files in %s" % (len(files), out))


if __name__ == "__main__":
    main()
