"""A skin being made: its sections and keys, its master bitmap and its own files, written as a
skin folder, as a packed "ASzf" archive, or as Options.dat text alone in one of three encodings.

Images of the master bitmap are laid out on shelves in the order they are added, so a skin's
rectangles depend only on its definition.
"""

import struct
import zlib

from imaging import KEY, Canvas, bmp_bytes

MASTER_WIDTH = 480


class StateImage:
    """States side by side, each a grid of (r, g, b) pixels or None for the background."""

    def __init__(self, states, mask_type):
        self.states = states
        self.mask_type = mask_type
        self.state_width = len(states[0][0])
        self.state_height = len(states[0])

    @property
    def width(self):
        return self.state_width * len(self.states)

    @property
    def height(self):
        return self.state_height * (self.mask_type + 1)

    def canvas(self):
        """The image row (background in the key colour) and, with mask type 1, the mask row:
        0 under image pixels, 255 under the background."""
        result = Canvas(self.width, self.height)
        for index, state in enumerate(self.states):
            x0 = index * self.state_width
            for y, row in enumerate(state):
                for x, pixel in enumerate(row):
                    result.put(x0 + x, y, KEY if pixel is None else pixel)
                    if self.mask_type == 1:
                        level = 255 if pixel is None else 0
                        result.put(x0 + x, self.state_height + y, (level, level, level))
        return result


class Skin:
    def __init__(self, name):
        self.name = name
        self.sections = []  # [name, [(key, value)]]
        self.files = {}     # name as stored -> bytes
        self.placed = []    # (x, y, canvas) on the master bitmap
        self.rects = {}     # (section, key) -> (left, top, right, bottom)
        self._x = 0
        self._y = 0
        self._shelf = 0
        self.master_name = None

    # ---- sections and keys ----------------------------------------------------------------

    def section(self, name):
        for entry in self.sections:
            if entry[0] == name:
                return entry[1]
        keys = []
        self.sections.append([name, keys])
        return keys

    def set(self, section, key, value):
        self.section(section).append((key, str(value)))

    # ---- images ---------------------------------------------------------------------------

    def place(self, canvas):
        """Puts a picture on the master bitmap; answers its rectangle."""
        if self._x + canvas.width > MASTER_WIDTH:
            self._x = 0
            self._y += self._shelf + 2
            self._shelf = 0
        x, y = self._x, self._y
        self.placed.append((x, y, canvas))
        self._x += canvas.width + 2
        self._shelf = max(self._shelf, canvas.height)
        return (x, y, x + canvas.width, y + canvas.height)

    def glyph(self, section, key, image):
        left, top, right, bottom = rect = self.place(image.canvas())
        self.rects[(section, key)] = rect
        self.set(section, key, "@%04d@%04d@%04d@%04d@%d@%d" %
                 (left, top, right, bottom, len(image.states), image.mask_type))
        return rect

    def border(self, section, key, image, widths, draw_mode=0, border_width=0):
        left, top, right, bottom = rect = self.place(image.canvas())
        self.rects[(section, key)] = rect
        wl, wt, wr, wb = widths
        self.set(section, key, "^%04d^%04d^%04d^%04d^%04d^%04d^%04d^%04d^%d^%d^%d^%d" %
                 (left, top, right, bottom, wl, wt, wr, wb, len(image.states),
                  image.mask_type, draw_mode, border_width))
        return rect

    def texture(self, section, key, canvas, draw_mode, mask_type=None):
        left, top, right, bottom = rect = self.place(canvas)
        self.rects[(section, key)] = rect
        value = "~%04d~%04d~%04d~%04d~%02d" % (left, top, right, bottom, draw_mode)
        if mask_type is not None:
            value += "~%d" % mask_type
        self.set(section, key, value)
        return rect

    def master(self, file_name):
        self.master_name = file_name
        self.set("GLOBALINFO", "MASTERBITMAP", file_name)

    def master_canvas(self):
        height = self._y + self._shelf
        canvas = Canvas(MASTER_WIDTH, max(height, 1))
        for x, y, picture in self.placed:
            canvas.paste(picture, x, y)
        return canvas

    # ---- output ---------------------------------------------------------------------------

    def options_text(self):
        lines = []
        for name, keys in self.sections:
            lines.append("[%s]" % name)
            lines.extend("%s=%s" % pair for pair in keys)
            lines.append("")
        return "\r\n".join(lines)

    def options_bytes(self, encoding="ansi"):
        text = self.options_text()
        if encoding == "utf8":
            return b"\xef\xbb\xbf" + text.encode("utf-8")
        if encoding == "utf16":
            return b"\xff\xfe" + text.encode("utf-16-le")
        return text.encode("cp1252")

    def entries(self, options_name="Options.dat", encoding="ansi", names=None):
        """(stored name, bytes) in archive order: Options.dat, the master bitmap, own files.
        `names` maps a file's name to the spelling it gets in the archive."""
        names = names or {}
        result = [(options_name, self.options_bytes(encoding))]
        if self.master_name:
            result.append((names.get(self.master_name, self.master_name),
                           bmp_bytes(self.master_canvas())))
        for name in sorted(self.files):
            result.append((names.get(name, name), self.files[name]))
        return result


def archive_bytes(entries, magic=b"ASzf"):
    """The packed archive: magic, N, then per entry L, name, S and one zlib stream."""
    data = bytearray(magic + struct.pack("<i", len(entries)))
    for name, content in entries:
        encoded = name.encode("cp1252")
        data += struct.pack("<i", len(encoded)) + encoded + struct.pack("<i", len(content))
        data += zlib.compress(content, 9)
    return bytes(data)
