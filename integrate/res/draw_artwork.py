#!/usr/bin/env python3
"""Draws the integration program's artwork into integrate/res/ (run again to remake it).

- banner24.bmp: bitmap 129, the banner, 426 x 58, 24 bits per pixel, on a white ground.
- banner4.bmp: bitmap 130, the same banner in the 16 standard VGA colours (4 bits per pixel),
  for screens below 8 bits per pixel.
- progress.bmp: bitmap 131, 32 x 16, 4 bits per pixel: a green check mark and a dark red
  cross on magenta, the progress list's transparent colour.
- integrate.ico: icon 128, a 2 x 2 tiling of coloured squares, 32 x 32 and 16 x 16, 32 bits.

The lettering is rendered by ImageMagick's `convert`; everything else is drawn here.
Usage: draw_artwork.py [FOLDER]   (default: the folder of this script)
"""
import os
import struct
import subprocess
import sys

BANNER_W, BANNER_H = 426, 58
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
WHITE = (255, 255, 255)
NAVY = (0, 0, 128)
TEAL = (0, 128, 128)
BLUE = (0, 0, 255)
CYAN = (0, 255, 255)
GREY = (128, 128, 128)
# The four tiles of the library's mark, top-left, top-right, bottom-left, bottom-right.
TILES = [NAVY, TEAL, BLUE, CYAN]


def render_lettering():
    """The banner's text in grey levels (0 ink .. 255 ground), rows top first."""
    command = [
        "convert", "-size", f"{BANNER_W}x{BANNER_H}", "xc:white", "-fill", "black",
        "-font", "DejaVu-Sans-Bold", "-pointsize", "26",
        "-annotate", "+78+30", "Tessaline",
        "-font", "DejaVu-Sans", "-pointsize", "12",
        "-annotate", "+80+48", "Integration Wizard for Visual C++ and Visual Studio",
        "-depth", "8", "gray:-",
    ]
    raw = subprocess.run(command, check=True, stdout=subprocess.PIPE).stdout
    assert len(raw) == BANNER_W * BANNER_H, len(raw)
    return [raw[y * BANNER_W:(y + 1) * BANNER_W] for y in range(BANNER_H)]


def tile_colour(x, y, left, top, size, gap):
    """The mark's colour at (x, y), or None outside it: 2 x 2 squares with a gap."""
    for row in range(2):
        for col in range(2):
            x0 = left + col * (size + gap)
            y0 = top + row * (size + gap)
            if x0 <= x < x0 + size and y0 <= y < y0 + size:
                return TILES[row * 2 + col]
    return None


def draw_banner():
    """Banner pixels, rows top first, as (r, g, b)."""
    ink = render_lettering()
    rows = []
    for y in range(BANNER_H):
        row = []
        for x in range(BANNER_W):
            colour = tile_colour(x, y, 16, 7, 21, 2)
            if colour is None:
                level = ink[y][x]
                # Navy ink, blended towards the white ground at the glyphs' edges.
                colour = tuple(c + (255 - c) * level // 255 for c in NAVY)
                if y == 53 and 78 <= x < BANNER_W - 16:
                    colour = GREY  # a thin rule under the text
            row.append(colour)
        rows.append(row)
    return rows


def nearest_vga(colour):
    return min(range(16), key=lambda i: sum((a - b) ** 2 for a, b in zip(VGA[i], colour)))


def bmp_24(rows):
    width, height = len(rows[0]), len(rows)
    stride = (width * 3 + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up, as an uncompressed DIB stores them
        line = bytearray(b"".join(bytes((b, g, r)) for r, g, b in row))
        pixels += line + bytes(stride - len(line))
    return bmp_file(width, height, 24, b"", pixels)


def bmp_4(rows):
    """16-colour BMP with the VGA palette; `rows` hold palette indexes."""
    width, height = len(rows[0]), len(rows)
    stride = (width * 4 + 31) // 32 * 4
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, index in enumerate(row):
            line[x // 2] |= index << 4 if x % 2 == 0 else index
        pixels += line
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in VGA)
    return bmp_file(width, height, 4, palette, pixels)


def bmp_file(width, height, bits, palette, pixels):
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels), 2835, 2835,
                       len(palette) // 4, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + palette + bytes(pixels)


def draw_progress_images():
    """Palette indexes of the 32 x 16 strip: check mark (0..15), cross (16..31)."""
    magenta, green, dark_red = VGA.index((255, 0, 255)), VGA.index((0, 128, 0)), VGA.index(
        (128, 0, 0))
    rows = [[magenta] * 32 for _ in range(16)]

    def dot(x, y, colour):
        if 0 <= x < 32 and 0 <= y < 16:
            rows[y][x] = colour

    # The check mark: a short stroke down to (6, 12), a long one up to (13, 3), 2 pixels thick.
    for i in range(5):
        for t in range(2):
            dot(2 + i, 8 + i + t, green)
            dot(2 + i, 7 + i + t, green)
    for i in range(8):
        for t in range(3):
            dot(6 + i, 11 - i + t - 1, green)
    # The cross: both diagonals of 12 x 12, 2 pixels thick.
    for i in range(11):
        for t in range(2):
            dot(16 + 2 + i + t, 2 + i, dark_red)
            dot(16 + 13 - i - t, 2 + i, dark_red)
    return rows


def draw_icon_image(size):
    """BITMAPINFOHEADER + 32-bit BGRA pixels + AND mask of one icon image."""
    gap = max(1, size // 16)
    tile = (size - 3 * gap) // 2
    pixels = bytearray()
    for y in reversed(range(size)):
        for x in range(size):
            colour = tile_colour(x, y, gap, gap, tile, gap)
            if colour is None:
                pixels += bytes((0, 0, 0, 0))
            else:
                r, g, b = colour
                pixels += bytes((b, g, r, 255))
    mask_stride = (size + 31) // 32 * 4
    mask = bytes(mask_stride * size)  # the alpha channel decides; the mask is all opaque
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask),
                       0, 0, 0, 0)
    return info + bytes(pixels) + mask


def icon_file(sizes):
    images = [draw_icon_image(s) for s in sizes]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, image in zip(sizes, images):
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return header + entries + b"".join(images)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    banner = draw_banner()
    outputs = {
        "banner24.bmp": bmp_24(banner),
        "banner4.bmp": bmp_4([[nearest_vga(c) for c in row] for row in banner]),
        "progress.bmp": bmp_4(draw_progress_images()),
        "integrate.ico": icon_file([32, 16]),
    }
    for name, data in outputs.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
