#!/usr/bin/env python3
"""Draws skinwizard/res/side_picture.bmp, the picture beside the skin wizard's pages.

100 x 300 pixels, 8 bits per pixel with a 256-colour palette made for the picture (32 steps
of its gradient, each blended towards white in 8 levels), uncompressed: 1,078 bytes of headers and palette + 300 rows of 100 bytes =
31,078 bytes. ImageMagick's `convert` draws a blue gradient with a diamond lattice and the
library's name written upwards; every pixel then takes the nearest palette colour.
Usage: draw_side_picture.py OUTPUT.bmp
"""
import struct
import subprocess
import sys

WIDTH, HEIGHT = 100, 300
TOP, BOTTOM = (12, 36, 96), (20, 132, 150)
WHITE_LEVELS = [0.0, 0.18, 0.3, 0.45, 0.6, 0.75, 0.9, 1.0]
PALETTE = [
    tuple(round((t + (b - t) * step / 31) * (1 - white) + 255 * white)
          for t, b in zip(TOP, BOTTOM))
    for step in range(32) for white in WHITE_LEVELS
]
assert len(PALETTE) == 256


def render_rgb():
    """Returns the picture as WIDTH * HEIGHT RGB triples, top row first."""
    lattice = []
    for offset in range(-HEIGHT, HEIGHT + WIDTH, 25):
        lattice += ["-draw", f"line 0,{offset} {WIDTH},{offset + WIDTH}",
                    "-draw", f"line 0,{offset + WIDTH} {WIDTH},{offset}"]
    command = [
        "convert", "-size", f"{WIDTH}x{HEIGHT}", f"gradient:rgb{TOP}-rgb{BOTTOM}".replace(" ", ""),
        "-stroke", "rgba(255,255,255,0.18)", "-strokewidth", "1", *lattice,
        "-stroke", "none", "-fill", "white",
        "-font", "DejaVu-Sans-Bold", "-pointsize", "34",
        "-gravity", "center", "-annotate", "270x270+0-10", "Tessaline",
        "-font", "DejaVu-Sans", "-pointsize", "12", "-fill", "rgb(220,235,240)",
        "-gravity", "south", "-annotate", "+0+12", "Skin Wizard",
        "-depth", "8", "rgb:-",
    ]
    raw = subprocess.run(command, check=True, stdout=subprocess.PIPE).stdout
    assert len(raw) == WIDTH * HEIGHT * 3, len(raw)
    return [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]


def nearest(colour, cache={}):
    if colour not in cache:
        cache[colour] = min(range(256), key=lambda i: sum(
            (a - b) ** 2 for a, b in zip(colour, PALETTE[i])))
    return cache[colour]


def main():
    pixels = render_rgb()
    rows = [bytes(nearest(pixels[y * WIDTH + x]) for x in range(WIDTH)) for y in range(HEIGHT)]
    stride = (WIDTH + 3) // 4 * 4
    data = b"".join(row.ljust(stride, b"\0") for row in reversed(rows))  # bottom-up DIB
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, len(data), 2835, 2835,
                       256, 0)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    bitmap = header + info + palette + data
    assert len(bitmap) == 31078, len(bitmap)
    with open(sys.argv[1], "wb") as out:
        out.write(bitmap)


if __name__ == "__main__":
    main()
