#!/usr/bin/env python3
"""Writes the sample pictures of both programs into a folder: the launcher's
background and close button, and the updater's skin (the minimise button,
the hover pictures of the close and minimise buttons, and the action button
with its hover picture), as RGBA PNG files drawn here from shapes. The
background is a PNG too; the build turns it into window_background.jpg.

    make-skin.py <folder>
"""
import math
import os
import struct
import sys
import zlib


def png(width, height, pixel):
    """PNG bytes of an RGBA picture; pixel(x, y) gives (r, g, b, a)."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # no filter
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 9))
            + chunk(b"IEND", b""))


def coverage(distance):
    """How much of a pixel a shape covers whose edge is distance away
    (negative inside): a one-pixel soft edge."""
    return min(1.0, max(0.0, 0.5 - distance))


def rounded_box_distance(x, y, width, height, radius):
    """Signed distance from a pixel centre to a rounded rectangle's edge."""
    cx, cy = x + 0.5, y + 0.5
    qx = abs(cx - width / 2) - (width / 2 - radius)
    qy = abs(cy - height / 2) - (height / 2 - radius)
    outside = math.hypot(max(qx, 0), max(qy, 0))
    return outside + min(max(qx, qy), 0) - radius


def segment_distance(px, py, ax, ay, bx, by):
    abx, aby = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * abx + (py - ay) * aby) / (abx * abx + aby * aby)))
    return math.hypot(px - (ax + t * abx), py - (ay + t * aby))


def over(top, bottom):
    """top drawn over bottom, both (r, g, b, a) with alpha 0..1 floats."""
    alpha = top[3] + bottom[3] * (1 - top[3])
    if alpha == 0:
        return (0, 0, 0, 0)
    mix = [(top[i] * top[3] + bottom[i] * bottom[3] * (1 - top[3])) / alpha for i in range(3)]
    return (mix[0], mix[1], mix[2], alpha)


def to_bytes(colour):
    return tuple(int(round(c)) for c in colour[:3]) + (int(round(colour[3] * 255)),)


def window_button(size, glyph, hover):
    """A square button: a glyph of white strokes, on a soft disc when hovered."""
    def pixel(x, y):
        colour = (0, 0, 0, 0.0)
        if hover:
            disc = math.hypot(x + 0.5 - size / 2, y + 0.5 - size / 2) - size * 0.42
            colour = (255, 255, 255, 0.18 * coverage(disc))
        stroke = min(segment_distance(x + 0.5, y + 0.5, *line) for line in glyph(size)) - 1.2
        return to_bytes(over((255, 255, 255, coverage(stroke)), colour))
    return png(size, size, pixel)


def minimise_glyph(size):
    return [(size * 0.32, size * 0.5, size * 0.68, size * 0.5)]


def close_glyph(size):
    a, b = size * 0.34, size * 0.66
    return [(a, a, b, b), (a, b, b, a)]


def action_button(width, height, fill, border):
    def pixel(x, y):
        distance = rounded_box_distance(x, y, width, height, 6)
        inside = coverage(distance + 1)
        edge = coverage(distance) - inside
        colour = over((*border, edge), (*fill, inside))
        return to_bytes(colour)
    return png(width, height, pixel)


def background(width, height, top, bottom):
    """A vertical gradient between two colours."""
    rows = []
    for y in range(height):
        t = y / max(1, height - 1)
        rows.append(bytes(int(round(a + (b - a) * t)) for a, b in zip(top, bottom)) + b"\xff")
    return png(width, height, lambda x, y: rows[y])


PICTURES = {
    "window_background.png": lambda: background(1200, 678, (31, 42, 68), (58, 106, 144)),
    "close_btn.png": lambda: window_button(48, close_glyph, False),
    "min_btn.png": lambda: window_button(46, minimise_glyph, False),
    "min_btn_hover.png": lambda: window_button(46, minimise_glyph, True),
    "close_btn_hover.png": lambda: window_button(48, close_glyph, True),
    "button.png": lambda: action_button(160, 40, (30, 50, 59), (72, 106, 121)),
    "button_hover.png": lambda: action_button(160, 40, (44, 74, 87), (116, 234, 169)),
}


def main(folder):
    os.makedirs(folder, exist_ok=True)
    for name, draw in PICTURES.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(draw())


if __name__ == "__main__":
    main(sys.argv[1])
