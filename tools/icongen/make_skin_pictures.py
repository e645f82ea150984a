"""Draws the skin library's built-in pictures and writes them as PNG files.

The pictures are this project's own, drawn from geometry:

- acshda.png, acshdi.png: the form shadows used when a skin has none of its own, for active and
  inactive forms. A soft black shadow around a transparent content rectangle, cast a little
  downwards, so that the borders are 11, 7, 11 and 11 pixels wide (left, top, right, bottom);
  the active form's shadow is darker.
- sf.png, sr.png, sd.png, se.png, sc.png: the default glyphs of the library's buttons, each
  three 16 x 16 states side by side (normal grey, hot blue, pressed dark blue): a square frame,
  a ring, a downward triangle, a cross and a check mark.

Every pixel is either fully transparent or of the state's colour, except in the shadows, whose
alpha falls off smoothly. Python standard library only; the build runs it and nothing it writes
is committed. The same files come out byte for byte on every run.

    python3 make_skin_pictures.py OUTPUT_FOLDER
"""

import math
import os
import struct
import sys
import zlib

GLYPH = 16
STATES = ((64, 64, 64), (32, 96, 192), (16, 48, 128))  # normal, hot, pressed (red, green, blue)

# Border widths of the shadow templates and the size of their centre.
SHADOW_LEFT, SHADOW_TOP, SHADOW_RIGHT, SHADOW_BOTTOM = 11, 7, 11, 11
SHADOW_CENTRE = 10
SHADOW_DROP = 2  # the shadow's offset downwards, which makes the top border the narrow one


def png_file(width, height, pixels):
    """A PNG file of 8-bit RGBA rows; pixels[y][x] is (r, g, b, a)."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in pixels)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


# Shapes: whether the pixel whose top-left corner is (x, y) belongs to the glyph (its centre is
# tested).
def frame(x, y):
    return 3 <= x <= 12 and 3 <= y <= 12 and not (5 <= x <= 10 and 5 <= y <= 10)


def ring(x, y):
    return 4.0 <= math.hypot(x + 0.5 - 8, y + 0.5 - 8) <= 6.2


def triangle(x, y):
    return 4 <= y <= 11 and abs(x + 0.5 - 8) <= 6 - 0.75 * (y - 4)


def cross(x, y):
    cx, cy = x + 0.5, y + 0.5
    return (3 <= x <= 12 and 3 <= y <= 12
            and (segment_distance(cx, cy, 3.5, 3.5, 12.5, 12.5) <= 1.0
                 or segment_distance(cx, cy, 12.5, 3.5, 3.5, 12.5) <= 1.0))


def check(x, y):
    cx, cy = x + 0.5, y + 0.5
    return (segment_distance(cx, cy, 3.5, 7.5, 6.5, 11.5) <= 1.0
            or segment_distance(cx, cy, 6.5, 11.5, 12.5, 4.5) <= 1.0)


GLYPHS = (("sf", frame), ("sr", ring), ("sd", triangle), ("se", cross), ("sc", check))


def glyph_strip(shape):
    rows = []
    for y in range(GLYPH):
        row = []
        for state in STATES:
            row += [state + (255,) if shape(x, y) else (0, 0, 0, 0) for x in range(GLYPH)]
        rows.append(row)
    return png_file(GLYPH * len(STATES), GLYPH, rows)


def shadow(darkness):
    """A shadow template whose deepest alpha is `darkness`."""
    width = SHADOW_LEFT + SHADOW_CENTRE + SHADOW_RIGHT
    height = SHADOW_TOP + SHADOW_CENTRE + SHADOW_BOTTOM
    left, right = SHADOW_LEFT, SHADOW_LEFT + SHADOW_CENTRE
    top, bottom = SHADOW_TOP, SHADOW_TOP + SHADOW_CENTRE
    # The rounded rectangle that casts the shadow, moved down by the drop.
    reach = SHADOW_LEFT
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            if left <= x < right and top <= y < bottom:
                row.append((0, 0, 0, 0))  # the form itself covers the centre
                continue
            cx, cy = x + 0.5, y + 0.5 - SHADOW_DROP
            dx = max(left - cx, 0.0, cx - right)
            dy = max(top - cy, 0.0, cy - bottom)
            fall = max(0.0, 1.0 - math.hypot(dx, dy) / reach)
            row.append((0, 0, 0, round(darkness * fall * fall)))
        rows.append(row)
    return png_file(width, height, rows)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    files = [("acshda.png", shadow(96)), ("acshdi.png", shadow(56))]
    files += [(name + ".png", glyph_strip(shape)) for name, shape in GLYPHS]
    for name, data in files:
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
