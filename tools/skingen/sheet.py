"""The contact sheet of a skin: a mock window painted from its sections, every section's states
painted nine-piece at a control's size with its name, and the master bitmap enlarged. It is
for people to judge the design; nothing reads it back.
"""

from imaging import KEY, Canvas, rgb

FONT = {  # 5 x 7 capitals, digits and a few signs; each row a 5-bit number, high bit left
    "A": (14, 17, 17, 31, 17, 17, 17), "B": (30, 17, 17, 30, 17, 17, 30),
    "C": (14, 17, 16, 16, 16, 17, 14), "D": (30, 17, 17, 17, 17, 17, 30),
    "E": (31, 16, 16, 30, 16, 16, 31), "F": (31, 16, 16, 30, 16, 16, 16),
    "G": (14, 17, 16, 23, 17, 17, 15), "H": (17, 17, 17, 31, 17, 17, 17),
    "I": (14, 4, 4, 4, 4, 4, 14), "J": (7, 2, 2, 2, 2, 18, 12),
    "K": (17, 18, 20, 24, 20, 18, 17), "L": (16, 16, 16, 16, 16, 16, 31),
    "M": (17, 27, 21, 21, 17, 17, 17), "N": (17, 17, 25, 21, 19, 17, 17),
    "O": (14, 17, 17, 17, 17, 17, 14), "P": (30, 17, 17, 30, 16, 16, 16),
    "Q": (14, 17, 17, 17, 21, 18, 13), "R": (30, 17, 17, 30, 20, 18, 17),
    "S": (15, 16, 16, 14, 1, 1, 30), "T": (31, 4, 4, 4, 4, 4, 4),
    "U": (17, 17, 17, 17, 17, 17, 14), "V": (17, 17, 17, 17, 17, 10, 4),
    "W": (17, 17, 17, 21, 21, 21, 10), "X": (17, 17, 10, 4, 10, 17, 17),
    "Y": (17, 17, 10, 4, 4, 4, 4), "Z": (31, 1, 2, 4, 8, 16, 31),
    "0": (14, 17, 19, 21, 25, 17, 14), "1": (4, 12, 4, 4, 4, 4, 14),
    "2": (14, 17, 1, 2, 4, 8, 31), "3": (30, 1, 1, 14, 1, 1, 30),
    "4": (2, 6, 10, 18, 31, 2, 2), "5": (31, 16, 30, 1, 1, 17, 14),
    "6": (6, 8, 16, 30, 17, 17, 14), "7": (31, 1, 2, 4, 8, 8, 8),
    "8": (14, 17, 17, 14, 17, 17, 14), "9": (14, 17, 17, 15, 1, 2, 12),
    "_": (0, 0, 0, 0, 0, 0, 31), "-": (0, 0, 0, 31, 0, 0, 0), " ": (0,) * 7,
    ".": (0, 0, 0, 0, 0, 12, 12), ":": (0, 12, 12, 0, 12, 12, 0),
}


def text(canvas, x, y, string, colour):
    for ch in string.upper():
        rows = FONT.get(ch, FONT[" "])
        for dy, bits in enumerate(rows):
            for dx in range(5):
                if bits & (16 >> dx):
                    canvas.put(x + dx, y + dy, colour)
        x += 6
    return x


def parse_image(value):
    """(left, top, right, bottom, count, mask, wl, wt, wr, wb) of an "@" or "^" value."""
    if value.startswith("@"):
        f = value.split("@")[1:]
        return tuple(int(v) for v in f[:6]) + (0, 0, 0, 0)
    if value.startswith("^"):
        f = [int(v) for v in value.split("^")[1:]]
        left, top, right, bottom, wl, wt, wr, wb, count, mask = f[:10]
        if wl == wt == wr == wb == 0:
            wl = wr = (right - left) // (count * 3)
            wt = wb = (bottom - top) // ((mask + 1) * 3)
            if f[11]:
                wl = wt = wr = wb = f[11]
        return (left, top, right, bottom, count, mask, wl, wt, wr, wb)
    return None


def paint_state(sheet, master, image, state, x0, y0, w, h):
    """Nine-piece painting of one state; masked and key-coloured pixels stay unpainted."""
    left, top, right, bottom, count, mask, wl, wt, wr, wb = image
    sw = (right - left) // max(count, 1)
    sh = (bottom - top) // (mask + 1)
    mid_w = max(sw - wl - wr, 1)
    mid_h = max(sh - wt - wb, 1)
    for y in range(h):
        sy = y if y < wt else (sh - (h - y) if y >= h - wb else wt + (y - wt) % mid_h)
        for x in range(w):
            sx = x if x < wl else (sw - (w - x) if x >= w - wr else wl + (x - wl) % mid_w)
            px, py = left + state * sw + sx, top + sy
            if mask == 1 and master.get(px, py + sh)[0] > 127:
                continue
            pixel = master.get(px, py)
            if mask != 1 and pixel == KEY:
                continue
            sheet.put(x0 + x, y0 + y, pixel)


def preview(sheet, master, images, x0, y0):
    """A small window painted from the sections, as the client's windows will look."""
    def paint(section, key, state, x, y, w, h):
        image = images.get((section, key))
        if image:
            paint_state(sheet, master, image, state, x0 + x, y0 + y, w, h)

    def glyph(section, key, state, x, y):
        image = images.get((section, key))
        if image:
            left, top, right, bottom, count, mask = image[:6]
            paint_state(sheet, master, image, state, x0 + x, y0 + y, (right - left) // count,
                        (bottom - top) // (mask + 1))

    ink, soft, white = rgb(0x1F2329), rgb(0x5E6673), rgb(0xFFFFFF)
    w, h = 520, 330
    paint("FORM", "BORDERSMASK", 0, 0, 0, w, h)
    paint("FORMTITLE", "BORDERSMASK", 0, 1, 1, w - 2, 32)
    text(sheet, x0 + 14, y0 + 13, "VELMORA", ink)
    for i, key in enumerate(("BICONMIN", "BICONMAX", "BICONCLOSE")):
        glyph("GLOBALINFO", key, 1 if key == "BICONCLOSE" else 0, w - 1 - 46 * (3 - i), 1)
    paint("MENULINE", "BORDERSMASK", 0, 1, 33, w - 2, 26)
    for i, item in enumerate(("FILE", "LINES", "HELP")):
        if i == 1:
            paint("MENUITEM", "BORDERSMASK", 1, 52, 35, 56, 22)
        text(sheet, x0 + 14 + 56 * i, y0 + 43, item, ink)
    for i in range(3):
        paint("TABTOP", "BORDERSMASK", 2 if i == 0 else (1 if i == 1 else 0), 16 + 96 * i, 72,
              96, 28)
        text(sheet, x0 + 34 + 96 * i, y0 + 82, ("SERVERS", "ACCOUNT", "LOG")[i],
             ink if i == 0 else soft)
    paint("PANEL_LOW", "BORDERSMASK", 0, 16, 108, 300, 170)
    text(sheet, x0 + 32, y0 + 124, "USER NAME", soft)
    paint("EDIT", "BORDERSMASK", 2, 32, 136, 268, 28)
    text(sheet, x0 + 42, y0 + 147, "DEMO", ink)
    text(sheet, x0 + 32, y0 + 176, "PASSWORD", soft)
    paint("EDIT", "BORDERSMASK", 0, 32, 188, 268, 28)
    glyph("GLOBALINFO", "BOXCHECKED", 0, 32, 230)
    text(sheet, x0 + 56, y0 + 235, "REMEMBER", ink)
    glyph("GLOBALINFO", "BOXUNCHECKED", 0, 150, 230)
    text(sheet, x0 + 174, y0 + 235, "AUTO CONNECT", ink)
    paint("SCROLLBAR1V", "BORDERSMASK", 0, 300, 110, 14, 166)
    paint("SCROLLSLIDERV", "BORDERSMASK", 0, 300, 130, 14, 60)
    paint("BUTTON_BIG", "BORDERSMASK", 0, 336, 108, 168, 40)
    text(sheet, x0 + 392, y0 + 125, "CONNECT", white)
    paint("BUTTON", "BORDERSMASK", 1, 336, 156, 168, 30)
    text(sheet, x0 + 386, y0 + 168, "SETTINGS", ink)
    paint("COMBOBOX", "BORDERSMASK", 0, 336, 196, 168, 28)
    text(sheet, x0 + 346, y0 + 207, "AUTO", ink)
    glyph("COMBOBOX", "GLYPHMASK", 0, 484, 208)
    paint("HINT", "BORDERSMASK", 0, 336, 236, 168, 26)
    text(sheet, x0 + 348, y0 + 246, "LATENCY 38 MS", white)
    paint("STATUSBAR", "BORDERSMASK", 0, 1, h - 27, w - 2, 26)
    text(sheet, x0 + 14, y0 + h - 17, "CONNECTED  00:12:41", soft)
    return h


def contact_sheet(skin, background=0xF4F5F7):
    master = skin.master_canvas()
    rows = []
    images = {}
    for name, keys in skin.sections:
        for key, value in keys:
            image = parse_image(value)
            if image:
                rows.append((name, key, image))
                images[(name, key)] = image
    label = rgb(0x1F2329)
    row_height = 40
    width = max(master.width * 2 + 40, 760)
    height = 420 + len(rows) * row_height + master.height * 2 + 60
    sheet = Canvas(width, height, rgb(0xDDE1E6))
    sheet.fill(0, 380, width, height, rgb(background))
    text(sheet, 20, 14, "SKIN %s: %d SECTIONS" % (skin.name, len(skin.sections)), label)
    preview(sheet, master, images, 20, 34)
    y = 420
    for name, key, image in rows:
        text(sheet, 20, y + 12, "%s %s" % (name, key), label)
        left, top, right, bottom, count, mask = image[:6]
        sw = (right - left) // max(count, 1)
        sh = (bottom - top) // (mask + 1)
        nine = image[6] or image[7]
        for state in range(max(count, 1)):
            x0 = 300 + state * 150
            if nine:
                paint_state(sheet, master, image, state, x0, y + 4, 120, 30)
            else:
                paint_state(sheet, master, image, state, x0, y + 4, sw, sh)
        y += row_height
    text(sheet, 20, y + 10, "MASTER BITMAP X2", label)
    sheet.paste(master.scaled(2), 20, y + 30)
    return sheet
