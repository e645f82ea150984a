"""Draws the client's program icon and writes it as a Windows .ico file.

The picture is this project's own: a rounded square in a blue-to-teal gradient carrying a white
arrow that rises to the right over three speed strokes, the accelerator's "faster line". It is
drawn from geometry at each size (16, 24, 32, 48 and 256 pixels), anti-aliased by sampling every
pixel on a grid, so that the small sizes stay sharp instead of being shrunk from the large one.
The small sizes are stored as 32-bit bitmaps with an alpha channel and a mask, the 256-pixel one
as PNG, as Windows reads them. Python standard library only; the build runs it and nothing it
writes is committed.

    python3 make_icon.py OUTPUT.ico
"""

import math
import struct
import sys
import zlib

SIZES = (16, 24, 32, 48, 256)

# Colours as (red, green, blue).
TOP_LEFT = (0x1E, 0x5F, 0xD8)
BOTTOM_RIGHT = (0x12, 0xB5, 0xA6)
WHITE = (0xFF, 0xFF, 0xFF)
EDGE = (0x0B, 0x3A, 0x8C)


def segment_distance(px, py, ax, ay, bx, by):
    """Distance from (px, py) to the segment from (ax, ay) to (bx, by)."""
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def inside_rounded_square(x, y, inset, radius):
    """Whether (x, y), in units of the icon (0..1), lies in the rounded square."""
    lo, hi = inset + radius, 1.0 - inset - radius
    cx, cy = min(max(x, lo), hi), min(max(y, lo), hi)
    return math.hypot(x - cx, y - cy) <= radius


def inside_triangle(x, y, a, b, c):
    def side(p, q):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])
    s1, s2, s3 = side(a, b), side(b, c), side(c, a)
    return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)


# The arrow: a shaft from the lower left up to the head, and a triangular head at the upper right.
SHAFT = (0.30, 0.70, 0.62, 0.38)
HEAD = ((0.78, 0.22), (0.50, 0.30), (0.70, 0.50))
# Speed strokes under the shaft, shorter towards the bottom.
STROKES = ((0.16, 0.56, 0.34, 0.56), (0.16, 0.70, 0.28, 0.70), (0.16, 0.84, 0.40, 0.84))


def sample(x, y, size):
    """The colour (r, g, b) and coverage 0 or 1 of one sample point in icon units."""
    inset = 0.5 / size
    if not inside_rounded_square(x, y, inset, 0.18):
        return None
    # A one-pixel darker rim keeps the square readable on light and dark task bars.
    rim = 1.0 / size
    if not inside_rounded_square(x, y, inset + rim, max(0.18 - rim, 0.01)):
        return EDGE
    stroke = max(0.075, 2.4 / size)
    thin = max(0.045, 1.2 / size)
    if segment_distance(x, y, *SHAFT) <= stroke / 2 or inside_triangle(x, y, *HEAD):
        return WHITE
    # Below 32 pixels the strokes would blur into the arrow: the arrow alone says it.
    for line in STROKES if size >= 32 else ():
        if segment_distance(x, y, *line) <= thin / 2:
            return WHITE
    t = (x + y) / 2
    return tuple(round(a + (b - a) * t) for a, b in zip(TOP_LEFT, BOTTOM_RIGHT))


def draw(size):
    """Rows of (r, g, b, a) pixels, top row first."""
    grid = 4 if size <= 48 else 3
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            red = green = blue = covered = 0
            for sy in range(grid):
                for sx in range(grid):
                    colour = sample((px + (sx + 0.5) / grid) / size,
                                    (py + (sy + 0.5) / grid) / size, size)
                    if colour is None:
                        continue
                    covered += 1
                    red += colour[0]
                    green += colour[1]
                    blue += colour[2]
            if covered:
                row.append((red // covered, green // covered, blue // covered,
                            round(255 * covered / (grid * grid))))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def bitmap_entry(rows):
    """An icon image as a 32-bit DIB: header, colour rows bottom-up, then the 1-bit mask."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, pixel in enumerate(row):
            if pixel[3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + pixels + bytes(mask)


def png_entry(rows):
    size = len(rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + bytes(v for pixel in row for v in pixel) for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def icon_file(sizes=SIZES):
    images = [(size, png_entry(draw(size)) if size >= 256 else bitmap_entry(draw(size)))
              for size in sizes]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        edge = 0 if size >= 256 else size
        directory += struct.pack("<BBBBHHII", edge, edge, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return directory + b"".join(data for _, data in images)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_icon.py OUTPUT.ico\n")
        return 2
    with open(argv[1], "wb") as output:
        output.write(icon_file())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
