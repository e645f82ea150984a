"""A small baseline JPEG encoder for the skins' patterns: 8-bit YCbCr without subsampling, one
quantisation table per kind of component, and Huffman tables of fixed code lengths that cover
every symbol. Plain floating-point arithmetic with explicit rounding, so two runs write
identical bytes.
"""

import math
import struct


def _zigzag():
    """(row, column) of the 64 coefficients in the order the file stores them."""
    order = []
    for s in range(15):
        rows = range(max(0, s - 7), min(s, 7) + 1)
        if s % 2 == 0:
            rows = reversed(rows)
        order.extend((row, s - row) for row in rows)
    return order


ZIGZAG = _zigzag()
_COS = [[math.cos((2 * x + 1) * u * math.pi / 16) for x in range(8)] for u in range(8)]
_SCALE = [math.sqrt(0.5) if u == 0 else 1.0 for u in range(8)]


def quantisation(step, slope):
    """A table growing with frequency: step + slope * (row + column)."""
    return [[step + slope * (row + column) for column in range(8)] for row in range(8)]


LUMA = quantisation(3, 2)
CHROMA = quantisation(5, 3)

# Code lengths: the 12 DC categories in 4 bits, the 162 AC symbols in 8 bits (no code is all
# ones, as the format asks).
DC_SYMBOLS = list(range(12))
AC_SYMBOLS = [0x00, 0xF0] + [(run << 4) | size for run in range(16) for size in range(1, 11)]


def _table(symbols, length):
    bits = [0] * 16
    bits[length - 1] = len(symbols)
    codes = {symbol: (index, length) for index, symbol in enumerate(symbols)}
    return bits, codes


DC_BITS, DC_CODES = _table(DC_SYMBOLS, 4)
AC_BITS, AC_CODES = _table(AC_SYMBOLS, 8)


class _BitWriter:
    def __init__(self):
        self.data = bytearray()
        self.value = 0
        self.count = 0

    def put(self, value, length):
        self.value = (self.value << length) | (value & ((1 << length) - 1))
        self.count += length
        while self.count >= 8:
            self.count -= 8
            byte = (self.value >> self.count) & 0xFF
            self.data.append(byte)
            if byte == 0xFF:
                self.data.append(0)
        self.value &= (1 << self.count) - 1

    def finish(self):
        if self.count:
            self.put((1 << (8 - self.count)) - 1, 8 - self.count)
        return bytes(self.data)


def _category(value):
    magnitude = abs(value)
    size = magnitude.bit_length()
    return size, (value if value >= 0 else value + (1 << size) - 1)


def _fdct(block):
    """The 2-D DCT of an 8 x 8 block (rows of level-shifted samples)."""
    rows = [[_SCALE[u] * sum(block[y][x] * _COS[u][x] for x in range(8)) / 2 for u in range(8)]
            for y in range(8)]
    return [[_SCALE[v] * sum(rows[y][u] * _COS[v][y] for y in range(8)) / 2 for u in range(8)]
            for v in range(8)]


def _encode_block(writer, block, table, previous_dc):
    coefficients = _fdct(block)
    quantised = [int(math.floor(coefficients[r][c] / table[r][c] + 0.5)) for r, c in ZIGZAG]
    size, bits = _category(quantised[0] - previous_dc)
    code, length = DC_CODES[size]
    writer.put(code, length)
    if size:
        writer.put(bits, size)
    run = 0
    for value in quantised[1:]:
        if value == 0:
            run += 1
            continue
        while run > 15:
            writer.put(*AC_CODES[0xF0])
            run -= 16
        size, bits = _category(value)
        writer.put(*AC_CODES[(run << 4) | size])
        writer.put(bits, size)
        run = 0
    if run:
        writer.put(*AC_CODES[0x00])
    return quantised[0]


def _planes(canvas):
    """Y, Cb and Cr planes, level-shifted, padded to whole blocks by repeating the edges."""
    width = (canvas.width + 7) // 8 * 8
    height = (canvas.height + 7) // 8 * 8
    planes = [[[0.0] * width for _ in range(height)] for _ in range(3)]
    for y in range(height):
        source = canvas.pixels[min(y, canvas.height - 1)]
        for x in range(width):
            r, g, b = source[min(x, canvas.width - 1)][:3]
            planes[0][y][x] = 0.299 * r + 0.587 * g + 0.114 * b - 128
            planes[1][y][x] = -0.168736 * r - 0.331264 * g + 0.5 * b
            planes[2][y][x] = 0.5 * r - 0.418688 * g - 0.081312 * b
    return planes, width, height


def _segment(marker, payload):
    return struct.pack(">BBH", 0xFF, marker, len(payload) + 2) + payload


def jpeg_bytes(canvas):
    """A baseline JPEG file of the canvas (alpha, if any, dropped)."""
    planes, width, height = _planes(canvas)
    writer = _BitWriter()
    previous = [0, 0, 0]
    tables = (LUMA, CHROMA, CHROMA)
    for by in range(0, height, 8):
        for bx in range(0, width, 8):
            for index in range(3):
                block = [row[bx:bx + 8] for row in planes[index][by:by + 8]]
                previous[index] = _encode_block(writer, block, tables[index], previous[index])
    scan = writer.finish()

    def dqt(number, table):
        return bytes([number]) + bytes(table[r][c] for r, c in ZIGZAG)

    def dht(kind, number, bits, symbols):
        return bytes([(kind << 4) | number]) + bytes(bits) + bytes(symbols)

    frame = struct.pack(">BHHB", 8, canvas.height, canvas.width, 3)
    frame += bytes([1, 0x11, 0, 2, 0x11, 1, 3, 0x11, 1])
    scan_header = bytes([3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0])
    return (b"\xff\xd8" +
            _segment(0xE0, b"JFIF\0" + struct.pack(">BBBHHBB", 1, 1, 0, 1, 1, 0, 0)) +
            _segment(0xDB, dqt(0, LUMA) + dqt(1, CHROMA)) +
            _segment(0xC0, frame) +
            _segment(0xC4, dht(0, 0, DC_BITS, DC_SYMBOLS) + dht(1, 0, AC_BITS, AC_SYMBOLS) +
                     dht(0, 1, DC_BITS, DC_SYMBOLS) + dht(1, 1, AC_BITS, AC_SYMBOLS)) +
            _segment(0xDA, scan_header) + scan + b"\xff\xd9")
