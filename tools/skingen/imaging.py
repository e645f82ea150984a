"""Pixel canvases and the file formats the skin generator writes: 24-bit BMP, RGBA PNG.

Every byte written depends only on the pixels: no time stamps, no names of machines, so that
two runs write identical files.
"""

import struct
import zlib

KEY = (0xFF, 0x00, 0xFF)  # the skins' transparent key colour, as (r, g, b)


def rgb(value):
    """(r, g, b) of a 0xRRGGBB number (the way designers write colours)."""
    return ((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF)


def skin_colour(value):
    """The skin's 0x00BBGGRR number of a 0xRRGGBB colour."""
    r, g, b = rgb(value)
    return (b << 16) | (g << 8) | r


def blend(a, b, t):
    """The colour t of the way from a to b (both (r, g, b)), rounded."""
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


class Canvas:
    """A width x height picture of (r, g, b) pixels (or (r, g, b, a) when alpha is asked)."""

    def __init__(self, width, height, fill=KEY, alpha=False):
        self.width = width
        self.height = height
        self.alpha = alpha
        self.pixels = [[fill] * width for _ in range(height)]

    def get(self, x, y):
        return self.pixels[y][x]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def fill(self, left, top, right, bottom, colour):
        for y in range(max(top, 0), min(bottom, self.height)):
            row = self.pixels[y]
            for x in range(max(left, 0), min(right, self.width)):
                row[x] = colour

    def frame(self, left, top, right, bottom, colour):
        """A 1-px outline just inside the rectangle."""
        self.fill(left, top, right, top + 1, colour)
        self.fill(left, bottom - 1, right, bottom, colour)
        self.fill(left, top, left + 1, bottom, colour)
        self.fill(right - 1, top, right, bottom, colour)

    def paste(self, other, x, y):
        for row in range(other.height):
            for column in range(other.width):
                self.put(x + column, y + row, other.pixels[row][column])

    def scaled(self, factor):
        result = Canvas(self.width * factor, self.height * factor, alpha=self.alpha)
        for y in range(result.height):
            source = self.pixels[y // factor]
            result.pixels[y] = [source[x // factor] for x in range(result.width)]
        return result


def bmp_bytes(canvas):
    """A 24-bit bottom-up BMP file of the canvas (alpha, if any, dropped)."""
    stride = (canvas.width * 3 + 3) & ~3
    image = bytearray()
    for y in range(canvas.height - 1, -1, -1):
        row = bytearray()
        for pixel in canvas.pixels[y]:
            row += bytes((pixel[2], pixel[1], pixel[0]))
        row += b"\0" * (stride - len(row))
        image += row
    header_size = 14 + 40
    file_header = b"BM" + struct.pack("<IHHI", header_size + len(image), 0, 0, header_size)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 24, 0, len(image),
                       2835, 2835, 0, 0)
    return file_header + info + bytes(image)


def png_bytes(canvas):
    """A PNG file of the canvas: RGBA when it has alpha, else RGB."""
    colour_type = 6 if canvas.alpha else 2
    raw = bytearray()
    for row in canvas.pixels:
        raw.append(0)
        for pixel in row:
            raw += bytes(pixel if canvas.alpha else pixel[:3])

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, colour_type, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))
