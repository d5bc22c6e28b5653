#!/usr/bin/env python3
"""Writes the programs' icon (resource 101): a rounded square in the brand
colours at 16, 32 and 48 pixels, as a .ico with 32-bit images."""
import struct
import sys


def pixel(x, y, size):
    # Rounded square with a lighter diagonal band; transparent corners.
    r = size * 0.22
    cx = min(max(x + 0.5, r), size - r)
    cy = min(max(y + 0.5, r), size - r)
    inside = (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r
    if not inside:
        return (0, 0, 0, 0)
    band = abs((x - y) / size) < 0.18
    if band:
        return (250, 200, 80, 255)   # B, G, R, A
    t = (x + y) / (2 * size)
    return (int(200 - 80 * t), int(110 - 40 * t), int(30 + 20 * t), 255)


def image(size):
    rows = []
    for y in reversed(range(size)):  # bottom-up
        rows.append(b"".join(bytes(pixel(x, y, size)) for x in range(size)))
    xor = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    and_mask = bytes(mask_row * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def main(out):
    sizes = [16, 32, 48]
    images = [image(s) for s in sizes]
    data = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, img in zip(sizes, images):
        data += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    data += b"".join(images)
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main(sys.argv[1])
