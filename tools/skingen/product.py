"""The product skin, "Calm": the client's internal skin.

A light, quiet design: neutral greys for surfaces and 1-px lines, one blue accent for what is
active or primary, dark text with clear contrast, rounded corners of 3-4 px, generous borders
so that controls breathe. Every colour comes from the palette below; every section the client's
windows use is here, each with its states (normal, hot, pressed or focused).
"""

from imaging import Canvas, blend, bmp_bytes, rgb, skin_colour
from jpeg import jpeg_bytes
from shapes import box, centred, circle, icon, overlay, picture
from skin import Skin, StateImage

# Palette (0xRRGGBB).
BACKGROUND = 0xF4F5F7   # window and panel background
SURFACE = 0xFFFFFF      # edits, menus, title bar, raised surfaces
SUBTLE = 0xF7F8FA       # headers, title bands
LINE = 0xDCDFE4         # separators and quiet outlines
EDGE = 0xC8CDD4         # control outlines
EDGE_HOT = 0xA8B0BB
EDGE_PRESSED = 0x98A1AD
HOVER = 0xEEF0F3        # hot fill of flat controls
PRESS = 0xE3E6EB        # pressed fill of flat controls
TEXT = 0x1F2329
TEXT_SECONDARY = 0x5E6673
TEXT_DISABLED = 0xA3A9B1
ACCENT = 0x2563EB
ACCENT_HOT = 0x3B74EE
ACCENT_PRESSED = 0x1D4FC4
ACCENT_TINT = 0xE8EFFD
ACCENT_TINT_EDGE = 0xBFD1FA
THUMB = 0xC5CAD2
THUMB_HOT = 0xA7AEB8
THUMB_PRESSED = 0x8E96A2
DANGER = 0xE5484D
WHITE = 0xFFFFFF
HINT_BACK = 0x2B2F36


def c(value):
    return "$%08X" % skin_colour(value)


def states(w, h, looks, radius=0, edges="ltrb", inset=0):
    """One box per (fill, border) pair; None as fill leaves the state transparent, None as
    border draws no outline. `inset` leaves a transparent margin around the box."""
    result = []
    for fill, border in looks:
        grid = [[None] * w for _ in range(h)]
        if fill is not None or border is not None:
            inner = box(w - 2 * inset, h - 2 * inset, rgb(fill) if fill is not None else None,
                        rgb(border) if border is not None else None, radius, edges)
            if fill is None:
                inner = [[p for p in row] for row in inner]
            grid = overlay(grid, inner, inset, inset)
        result.append(grid)
    return result


def underline(w, h, fill, line, thickness, side):
    """A flat box with a bar of `thickness` px along one side (tabs)."""
    grid = box(w, h, rgb(fill))
    for y in range(h):
        for x in range(w):
            on = ((side == "b" and y >= h - thickness) or (side == "t" and y < thickness) or
                  (side == "l" and x < thickness) or (side == "r" and x >= w - thickness))
            if on and line is not None:
                grid[y][x] = rgb(line)
    return grid


def colours(s, section, color, font=TEXT, hot=None, hot_font=None, parent=None, **extra):
    if parent:
        s.set(section, "PARENTCLASS", parent)
    s.set(section, "COLOR", c(color))
    s.set(section, "FONTCOLOR", c(font))
    s.set(section, "HOTCOLOR", c(hot if hot is not None else color))
    s.set(section, "HOTFONTCOLOR", c(hot_font if hot_font is not None else font))
    for key, value in extra.items():
        s.set(section, key, value)


def title_icons(s, section, prefix, w, h):
    """Title-bar buttons: a quiet hover fill, a red close."""
    ink = rgb(TEXT)
    for name, key in (("close", "CLOSE"), ("max", "MAX"), ("min", "MIN"), ("norm", "NORM"),
                      ("help", "HELP")):
        hot_fill = DANGER if name == "close" else HOVER
        press_fill = 0xC93C41 if name == "close" else PRESS
        hot_ink = rgb(WHITE) if name == "close" else ink
        base = [box(w, h, None), box(w, h, rgb(hot_fill)), box(w, h, rgb(press_fill))]
        glyph = [centred(base[0], icon(name, ink)), centred(base[1], icon(name, hot_ink)),
                 centred(base[2], icon(name, hot_ink))]
        s.glyph(section, prefix + key, StateImage(glyph, 1))


def checks(s, size, prefix_box, prefix_radio):
    ink = rgb(WHITE)
    unchecked = states(size, size, [(SURFACE, THUMB_PRESSED), (SURFACE, ACCENT),
                                    (ACCENT_TINT, ACCENT)], radius=3)
    checked_base = states(size, size, [(ACCENT, ACCENT), (ACCENT_HOT, ACCENT_HOT),
                                       (ACCENT_PRESSED, ACCENT_PRESSED)], radius=3)
    mark = icon("check", ink)
    checked = [centred(g, mark) for g in checked_base]
    grayed = [centred(g, icon("dash", rgb(ACCENT) if i else rgb(THUMB_PRESSED)))
              for i, g in enumerate(unchecked)]
    s.glyph("GLOBALINFO", prefix_box + "CHECKED", StateImage(checked, 1))
    s.glyph("GLOBALINFO", prefix_box + "UNCHECKED", StateImage(unchecked, 1))
    s.glyph("GLOBALINFO", prefix_box + "GRAYED", StateImage(grayed, 1))
    if prefix_radio:
        ring = [circle(size, rgb(SURFACE), rgb(THUMB_PRESSED)), circle(size, rgb(SURFACE),
                rgb(ACCENT)), circle(size, rgb(ACCENT_TINT), rgb(ACCENT))]
        on = [circle(size, rgb(ACCENT), rgb(ACCENT)), circle(size, rgb(ACCENT_HOT),
              rgb(ACCENT_HOT)), circle(size, rgb(ACCENT_PRESSED), rgb(ACCENT_PRESSED))]
        dot = [centred(g, icon("dot", ink)) for g in on]
        s.glyph("GLOBALINFO", prefix_radio + "CHECKED", StateImage(dot, 1))
        s.glyph("GLOBALINFO", prefix_radio + "UNCHECKED", StateImage(ring, 1))
        s.glyph("GLOBALINFO", prefix_radio + "GRAYED",
                StateImage([centred(g, icon("dot", rgb(THUMB))) for g in ring], 1))


def gradient(*bands):
    """GRADIENTDATA of (first, second, percent, mode) bands."""
    return ";".join("%s;%s;%d;%d;0" % (c(a), c(b), p, m) for a, b, p, m in bands)


def waves(width, height, dark, light, period):
    """Soft diagonal bands between two colours: a triangle wave across x + y."""
    canvas = Canvas(width, height)
    a, b = rgb(dark), rgb(light)
    for y in range(height):
        for x in range(width):
            phase = (x + 2 * y) % period
            level = abs(2 * phase - period) / period
            canvas.put(x, y, blend(a, b, level))
    return canvas


def grain(width, height, base, spread, seed):
    """A quiet paper grain: the base colour moved by small pseudo-random steps."""
    canvas = Canvas(width, height)
    state = seed
    for y in range(height):
        for x in range(width):
            state = (state * 1103515245 + 12345) & 0x7FFFFFFF
            step = (state >> 16) % (2 * spread + 1) - spread
            canvas.put(x, y, tuple(max(0, min(255, v + step)) for v in rgb(base)))
    return canvas


def stripes(size, first, second):
    """A square tile of diagonal stripes, half of each colour."""
    canvas = Canvas(size, size)
    for y in range(size):
        for x in range(size):
            canvas.put(x, y, rgb(first) if (x + y) % size < size // 2 else rgb(second))
    return canvas


def dots(size, ink):
    """A masked tile: one dot of ink in the middle, the rest the background."""
    grid = [[None] * size for _ in range(size)]
    grid[size // 2][size // 2] = rgb(ink)
    return StateImage([grid], 1)


def button_like(s, section, looks, radius=3, widths=(4, 4, 4, 4), size=(12, 12), **kw):
    """A masked nine-piece outline whose centre is painted too (draw mode 4), so that each state
    shows its own fill over the section's colour."""
    w, h = size
    s.border(section, "BORDERSMASK", StateImage(states(w, h, looks, radius, **kw), 1), widths,
             draw_mode=4)


def product_skin():
    s = Skin("Calm")
    g = "GLOBALINFO"
    s.set(g, "VERSION", "7.0")
    s.set(g, "AUTHOR", "Velmora")
    s.set(g, "DESCRIPTION", "Calm: light surfaces, one blue accent")
    s.master("MASTER.BMP")
    colours(s, g, BACKGROUND, TEXT, hot=SURFACE, hot_font=TEXT)
    s.set(g, "BORDERCOLOR", c(EDGE))
    s.set(g, "BISPACE", "0")
    s.set(g, "BIRIGHT", "0")
    s.set(g, "TITLEHEIGHT", "32")
    title_icons(s, g, "BICON", 46, 32)
    title_icons(s, g, "SICON", 32, 24)
    s.glyph(g, "TITLEBUTTON", StateImage(states(12, 12, [(None, None), (HOVER, None),
                                                         (PRESS, None)]), 1))
    s.glyph(g, "GRIPIMAGE", StateImage([icon("grip", rgb(THUMB))], 0))
    checks(s, 16, "BOX", "RADIO")
    checks(s, 13, "SMALL", None)
    s.glyph(g, "CHECK", StateImage([icon("check", rgb(TEXT))], 0))

    # Windows and their title band.
    colours(s, "FORM", BACKGROUND)
    s.border("FORM", "BORDERSMASK", StateImage(states(12, 12, [(BACKGROUND, EDGE),
                                                              (BACKGROUND, LINE)]), 1),
             (4, 4, 4, 4))
    title_icons(s, "FORM", "BICON", 46, 32)
    title_band = gradient((SURFACE, SUBTLE, 100, 0))
    colours(s, "FORMTITLE", SURFACE, TEXT, hot_font=TEXT_SECONDARY, GRADIENTPERCENT="100",
            GRADIENTDATA=title_band, HOTGRADIENTPERCENT="100", HOTGRADIENTDATA=title_band)
    s.border("FORMTITLE", "BORDERSMASK",
             StateImage(states(12, 12, [(SURFACE, LINE), (SURFACE, LINE)], edges="b"), 1),
             (2, 2, 2, 2))
    # Dialogs: light falling from the top-left corner, a mesh of triangles.
    light = gradient((SURFACE, SURFACE, 34, 2), (BACKGROUND, BACKGROUND, 33, 2),
                     (BACKGROUND, BACKGROUND, 33, 2))
    colours(s, "DIALOG", BACKGROUND, parent="FORM", GRADIENTPERCENT="100", GRADIENTDATA=light,
            HOTGRADIENTPERCENT="100", HOTGRADIENTDATA=light)
    # The caption's plate lets the title band show through.
    colours(s, "CAPTION", SURFACE, TEXT, TRANSPARENCY="100", HOTTRANSPARENCY="100")
    # A large picture stays a pattern; a small one becomes a texture of the section.
    colours(s, "MDIAREA", BACKGROUND, IMAGEPERCENT="35", HOTIMAGEPERCENT="35")
    s.files["BACKDROP.JPG"] = jpeg_bytes(waves(384, 240, LINE, SURFACE, 96))
    s.set("MDIAREA", "PATTERN", "BACKDROP.JPG")
    s.set("MDIAREA", "HOTPATTERN", "BACKDROP.JPG")

    # Buttons: a quiet secondary look, a blue primary, and the big connect button.
    colours(s, "BUTTON", SURFACE, TEXT, hot=0xF5F7FA, SHOWFOCUS="TRUE")
    button_like(s, "BUTTON", [(SURFACE, EDGE), (0xF5F7FA, EDGE_HOT), (0xEBEEF2, EDGE_PRESSED)])
    colours(s, "BUTTON_BIG", ACCENT, WHITE, hot=ACCENT_HOT, hot_font=WHITE)
    button_like(s, "BUTTON_BIG", [(ACCENT, ACCENT), (ACCENT_HOT, ACCENT_HOT),
                                  (ACCENT_PRESSED, ACCENT_PRESSED)], radius=4)
    colours(s, "BUTTON_HUGE", ACCENT, WHITE, hot=ACCENT_HOT, hot_font=WHITE)
    huge = StateImage(states(40, 40, [(ACCENT, ACCENT), (ACCENT_HOT, ACCENT_HOT),
                                      (ACCENT_PRESSED, ACCENT_PRESSED)], radius=8), 1)
    s.files["BTNHUGE.BMP"] = bmp_bytes(huge.canvas())
    s.set("BUTTON_HUGE", "BORDERSMASK", "!BTNHUGE.BMP!3!1!0!12!12!12!12")

    # Text entry.
    colours(s, "EDIT", SURFACE, TEXT, hot=SURFACE)
    button_like(s, "EDIT", [(SURFACE, EDGE), (SURFACE, EDGE_HOT), (SURFACE, ACCENT)])
    colours(s, "COMBOBOX", SURFACE, TEXT, hot=SURFACE)
    button_like(s, "COMBOBOX", [(SURFACE, EDGE), (SURFACE, EDGE_HOT), (SURFACE, ACCENT)])
    s.glyph("COMBOBOX", "GLYPHMASK",
            StateImage([icon("down", rgb(x)) for x in (TEXT_SECONDARY, TEXT, ACCENT)], 0))
    colours(s, "COMBOBTN", SURFACE, TEXT, hot=HOVER)
    button_like(s, "COMBOBTN", [(SURFACE, None), (HOVER, None), (PRESS, None)])
    colours(s, "CHECKBOX", BACKGROUND, TEXT, TRANSPARENCY="100")
    colours(s, "RADIOBUTTON", BACKGROUND, TEXT, TRANSPARENCY="100")

    # Containers.
    colours(s, "PANEL", BACKGROUND)
    # A raised surface letting 40 % of what lies behind show, its outline a plain image whose
    # rounded corners are the key colour.
    colours(s, "PANEL_LOW", SURFACE, TRANSPARENCY="40", HOTTRANSPARENCY="40")
    s.border("PANEL_LOW", "BORDERSMASK", StateImage(states(12, 12, [(SURFACE, LINE)], 4), 0),
             (4, 4, 4, 4))
    colours(s, "GROUPBOX", BACKGROUND, TEXT_SECONDARY)
    button_like(s, "GROUPBOX", [(BACKGROUND, LINE)], radius=4)
    colours(s, "SPLITTER", BACKGROUND, hot=ACCENT_TINT)
    colours(s, "HINT", HINT_BACK, WHITE)
    button_like(s, "HINT", [(HINT_BACK, HINT_BACK)], radius=4)
    colours(s, "BAR", SURFACE, IMAGEPERCENT="25", HOTIMAGEPERCENT="25")
    s.files["GRAIN.JPG"] = jpeg_bytes(grain(64, 64, SURFACE, 6, 7))
    s.set("BAR", "PATTERN", "GRAIN.JPG")
    s.set("BAR", "HOTPATTERN", "GRAIN.JPG")
    colours(s, "BARTITLE", SUBTLE, TEXT, hot=HOVER)
    button_like(s, "BARTITLE", [(SUBTLE, LINE), (HOVER, LINE), (PRESS, LINE)], edges="b",
                radius=0, widths=(2, 2, 2, 2))

    # Menus.
    colours(s, "MENULINE", SURFACE, TEXT)
    button_like(s, "MENULINE", [(SURFACE, LINE)], edges="b", widths=(2, 2, 2, 2))
    colours(s, "MAINMENU", SURFACE, TEXT)
    s.border("MAINMENU", "BORDERSMASK", StateImage(states(12, 12, [(SURFACE, EDGE)]), 1),
             (0, 0, 0, 0), border_width=1)
    colours(s, "MENUITEM", SURFACE, TEXT, hot=ACCENT_TINT, hot_font=TEXT)
    button_like(s, "MENUITEM", [(None, None), (ACCENT_TINT, None), (ACCENT_TINT, None)],
                inset=1)
    colours(s, "DIVIDER", LINE)
    s.glyph("DIVIDER", "BORDERSMASK", StateImage([box(8, 1, rgb(LINE))], 0))
    colours(s, "DIVIDERV", LINE)
    s.glyph("DIVIDERV", "BORDERSMASK", StateImage([box(1, 8, rgb(LINE))], 0))
    colours(s, "ICOLINE", SUBTLE, IMAGEPERCENT="100", HOTIMAGEPERCENT="100")
    s.texture("ICOLINE", "PATTERN", dots(4, LINE).canvas(), 0, mask_type=1)
    s.texture("ICOLINE", "HOTPATTERN", dots(4, EDGE).canvas(), 0, mask_type=1)
    colours(s, "EXTRALINE", ACCENT, WHITE, IMAGEPERCENT="100", HOTIMAGEPERCENT="100")
    s.texture("EXTRALINE", "PATTERN", stripes(8, ACCENT, ACCENT_HOT), 0)
    s.texture("EXTRALINE", "HOTPATTERN", stripes(8, ACCENT_HOT, ACCENT), 0)

    # Bars of buttons.
    colours(s, "STATUSBAR", BACKGROUND, TEXT_SECONDARY)
    button_like(s, "STATUSBAR", [(BACKGROUND, LINE)], edges="t", widths=(2, 2, 2, 2))
    s.border("STATUSBAR", "STATUSPANELMASK",
             StateImage(states(12, 12, [(BACKGROUND, LINE)], edges="r"), 1), (2, 2, 2, 2))
    colours(s, "TOOLBAR", BACKGROUND, GRADIENTPERCENT="100",
            GRADIENTDATA=gradient((SUBTLE, BACKGROUND, 50, 1), (BACKGROUND, SUBTLE, 50, 1)),
            HOTGRADIENTPERCENT="100",
            HOTGRADIENTDATA=gradient((SUBTLE, BACKGROUND, 50, 1), (BACKGROUND, SUBTLE, 50, 1)))
    for section in ("TOOLBUTTON", "SPEEDBUTTON", "SPEEDBUTTON_SMALL", "UPDOWNBTN"):
        colours(s, section, BACKGROUND, TEXT, hot=HOVER)
        button_like(s, section, [(None, None), (HOVER, None), (PRESS, None)])
    colours(s, "COLHEADER", SUBTLE, TEXT_SECONDARY, hot=HOVER)
    button_like(s, "COLHEADER", [(SUBTLE, LINE), (HOVER, LINE), (PRESS, LINE)], edges="rb",
                radius=0, widths=(2, 2, 2, 2))

    # Tabs: the active tab is the surface with a blue bar on its outer side.
    colours(s, "PAGECONTROL", SURFACE)
    button_like(s, "PAGECONTROL", [(SURFACE, LINE)], radius=0)
    for section in ("PAGECONTROLBOTTOM", "PAGECONTROLLEFT", "PAGECONTROLRIGHT"):
        colours(s, section, SURFACE, parent="PAGECONTROL")
    for section, side in (("TABTOP", "b"), ("TABBOTTOM", "t"), ("TABLEFT", "r"),
                          ("TABRIGHT", "l")):
        colours(s, section, BACKGROUND, TEXT_SECONDARY, hot=HOVER, hot_font=TEXT)
        grids = [underline(12, 12, BACKGROUND, LINE, 1, side),
                 underline(12, 12, HOVER, LINE, 1, side),
                 underline(12, 12, SURFACE, ACCENT, 2, side)]
        s.border(section, "BORDERSMASK", StateImage(grids, 1), (4, 4, 4, 4), draw_mode=4)

    # Scroll bars: a quiet track, a rounded thumb inset from it, chevron arrows.
    for section in ("SCROLLBAR1H", "SCROLLBAR1V", "SCROLLBAR2H", "SCROLLBAR2V"):
        colours(s, section, BACKGROUND)
        button_like(s, section, [(BACKGROUND, None), (0xECEEF1, None)], radius=0,
                    widths=(2, 2, 2, 2))
    for section in ("SCROLLSLIDERH", "SCROLLSLIDERV"):
        # The thumb is the image alone: the track shows around its inset.
        colours(s, section, THUMB, hot=THUMB_HOT, TRANSPARENCY="100", HOTTRANSPARENCY="100")
        button_like(s, section, [(THUMB, None), (THUMB_HOT, None), (THUMB_PRESSED, None)],
                    radius=3, inset=2, widths=(5, 5, 5, 5), size=(14, 14))
        grip = ["######", "......", "######", "......", "######"]
        if section.endswith("V"):
            grip = ["".join(row[i] for row in grip) for i in range(len(grip[0]))]
        s.glyph(section, "GLYPHMASK", StateImage([picture(grip, rgb(x)) for x in
                                                  (WHITE, WHITE, WHITE)], 0))
    for section, arrow in (("SCROLLBTNLEFT", "left"), ("SCROLLBTNRIGHT", "right"),
                           ("SCROLLBTNTOP", "up"), ("SCROLLBTNBOTTOM", "down")):
        colours(s, section, BACKGROUND, RESERVEDBOOLEAN="FALSE")
        button_like(s, section, [(BACKGROUND, None), (HOVER, None), (PRESS, None)])
        s.glyph(section, "GLYPHMASK",
                StateImage([icon(arrow, rgb(x)) for x in (THUMB_PRESSED, TEXT_SECONDARY, TEXT)],
                           0))
    return s
