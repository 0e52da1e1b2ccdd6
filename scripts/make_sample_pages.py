#!/usr/bin/env python3
"""Draws the sample guide in samples/PageData/: a few numbered instruction pages
per language, as baseline JPEG, progressive JPEG and BMP files, so that the
viewer can be tried (and its pages told apart) without a product's own pages.

Usage: scripts/make_sample_pages.py [OUTPUT_FOLDER]   (needs cjpeg)

The pictures are drawn here, pixel by pixel; cjpeg only encodes them."""
import os
import struct
import subprocess
import sys
import tempfile

# Seven-segment digits: segments a b c d e f g.
SEGMENTS = {
    "0": "abcdef", "1": "bc", "2": "abdeg", "3": "abcdg", "4": "bcfg",
    "5": "acdfg", "6": "acdefg", "7": "abc", "8": "abcdefg", "9": "abcdfg",
}

# Language folder -> (accent colour, pages as (number, format)).
GUIDES = {
    "0x0409": ((31, 78, 140), [(1, "baseline"), (2, "progressive"), (3, "bmp"), (4, "baseline")]),
    "0x0407": ((150, 40, 40), [(1, "progressive"), (2, "bmp"), (3, "baseline")]),
    "0x0411": ((40, 120, 60), [(1, "baseline"), (2, "progressive"), (3, "bmp")]),
}


class Canvas:
    def __init__(self, width, height, colour):
        self.width, self.height = width, height
        self.pixels = [list(colour) * width for _ in range(height)]

    def fill(self, x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(self.height, y1)):
            row = self.pixels[y]
            for x in range(max(0, x0), min(self.width, x1)):
                row[3 * x:3 * x + 3] = colour

    def digit(self, ch, x, y, size, colour):
        """A seven-segment digit `size` high at (x, y); width is size/2."""
        w, t = size // 2, max(2, size // 6)
        h = size // 2
        bars = {
            "a": (x, y, x + w, y + t), "g": (x, y + h - t // 2, x + w, y + h + t - t // 2),
            "d": (x, y + size - t, x + w, y + size), "f": (x, y, x + t, y + h),
            "b": (x + w - t, y, x + w, y + h), "e": (x, y + h, x + t, y + size),
            "c": (x + w - t, y + h, x + w, y + size),
        }
        for segment in SEGMENTS[ch]:
            self.fill(*bars[segment], colour)

    def number(self, text, x, y, size, colour):
        for i, ch in enumerate(text):
            self.digit(ch, x + i * (size * 2 // 3), y, size, colour)

    def rgb_bytes(self):
        return bytes(v for row in self.pixels for v in row)


def draw_page(width, height, accent, number, count):
    page = Canvas(width, height, (250, 250, 246))
    page.fill(0, 0, width, height // 8, accent)
    # The step number, large, and an "illustration": a device with a button.
    size = height // 3
    page.number(str(number), width // 10, height // 4, size, accent)
    left, top = width // 2, height // 4
    page.fill(left, top, left + width * 2 // 5, top + height // 2, (200, 204, 210))
    page.fill(left + 10, top + 10, left + width * 2 // 5 - 10, top + height // 4, (60, 70, 80))
    button = (left + width // 5 - 12, top + height * 3 // 8 - 6)
    page.fill(button[0], button[1], button[0] + 24, button[1] + 12, (230, 120, 30))
    # Page dots at the foot: the current page filled.
    for i in range(count):
        x = width // 2 + (i - count / 2) * 24
        colour = accent if i + 1 == number else (200, 200, 200)
        page.fill(int(x), height - 30, int(x) + 12, height - 18, colour)
    return page


def write_bmp(path, page):
    """24-bit bottom-up BMP, rows padded to 4 bytes."""
    stride = (page.width * 3 + 3) & ~3
    rows = []
    for row in reversed(page.pixels):
        bgr = bytearray()
        for x in range(page.width):
            r, g, b = row[3 * x:3 * x + 3]
            bgr += bytes((b, g, r))
        rows.append(bytes(bgr) + bytes(stride - len(bgr)))
    data = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, page.width, page.height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + data)


def write_jpeg(path, page, progressive):
    with tempfile.NamedTemporaryFile(suffix=".ppm", delete=False) as ppm:
        ppm.write(b"P6 %d %d 255\n" % (page.width, page.height) + page.rgb_bytes())
    try:
        args = ["cjpeg", "-quality", "85", "-optimize"] + (["-progressive"] if progressive else [])
        subprocess.run(args + ["-outfile", path, ppm.name], check=True)
    finally:
        os.unlink(ppm.name)


def main(root):
    for language, (accent, pages) in GUIDES.items():
        folder = os.path.join(root, language)
        os.makedirs(folder, exist_ok=True)
        for number, kind in pages:
            name = os.path.join(folder, "page%02d" % number)
            if kind == "bmp":
                write_bmp(name + ".bmp", draw_page(240, 150, accent, number, len(pages)))
            else:
                write_jpeg(name + ".jpg", draw_page(640, 400, accent, number, len(pages)), kind == "progressive")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "samples/PageData")
