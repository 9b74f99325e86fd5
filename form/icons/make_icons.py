#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
"""Draws the program's small icons as paletted PNGs, pixel by pixel.

The motif is an LC circuit: a coil on the left and a capacitor on the right,
joined by wires, on a blue tile. Small icons are drawn by hand rather than
scaled down from lccalc.svg so that every line falls on whole pixels.

  lccalc-16.png       16x16, 16-colour palette
  lccalc-32.png       32x32, 16-colour palette
  lccalc-32-mono.png  32x32, 2 colours (black and white, no transparency)
  lccalc-16.xpm, lccalc-32.xpm  the same 16- and 32-pixel images as C source,
                      which the Linux window builds in: Qt reads XPM without
                      loading its image plugins, as it must for a PNG

It renders lccalc.svg to the larger PNGs (rsvg-convert, package
librsvg2-bin): 48 and 128 pixels for the Linux icon theme, 256 for Windows,
192 and 512 for the web page's manifest, and lccalc-maskable.png (512
pixels), the same drawing shrunk into the middle of a full tile, which a
phone may cut to a circle or a rounded square.
Then it builds lccalc.ico (icotool, package icoutils) from the three small
images and, for the taskbar, Alt+Tab and Explorer at high DPI, 48x48 and
256x256 in 32 bits (the 256 one stored as PNG, as Windows does). Run it from
this folder after changing a drawing; its output is committed, and a test
checks that the .ico matches the PNGs.
"""
import struct
import subprocess
import zlib

# The Windows icon group: each image with the bit depth it is stored at
# ("png": the PNG itself, for the largest).
ICO_IMAGES = [("lccalc-32-mono.png", 1), ("lccalc-32.png", 4), ("lccalc-16.png", 4),
              ("lccalc-48.png", 32), ("lccalc-256.png", "png")]
RENDERED_SIZES = [48, 128, 192, 256, 512]
# The maskable icon's view of lccalc.svg: wide enough that the motif stays
# inside the middle circle (80% of the side) that every mask keeps, and
# filled to the edges with the tile's colour, the tile's border left out.
MASKABLE_MARGIN = 24

TRANSPARENT, BORDER, TILE, WIRE, COIL, COIL_SHADE = range(6)
PALETTE = [
    (0, 0, 0),        # transparent
    (23, 58, 105),    # tile border
    (47, 109, 181),   # tile
    (244, 244, 244),  # wires and plates
    (240, 160, 60),   # copper coil
    (176, 98, 24),    # copper coil, shaded
]
MONO = {TRANSPARENT: 0, BORDER: 0, TILE: 0, WIRE: 1, COIL: 1, COIL_SHADE: 1}


def blank(size):
    return [[TRANSPARENT] * size for _ in range(size)]


def fill(image, x0, y0, x1, y1, colour):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            image[y][x] = colour


def tile(image, inset):
    """A rounded square with a one-pixel border, corners cut by one pixel."""
    last = len(image) - 1 - inset
    fill(image, inset, inset, last, last, BORDER)
    fill(image, inset + 1, inset + 1, last - 1, last - 1, TILE)
    for x, y in [(inset, inset), (last, inset), (inset, last), (last, last)]:
        image[y][x] = TRANSPARENT


def draw32():
    image = blank(32)
    tile(image, 1)
    fill(image, 8, 5, 23, 6, WIRE)    # top wire
    fill(image, 8, 25, 23, 26, WIRE)  # bottom wire
    for k in range(3):                # three turns of the coil, bulging right
        y = 7 + 6 * k
        fill(image, 8, y, 10, y, COIL)
        fill(image, 10, y + 1, 12, y + 1, COIL)
        fill(image, 11, y + 2, 12, y + 3, COIL)
        fill(image, 13, y + 2, 13, y + 3, COIL_SHADE)
        fill(image, 10, y + 4, 12, y + 4, COIL)
        fill(image, 8, y + 5, 10, y + 5, COIL)
    fill(image, 22, 5, 23, 11, WIRE)    # capacitor: upper lead,
    fill(image, 16, 12, 28, 13, WIRE)   # upper plate,
    fill(image, 16, 18, 28, 19, WIRE)   # lower plate,
    fill(image, 22, 20, 23, 26, WIRE)   # lower lead
    return image


def draw16():
    image = blank(16)
    tile(image, 0)
    fill(image, 3, 3, 11, 3, WIRE)
    fill(image, 3, 12, 11, 12, WIRE)
    for k in range(2):
        y = 4 + 4 * k
        fill(image, 3, y, 4, y, COIL)
        fill(image, 5, y + 1, 5, y + 2, COIL_SHADE)
        fill(image, 3, y + 3, 4, y + 3, COIL)
    fill(image, 11, 3, 11, 6, WIRE)
    fill(image, 8, 6, 13, 6, WIRE)
    fill(image, 8, 9, 13, 9, WIRE)
    fill(image, 11, 9, 11, 12, WIRE)
    return image


def write_xpm(path, image, palette, transparent_index):
    """Writes a paletted image as XPM, C source named after the file."""
    name = path.replace("-", "_").replace(".", "_")
    codes = "abcdefghijklmnopqrstuvwxyz"
    lines = [f"{len(image[0])} {len(image)} {len(palette)} 1"]
    for i, (r, g, b) in enumerate(palette):
        lines.append(f"{codes[i]} c " + ("None" if i == transparent_index else f"#{r:02X}{g:02X}{b:02X}"))
    lines += ["".join(codes[pixel] for pixel in row) for row in image]
    body = ",\n".join(f'"{line}"' for line in lines)
    with open(path, "w") as out:
        out.write(f"/* XPM */\n/* Made by make_icons.py from its drawing. */\n"
                  f"static const char* const {name}[] = {{\n{body}}};\n")


def write_png(path, image, palette, transparent_index=None):
    """Writes an 8-bit paletted PNG; index `transparent_index` is see-through."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    height, width = len(image), len(image[0])
    rows = b"".join(b"\0" + bytes(row) for row in image)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0))
    png += chunk(b"PLTE", b"".join(bytes(colour) for colour in palette))
    if transparent_index is not None:
        png += chunk(b"tRNS", bytes(255 if i != transparent_index else 0 for i in range(len(palette))))
    png += chunk(b"IDAT", zlib.compress(rows, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as out:
        out.write(png)


def main():
    write_png("lccalc-16.png", draw16(), PALETTE, TRANSPARENT)
    write_png("lccalc-32.png", draw32(), PALETTE, TRANSPARENT)
    write_xpm("lccalc-16.xpm", draw16(), PALETTE, TRANSPARENT)
    write_xpm("lccalc-32.xpm", draw32(), PALETTE, TRANSPARENT)
    mono = [[MONO[pixel] for pixel in row] for row in draw32()]
    write_png("lccalc-32-mono.png", mono, [(0, 0, 0), (255, 255, 255)])
    for size in RENDERED_SIZES:
        subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), "lccalc.svg",
                        "-o", f"lccalc-{size}.png"], check=True)
    svg = open("lccalc.svg", encoding="utf-8").read()
    side = 128 + 2 * MASKABLE_MARGIN
    maskable = svg.replace('viewBox="0 0 128 128">', f'viewBox="-{MASKABLE_MARGIN} -{MASKABLE_MARGIN} {side} {side}">'
                           f'<rect x="-{MASKABLE_MARGIN}" y="-{MASKABLE_MARGIN}" width="{side}" height="{side}"'
                           ' fill="#2f6db5"/>', 1).replace(' stroke="#173a69" stroke-width="4"', "", 1)
    subprocess.run(["rsvg-convert", "-w", "512", "-h", "512", "-o", "lccalc-maskable.png"],
                   input=maskable.encode("utf-8"), check=True)
    subprocess.run(["icotool", "-c", "-o", "lccalc.ico", *ico_arguments()], check=True)


def ico_arguments():
    """icotool's arguments for the images of ICO_IMAGES, in order."""
    return [arg for name, depth in ICO_IMAGES
            for arg in ((f"--raw={name}",) if depth == "png" else ("-b", str(depth), name))]


if __name__ == "__main__":
    main()
