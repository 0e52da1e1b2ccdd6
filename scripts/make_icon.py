#!/usr/bin/env python3
"""Draws the program's icon (an instruction page with a forward arrow) and
writes it as resources/halvora.ico: four 32-bit images, 16, 24, 32 and 48
pixels square, and a PNG-compressed 256-pixel one, so that Explorer shows it
sharp at every size and DPI. Run it again after changing the drawing; the .ico
is committed."""
import math
import struct
import sys
import zlib

SIZES = (16, 24, 32, 48)
PNG_SIZE = 256


def pixel(x, y):
    """Colour (r, g, b, a) of the point (x, y) in the unit square."""
    # The page: a white sheet with a blue border and a folded top-right corner.
    left, top, right, bottom = 0.14, 0.06, 0.86, 0.94
    fold = 0.2
    if not (left <= x <= right and top <= y <= bottom):
        return (0, 0, 0, 0)
    if x - (right - fold) > y - top:
        return (0, 0, 0, 0)  # cut corner
    border = 0.06
    on_fold = x - (right - fold) > y - top - border * 1.4
    if x < left + border or x > right - border or y < top + border or y > bottom - border or on_fold:
        return (31, 78, 140, 255)
    # Three lines of "text".
    for row in (0.26, 0.38, 0.50):
        if abs(y - row) < 0.035 and left + 0.14 < x < right - 0.14:
            return (150, 160, 175, 255)
    # The arrow: a shaft and a head pointing right, in green.
    cy = 0.72
    if 0.28 < x < 0.56 and abs(y - cy) < 0.06:
        return (40, 150, 70, 255)
    if 0.52 <= x < 0.74 and abs(y - cy) < (0.74 - x) * 0.75:
        return (40, 150, 70, 255)
    return (255, 255, 255, 255)


def render(size, samples=4):
    """Rows of BGRA bytes, top row first, each pixel supersampled."""
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    r, g, b, a = pixel((px + (sx + 0.5) / samples) / size, (py + (sy + 0.5) / samples) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = samples * samples
            alpha = acc[3] / n
            if acc[3]:
                r, g, b = (round(c / acc[3]) for c in acc[:3])
            else:
                r = g = b = 0
            row += bytes((b, g, r, round(alpha)))
        rows.append(bytes(row))
    return rows


def icon_image(size):
    """One icon image: a BITMAPINFOHEADER of double height, the colour rows
    bottom-up, then the 1-bit mask (rows padded to 4 bytes)."""
    rows = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(reversed(rows))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x in range(size):
            if row[4 * x + 3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + bytes(mask)


def png_image(size):
    """One icon image as a PNG file: 8-bit RGBA, unfiltered rows."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    raw = bytearray()
    for row in render(size):
        raw.append(0)  # filter type: none
        for x in range(size):
            b, g, r, a = row[4 * x:4 * x + 4]
            raw += bytes((r, g, b, a))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def main(path):
    sizes = SIZES + (PNG_SIZE,)
    images = [icon_image(s) for s in SIZES] + [png_image(PNG_SIZE)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        # A width or height of 256 is written as 0.
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "resources/halvora.ico")
