#!/usr/bin/env python3
"""Draws skinwizard/templates/preview.bmp, the placeholder preview a new skin project gets.

223 x 197 pixels, 4 bits per pixel with the 16 standard VGA colours, uncompressed:
118 bytes of headers and palette + 197 rows of 112 bytes = 22,182 bytes. The text is
rendered by ImageMagick's `convert` and reduced to black, grey, silver and white.
Usage: draw_preview_bitmap.py OUTPUT.bmp
"""
import struct
import subprocess
import sys

WIDTH, HEIGHT = 223, 197
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, SILVER, GREY, WHITE = 0, 7, 8, 15


def render_grey():
    """Returns HEIGHT rows of WIDTH grey levels (0 black .. 255 white), top row first."""
    command = [
        "convert", "-size", f"{WIDTH}x{HEIGHT}", "xc:white",
        "-stroke", "rgb(128,128,128)", "-fill", "none",
        "-draw", f"rectangle 4,4 {WIDTH - 5},{HEIGHT - 5}",
        "-stroke", "none", "-fill", "black",
        "-font", "DejaVu-Sans-Bold", "-pointsize", "15",
        "-gravity", "north", "-annotate", "+0+40", "Skin Preview",
        "-font", "DejaVu-Sans", "-pointsize", "11",
        "-annotate", "+0+82", "The preview of this skin",
        "-annotate", "+0+98", "is still to be drawn.",
        "-annotate", "+0+130", "Replace this bitmap with",
        "-annotate", "+0+146", "a picture of your skin.",
        "-depth", "8", "gray:-",
    ]
    raw = subprocess.run(command, check=True, stdout=subprocess.PIPE).stdout
    assert len(raw) == WIDTH * HEIGHT, len(raw)
    return [raw[y * WIDTH:(y + 1) * WIDTH] for y in range(HEIGHT)]


def colour_index(level):
    if level < 70:
        return BLACK
    if level < 150:
        return GREY
    if level < 225:
        return SILVER
    return WHITE


def main():
    rows = render_grey()
    stride = ((WIDTH * 4 + 31) // 32) * 4
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up, as an uncompressed DIB stores them
        line = bytearray(stride)
        for x, level in enumerate(row):
            index = colour_index(level)
            if x % 2 == 0:
                line[x // 2] |= index << 4
            else:
                line[x // 2] |= index
        pixels += line
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 4, 0, len(pixels), 2835, 2835,
                       16, 0)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    data = header + info + palette + bytes(pixels)
    assert len(data) == 22182, len(data)
    with open(sys.argv[1], "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main()
