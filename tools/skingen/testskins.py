"""The test skins: flat colours and contrasting 1-px borders for exact assertions, feature
variants (parent chains and their faults, every image-value form), strict-key errors, and
hostile archives. Every rectangle and colour a test asserts is also written to the constants
header, so tests and skins cannot drift apart.
"""

import struct
import zlib

from imaging import Canvas, bmp_bytes, png_bytes, rgb, skin_colour
from jpeg import jpeg_bytes
from shapes import box
from skin import Skin, StateImage, archive_bytes


class Constants:
    def __init__(self):
        self.lines = []

    def rect(self, name, rect):
        self.lines.append("inline constexpr TSkinGenRect %s{%d, %d, %d, %d};" % ((name,) + rect))

    def int(self, name, value):
        self.lines.append("inline constexpr int %s = %d;" % (name, value))

    def colour(self, name, value):
        self.lines.append("inline constexpr unsigned %s = 0x%06X;" % (name, value))

    def text(self, name, value):
        self.lines.append("inline constexpr const wchar_t* %s = L\"%s\";" % (name, value))


def flat_states(colours, w=9, h=9, corner=True):
    """One state per (fill, border) pair: a flat w x h box with a 1-px border; with `corner`
    the top-left pixel is background (masked, or the key colour)."""
    states = []
    for fill, border in colours:
        grid = box(w, h, rgb(fill), rgb(border))
        if corner:
            grid[0][0] = None
        states.append(grid)
    return states


# Button states: normal, hot, pressed; each fill with a contrasting border.
FLAT_BUTTON = [(0x2040C0, 0xFFFF00), (0x40C020, 0x0000FF), (0xC02040, 0x00FFFF)]
FLAT_FORM = [(0x808080, 0x000000), (0xA0A0A0, 0xFFFFFF)]
FLAT_EXBORDER = [(0x336699, 0x000000), (0x993366, 0xFFFFFF)]
FLAT_CHECK = [(0xFFFFFF, 0x000000), (0x00FF00, 0x000000), (0x0000FF, 0x000000)]


def flat_skin(consts):
    """Tiers "loads" and "paints one control", plus the sections the look-ups name."""
    s = Skin("TestFlat")
    s.set("GLOBALINFO", "VERSION", "7.0")
    s.set("GLOBALINFO", "AUTHOR", "Zo\u00eb \u00c5str\u00f6m")
    s.set("GLOBALINFO", "DESCRIPTION", "Flat test skin")
    s.master("MASTER.BMP")
    s.set("GLOBALINFO", "COLOR", "$00D0E0F0")
    s.set("GLOBALINFO", "FONTCOLOR", "0x00102030")
    s.set("GLOBALINFO", "HOTCOLOR", "16777215")
    s.set("GLOBALINFO", "TITLEHEIGHT", "26")
    s.set("GLOBALINFO", "MAXHEIGHT", "0")
    s.set("GLOBALINFO", "SHADOW1OFFSET", "$10")
    s.set("GLOBALINFO", "SHADOW1BLUR", "3")
    consts.colour("FlatGlobalColor", 0xD0E0F0)
    consts.colour("FlatGlobalFontColor", 0x102030)
    consts.text("FlatAuthor", "Zo\\u00eb \\u00c5str\\u00f6m")
    rect = s.glyph("GLOBALINFO", "BOXCHECKED", StateImage(flat_states(FLAT_CHECK, 13, 13), 1))
    consts.rect("FlatBoxChecked", rect)
    # Extended borders: an active and an inactive state in the master bitmap.
    rect = s.border("GLOBALINFO", "EXBORDER", StateImage(flat_states(FLAT_EXBORDER, 30, 30), 0),
                    (12, 12, 12, 12))
    consts.rect("FlatExBorder", rect)
    for index, (fill, border) in enumerate(FLAT_EXBORDER):
        consts.colour("FlatExBorderFill%d" % index, fill)
    s.glyph("GLOBALINFO", "BOXUNCHECKED", StateImage(flat_states(FLAT_CHECK, 13, 13), 1))
    s.glyph("GLOBALINFO", "RADIOCHECKED", StateImage(flat_states(FLAT_CHECK, 13, 13), 0))

    s.set("BUTTON", "COLOR", "$00C04020")
    s.set("BUTTON", "HOTCOLOR", "$0020C040")
    s.set("BUTTON", "FONTCOLOR", "$00FFFFFF")
    s.set("BUTTON", "HOTFONTCOLOR", "$00000000")
    s.set("BUTTON", "TCLEFT", "$000000FF")
    s.set("BUTTON", "FADINGENABLED", "true")
    s.set("BUTTON", "FADINGITERATIONS", "7")
    consts.colour("FlatButtonColor", 0xC04020)
    consts.colour("FlatButtonHotColor", 0x20C040)
    rect = s.border("BUTTON", "BORDERSMASK", StateImage(flat_states(FLAT_BUTTON), 1), (3, 3, 3, 3))
    consts.rect("FlatButtonBorder", rect)
    for index, (fill, border) in enumerate(FLAT_BUTTON):
        consts.colour("FlatButtonFill%d" % index, fill)
        consts.colour("FlatButtonEdge%d" % index, border)

    s.set("EDIT", "COLOR", "$00FFFFFF")
    s.set("EDIT", "HOTFONTCOLOR", "$00123456")
    s.set("PANEL", "COLOR", "$00E0E0E0")
    s.set("MENUITEM", "HOTCOLOR", "$00FF8000")
    s.set("MENUITEM", "HOTFONTCOLOR", "$00FFFFFF")
    s.set("FORM", "COLOR", "$00F0F0F0")
    rect = s.border("FORM", "BORDERSMASK", StateImage(flat_states(FLAT_FORM, 12, 12), 1),
                    (4, 4, 4, 4))
    consts.rect("FlatFormBorder", rect)
    s.set("DIALOG", "PARENTCLASS", "FORM")
    s.set("TABTOP", "COLOR", "$00FFFFFF")
    s.border("TABTOP", "BORDERSMASK", StateImage(flat_states(FLAT_BUTTON), 1), (3, 3, 3, 3))
    s.set("TABBOTTOM", "PARENTCLASS", "TABTOP")
    s.set("SCROLLBTNLEFT", "COLOR", "$00C0C0C0")
    s.border("SCROLLBTNLEFT", "BORDERSMASK", StateImage(flat_states(FLAT_BUTTON), 1), (3, 3, 3, 3))
    s.set("COMBOBOX", "COLOR", "$00FFFFFF")
    s.glyph("COMBOBOX", "GLYPHMASK", StateImage(flat_states(FLAT_CHECK, 7, 4, False), 0))
    return s


def noise(width, height, seed):
    """A picture of pseudo-random pixels: it does not compress, so its zlib stream is about as
    long as the picture (more than the reader's 128 KB read-ahead)."""
    canvas = Canvas(width, height)
    state = seed
    for y in range(height):
        row = canvas.pixels[y]
        for x in range(width):
            state = (state * 1103515245 + 12345) & 0x7FFFFFFF
            row[x] = ((state >> 16) & 0xFF, (state >> 8) & 0xFF, state & 0xFF)
    return canvas


def features_skin(consts):
    """Parent chains (with a self-parent and cycles), every image-value form, big entries."""
    s = Skin("TestFeatures")
    s.set("GLOBALINFO", "VERSION", "5.4")
    s.master("MASTER.BMP")
    s.set("GLOBALINFO", "COLOR", "$00010203")
    # A glyph whose rectangle and state count the table must show exactly.
    rect = s.glyph("GLOBALINFO", "BOXCHECKED", StateImage(flat_states(FLAT_CHECK, 16, 14), 1))
    consts.rect("FeatGlyph", rect)

    s.set("BASE", "COLOR", "$00112233")
    s.set("BASE", "TCLEFT", "$00000005")
    s.set("BASE", "GLOW", "2")
    s.set("BASE", "TRANSPARENCY", "40")
    s.set("BASE", "GRADIENTDATA", "$00FF0000;$0000FF00;50;0;0;$0000FF00;$000000FF;50;1;0")
    s.set("BASE", "HOTGRADIENTDATA", "?")
    s.set("BASE", "GIVEOWNFONT", "True")
    s.set("PANEL", "PARENTCLASS", "BASE")
    s.set("PANEL", "HOTCOLOR", "$00445566")
    s.set("PANEL", "TCLEFT", "$00000006")
    # A 90 x 60 border of three states with a mask row and no widths: 10 on every side.
    grid = [[(0x10, 0x20, 0x30)] * 30 for _ in range(30)]
    rect = s.border("PANEL", "BORDERSMASK", StateImage([grid, grid, grid], 1), (0, 0, 0, 0))
    consts.rect("FeatComputedBorder", rect)
    s.set("BUTTON", "PARENTCLASS", "PANEL")
    s.set("BUTTON", "TCLEFT", "-1")
    s.set("BUTTON", "TCTOP", "$00000007")
    rect = s.border("BUTTON", "BORDERSMASK", StateImage(flat_states(FLAT_BUTTON, 12, 10), 0),
                    (2, 3, 4, 5), draw_mode=1, border_width=1)
    consts.rect("FeatButtonBorder", rect)
    # A border whose widths come from its border width.
    rect = s.border("BUTTON", "IMGTOPLEFT", StateImage(flat_states(FLAT_BUTTON, 6, 6), 0),
                    (0, 0, 0, 0), border_width=2)
    s.set("SELF", "PARENTCLASS", "SELF")
    s.set("CYCLEA", "PARENTCLASS", "CYCLEB")
    s.set("CYCLEB", "PARENTCLASS", "CYCLEA")
    s.set("CYC1", "PARENTCLASS", "CYC2")
    s.set("CYC2", "PARENTCLASS", "CYC3")
    s.set("CYC3", "PARENTCLASS", "CYC1")
    s.set("CYC3", "COLOR", "$000000FF")
    s.set("Edit", "COLOR", "$00ABCDEF")
    s.set("DIALOG", "PARENTCLASS", "FORM")
    rect = s.border("FORM", "BORDERSMASK", StateImage(flat_states(FLAT_FORM, 12, 12), 1),
                    (4, 4, 4, 4))
    consts.rect("FeatFormBorder", rect)

    # Textures, with and without their mask-type field.
    tile = Canvas(8, 8, (0x33, 0x66, 0x99))
    rect = s.texture("TEXTURE", "PATTERN", tile, 3)
    consts.rect("FeatTexture", rect)
    s.texture("TEXTURE", "HOTPATTERN", tile, 12, mask_type=1)

    # Own files: BMP in its three forms, PNG with alpha, and two pictures too big to compress.
    own = Canvas(30, 20, (0x11, 0x22, 0x33))
    own.frame(0, 0, 30, 20, (0xFF, 0xFF, 0xFF))
    s.files["OWN.BMP"] = bmp_bytes(own)
    consts.int("FeatOwnWidth", own.width)
    consts.int("FeatOwnHeight", own.height)
    s.set("FILEIMG", "BORDERSMASK", "!OWN.BMP!3!1!0!5!6!7!8")
    s.set("FILEIMG", "GLYPHMASK", "!OWN.BMP!2!0!9")
    s.set("FILEIMG", "IMGTOPLEFT", "!OWN.BMP!3!1!-2")
    s.set("FILEIMG", "IMGTOPRIGHT", "!own.bmp!1!0!0")
    s.set("FILEIMG", "IMGBTMLEFT", "!MISSING.BMP!1!0!0")
    s.set("FILEIMG", "IMGBTMRIGHT", "!OWN.BMP!0!0!0")
    s.set("PLAIN", "BORDERSMASK", "own.bmp")
    s.set("HASH", "BORDERSMASK", "#(10,20,40,50)(2,1,3,2)")
    s.set("HASH", "GLYPHMASK", "#")
    s.set("HASH", "IMGTOPLEFT", "# (1 2 31 22) (0 -3)")
    alpha = Canvas(4, 2, (0, 0, 0, 0), alpha=True)
    alpha.put(0, 0, (255, 0, 0, 255))
    alpha.put(1, 0, (0, 255, 0, 128))
    alpha.put(2, 0, (255, 255, 255, 0))
    s.files["ALPHA.PNG"] = png_bytes(alpha)
    s.set("PNGIMG", "GLYPHMASK", "!ALPHA.PNG!1!0!4")
    s.files["NOISE1.BMP"] = bmp_bytes(noise(256, 192, 1))
    s.files["NOISE2.BMP"] = bmp_bytes(noise(256, 192, 2))
    s.set("NOISE", "PATTERN", "!NOISE1.BMP!1!0!1")
    s.set("NOISE", "HOTPATTERN", "!NOISE2.BMP!1!0!1")
    # Values too short for their fixed positions, and a glyph without states.
    s.set("SHORT", "GLYPHMASK", "@0001@0002")
    s.set("SHORT", "BORDERSMASK", "^0001^0002^0003^0004^0000")
    s.set("SHORT", "PATTERN", "~0001~0002~0003")
    rect = s.glyph("ZERO", "GLYPHMASK", StateImage(flat_states(FLAT_CHECK[:1], 6, 6), 0))
    s.section("ZERO")[-1] = ("GLYPHMASK", "@%04d@%04d@%04d@%04d@0@0" % rect)
    consts.rect("FeatZeroCount", rect)
    s.set("ZERO", "BORDERSMASK", "^%04d^%04d^%04d^%04d^0000^0000^0000^0000^0^0^0^0" % rect)
    s.set("TABTOP", "COLOR", "$00FFFFFF")
    s.border("TABTOP", "BORDERSMASK", StateImage(flat_states(FLAT_BUTTON), 1), (3, 3, 3, 3))
    s.set("TABBOTTOM", "PARENTCLASS", "TABTOP")
    s.set("NA", "BORDERSMASK", "N/A")
    return s


def sections_skin(consts):
    """One section per way of painting a background, flat colours throughout so that every
    painted pixel can be computed: solid colours, transparency, gradients of each mode, a
    texture mixed with a gradient and the colour, texture draw modes, a masked texture, corner
    images, plain and masked borders, and JPEG patterns under and over 90,000 pixels."""
    s = Skin("TestSections")
    s.set("GLOBALINFO", "VERSION", "7.0")
    s.master("MASTER.BMP")
    s.set("GLOBALINFO", "COLOR", "$00D0E0F0")

    def colour(section, key, name, value):
        s.set(section, key, "$%08X" % skin_colour(value))
        consts.colour(name, value)

    def flat_gradient(first, second, mode):
        return "$%08X;$%08X;100;%d;0" % (skin_colour(first), skin_colour(second), mode)

    colour("SOLID", "COLOR", "SectSolid", 0x336699)
    colour("SOLID", "HOTCOLOR", "SectSolidHot", 0x996633)
    colour("TRANS40", "COLOR", "SectTrans40", 0x20A0E0)
    s.set("TRANS40", "TRANSPARENCY", "40")
    s.set("TRANS40", "HOTTRANSPARENCY", "100")
    colour("TRANS100", "COLOR", "SectTrans100", 0x808080)
    s.set("TRANS100", "TRANSPARENCY", "100")
    for mode in (0, 1, 2):
        section = "GRAD%d" % mode
        colour(section, "COLOR", "SectGrad%dColor" % mode, 0x102030)
        s.set(section, "GRADIENTPERCENT", "100" if mode < 2 else "60")
        s.set(section, "GRADIENTDATA", flat_gradient(0x000000, 0xFF8040, mode))
    consts.colour("SectGradFirst", 0x000000)
    consts.colour("SectGradSecond", 0xFF8040)

    # 30 % texture under a 50 % flat gradient, then 20 % colour.
    colour("MIX", "COLOR", "SectMixColor", 0xC8C8C8)
    s.set("MIX", "IMAGEPERCENT", "30")
    s.set("MIX", "GRADIENTPERCENT", "50")
    s.set("MIX", "GRADIENTDATA", flat_gradient(0x6496C8, 0x6496C8, 0))
    consts.colour("SectMixGradient", 0x6496C8)
    s.texture("MIX", "PATTERN", Canvas(4, 4, rgb(0x0A1428)), 0)
    consts.colour("SectMixTexture", 0x0A1428)

    # A 3 x 2 tile of six colours, tiled over the rect (mode 0) or along the top (mode 2).
    tile = Canvas(3, 2)
    for index in range(6):
        value = 0x100000 * (index + 1) + 0x0020 * index + 0x05
        tile.put(index % 3, index // 3, rgb(value))
        consts.colour("SectTile%d" % index, value)
    for mode in (0, 2, 7):
        section = "TEXMODE%d" % mode
        colour(section, "COLOR", "SectTex%dColor" % mode, 0xE0E0E0)
        s.set(section, "IMAGEPERCENT", "100")
        rect = s.texture(section, "PATTERN", tile, mode)
    consts.rect("SectTile", rect)

    # A masked 4 x 4 tile of one colour with a hole at its top-left pixel, mode 10.
    grid = [[rgb(0x40C040)] * 4 for _ in range(4)]
    grid[0][0] = None
    colour("MASKTEX", "COLOR", "SectMaskTexColor", 0xFFFFFF)
    consts.colour("SectMaskTexInk", 0x40C040)
    s.set("MASKTEX", "IMAGEPERCENT", "100")
    s.texture("MASKTEX", "PATTERN", StateImage([grid], 1).canvas(), 10, mask_type=1)

    # Corner images: 3 x 3, their top-left pixel the key colour.
    colour("CORNERS", "COLOR", "SectCornersColor", 0x404040)
    for key, value in (("IMGTOPLEFT", 0xFF0000), ("IMGTOPRIGHT", 0x00FF00),
                       ("IMGBTMLEFT", 0x0000FF), ("IMGBTMRIGHT", 0xFFFF00)):
        grid = [[rgb(value)] * 3 for _ in range(3)]
        grid[0][0] = None
        s.glyph("CORNERS", key, StateImage([grid], 0))
        consts.colour("SectCorner" + key[3:], value)

    # Nine-piece borders of two states, without and with mask rows; key-colour corners.
    for section, mask in (("PLAINBORDER", 0), ("MASKBORDER", 1)):
        colour(section, "COLOR", "Sect%sColor" % section.title().replace("border", "Border"),
               0xF0F0F0)
        rect = s.border(section, "BORDERSMASK", StateImage(flat_states(FLAT_BUTTON), mask),
                        (3, 3, 3, 3))
        consts.rect("Sect%sMask" % section.title().replace("border", "Border"), rect)

    # Everything at once, for the speed measurements: a texture under a gradient and the colour,
    # inside a masked border whose centre is painted too.
    colour("FULL", "COLOR", "SectFullColor", 0x808080)
    s.set("FULL", "IMAGEPERCENT", "30")
    s.set("FULL", "GRADIENTPERCENT", "50")
    s.set("FULL", "GRADIENTDATA", flat_gradient(0x204060, 0xC0E0FF, 0))
    s.texture("FULL", "PATTERN", tile, 0)
    s.border("FULL", "BORDERSMASK", StateImage(flat_states(FLAT_BUTTON, 24, 24), 1), (6, 6, 6, 6),
             draw_mode=4)

    # Patterns: a small JPEG becomes a texture, a large one stays a pattern.
    for section, name, size, value in (("SMALLJPG", "SMALL.JPG", (40, 30), 0x5A8C3C),
                                       ("BIGJPG", "BIG.JPG", (320, 290), 0x3C5A8C)):
        colour(section, "COLOR", "Sect%sColor" % section.title(), 0xFFFFFF)
        s.set(section, "IMAGEPERCENT", "100")
        s.files[name] = jpeg_bytes(Canvas(size[0], size[1], rgb(value)))
        s.set(section, "PATTERN", name)
        consts.colour("Sect%sInk" % section.title(), value)
        consts.int("Sect%sWidth" % section.title(), size[0])
        consts.int("Sect%sHeight" % section.title(), size[1])
    return s


# Scroll-bar parts: normal, hot and pressed, each a fill with a contrasting 1-px edge.
SCROLL_BUTTON = [(0xF0C080, 0x000080), (0xF08040, 0x008000), (0xF08040, 0x800000)]
SCROLL_THUMB = [(0x8080FF, 0x002040), (0x4040C0, 0x204000), (0x4040C0, 0x400020)]


def scroll_skin(consts):
    """The skinned scroll bars' sections in flat colours: four track halves, arrow buttons and
    thumbs whose 1-px edges tell their state, glyphs of one colour per state, a size grip and
    the section of the window the bars belong to. Buttons and thumbs have a key-colour pixel at
    their top-left corner, where what lies under them shows through."""
    s = Skin("TestScroll")
    s.set("GLOBALINFO", "VERSION", "7.0")
    s.master("MASTER.BMP")

    def colour(section, key, name, value):
        s.set(section, key, "$%08X" % skin_colour(value))
        consts.colour(name, value)

    colour("GLOBALINFO", "COLOR", "ScrollGlobalColor", 0xD0E0F0)
    colour("EDIT", "COLOR", "ScrollWindowColor", 0xE8E4DC)
    colour("EDIT", "HOTCOLOR", "ScrollWindowHotColor", 0xE8E4DC)
    grip = [[rgb(0x20A0A0)] * 4 for _ in range(4)]
    s.glyph("GLOBALINFO", "GRIPIMAGE", StateImage([grip], 0))
    consts.colour("ScrollGripColor", 0x20A0A0)
    consts.int("ScrollGripSize", 4)

    tracks = (("SCROLLBAR1H", "Track1H", 0x3060C0, 0x1040A0),
              ("SCROLLBAR2H", "Track2H", 0x60C030, 0x40A010),
              ("SCROLLBAR1V", "Track1V", 0xC03060, 0xA01040),
              ("SCROLLBAR2V", "Track2V", 0xC0C030, 0xA0A010))
    for section, name, normal, hot in tracks:
        colour(section, "COLOR", "Scroll%s" % name, normal)
        colour(section, "HOTCOLOR", "Scroll%sHot" % name, hot)

    arrows = [[[rgb(value)] * 5 for _ in range(5)] for value in (0x101010, 0x505050, 0x909090)]
    for section in ("SCROLLBTNLEFT", "SCROLLBTNRIGHT", "SCROLLBTNTOP", "SCROLLBTNBOTTOM"):
        s.set(section, "COLOR", "$%08X" % skin_colour(SCROLL_BUTTON[0][0]))
        s.set(section, "HOTCOLOR", "$%08X" % skin_colour(SCROLL_BUTTON[1][0]))
        s.border(section, "BORDERSMASK", StateImage(flat_states(SCROLL_BUTTON), 0), (1, 1, 1, 1))
        s.glyph(section, "GLYPHMASK", StateImage(arrows, 0))
    # The left button's frame decides the skinned arrow length of horizontal bars.
    s.set("SCROLLBTNLEFT", "RESERVEDBOOLEAN", "TRUE")
    consts.int("ScrollButtonFrame", 9)
    consts.int("ScrollArrowGlyph", 5)
    for index, value in enumerate((0x101010, 0x505050, 0x909090)):
        consts.colour("ScrollArrowGlyph%d" % index, value)

    thumbs = [[[rgb(value)] * 3 for _ in range(3)] for value in (0xFFFF00, 0xFF8000, 0x00FFFF)]
    for section in ("SCROLLSLIDERH", "SCROLLSLIDERV"):
        s.set(section, "COLOR", "$%08X" % skin_colour(SCROLL_THUMB[0][0]))
        s.set(section, "HOTCOLOR", "$%08X" % skin_colour(SCROLL_THUMB[1][0]))
        s.border(section, "BORDERSMASK", StateImage(flat_states(SCROLL_THUMB), 0), (1, 1, 1, 1))
        s.glyph(section, "GLYPHMASK", StateImage(thumbs, 0))
    consts.int("ScrollThumbGlyph", 3)
    for index, value in enumerate((0xFFFF00, 0xFF8000, 0x00FFFF)):
        consts.colour("ScrollThumbGlyph%d" % index, value)
    for kind, states in (("Button", SCROLL_BUTTON), ("Thumb", SCROLL_THUMB)):
        for index, (fill, edge) in enumerate(states):
            consts.colour("Scroll%sFill%d" % (kind, index), fill)
            consts.colour("Scroll%sEdge%d" % (kind, index), edge)
    return s


def controls_skin(consts):
    """The sections of the skinned controls, flat colours throughout: buttons, edits, check and
    radio boxes with their glyphs, group boxes, panels (plain, bordered, translucent, with their
    own font colour), combo boxes and a glowing button. Every box has the four corner pixels
    transparent and a 1-px edge; each state has its own fill and edge."""
    s = Skin("TestControls")
    s.set("GLOBALINFO", "VERSION", "7.0")
    s.master("MASTER.BMP")
    s.set("GLOBALINFO", "COLOR", "$%08X" % skin_colour(0xD0E0F0))
    s.set("GLOBALINFO", "FONTCOLOR", "$%08X" % skin_colour(0x102030))
    consts.colour("CtlGlobalColor", 0xD0E0F0)
    consts.colour("CtlGlobalFontColor", 0x102030)

    def colour(section, key, name, value):
        s.set(section, key, "$%08X" % skin_colour(value))
        consts.colour(name, value)

    def boxes(looks, size):
        return [box(size, size, rgb(fill), rgb(edge), radius=2) for fill, edge in looks]

    def border(section, name, looks, size=9, width=3):
        s.border(section, "BORDERSMASK", StateImage(boxes(looks, size), 1), (width,) * 4)
        for index, (fill, edge) in enumerate(looks):
            consts.colour("%sFill%d" % (name, index), fill)
            consts.colour("%sEdge%d" % (name, index), edge)
        consts.int("%sBorder" % name, width)

    # Push buttons: the centre shows the section's colour (hot and pressed take HOTCOLOR), the
    # border pieces the state's own fill.
    colour("BUTTON", "COLOR", "CtlButtonColor", 0x3050A0)
    colour("BUTTON", "HOTCOLOR", "CtlButtonHotColor", 0x50A030)
    colour("BUTTON", "FONTCOLOR", "CtlButtonFont", 0xFFFFFF)
    colour("BUTTON", "HOTFONTCOLOR", "CtlButtonHotFont", 0x101010)
    s.set("BUTTON", "FADINGENABLED", "true")
    s.set("BUTTON", "FADINGITERATIONS", "5")
    s.set("BUTTON", "SHOWFOCUS", "true")
    border("BUTTON", "CtlButton", [(0x3050A0, 0xFFE000), (0x50A030, 0x0000E0),
                                   (0xA03050, 0x00E0E0)])
    # A button that glows: a ring 4 px wide of one colour, half opaque, its centre clear.
    s.set("GLOWBUTTON", "PARENTCLASS", "BUTTON")
    s.set("GLOWBUTTON", "GLOW", "1")
    s.set("GLOWBUTTON", "GLOWMARGIN", "2")
    glow = Canvas(12, 12, (0x40, 0x80, 0xC0, 0x80), alpha=True)
    glow.fill(4, 4, 8, 8, (0, 0, 0, 0))
    s.files["GLOW.PNG"] = png_bytes(glow)
    s.set("GLOWBUTTON", "GLOW0", "!GLOW.PNG!1!0!3!4!4!4!4")
    consts.colour("CtlGlowColor", 0x4080C0)
    consts.int("CtlGlowAlpha", 0x80)
    consts.int("CtlGlowWidth", 4)
    consts.int("CtlGlowMargin", 2)

    colour("EDIT", "COLOR", "CtlEditColor", 0xF8F4E8)
    colour("EDIT", "HOTCOLOR", "CtlEditHotColor", 0xE0F8E0)
    colour("EDIT", "FONTCOLOR", "CtlEditFont", 0x000080)
    colour("EDIT", "HOTFONTCOLOR", "CtlEditHotFont", 0x800000)
    border("EDIT", "CtlEdit", [(0xF8F4E8, 0x604020), (0xE0F8E0, 0x20A020)], width=2)

    for section, name, value, hot in (("CHECKBOX", "CtlCheck", 0xE8E0D0, 0xF0E8D8),
                                      ("RADIOBUTTON", "CtlRadio", 0xD0E8E0, 0xD8F0E8)):
        colour(section, "COLOR", name + "Color", value)
        colour(section, "HOTCOLOR", name + "HotColor", hot)
        colour(section, "FONTCOLOR", name + "Font", 0x203040)
        colour(section, "HOTFONTCOLOR", name + "HotFont", 0x402030)
        s.set(section, "FADINGENABLED", "true")
        s.set(section, "FADINGITERATIONS", "4")
    # Glyphs of 13 px in three states: each kind and state its own fill, one edge per kind.
    glyphs = (("BOXCHECKED", "CtlBoxChecked", 0x000080, (0x2020C0, 0x4040E0, 0x6060F0)),
              ("BOXUNCHECKED", "CtlBoxUnchecked", 0x008000, (0xF0F0F0, 0xE0FFE0, 0xC0F0C0)),
              ("BOXGRAYED", "CtlBoxGrayed", 0x404040, (0x909090, 0xA0A0A0, 0xB0B0B0)),
              ("RADIOCHECKED", "CtlRadioChecked", 0x800000, (0xC02020, 0xE04040, 0xF06060)),
              ("RADIOUNCHECKED", "CtlRadioUnchecked", 0x808000, (0xFFFFF0, 0xFFFFC0, 0xF0F0A0)))
    for key, name, edge, fills in glyphs:
        s.glyph("GLOBALINFO", key, StateImage(boxes([(f, edge) for f in fills], 13), 1))
        consts.colour(name + "Edge", edge)
        for index, fill in enumerate(fills):
            consts.colour("%sFill%d" % (name, index), fill)
    consts.int("CtlGlyphSize", 13)

    colour("GROUPBOX", "COLOR", "CtlGroupColor", 0xD8D8E8)
    colour("GROUPBOX", "FONTCOLOR", "CtlGroupFont", 0x602060)
    border("GROUPBOX", "CtlGroup", [(0xD8D8E8, 0x206020)])

    colour("PANEL", "COLOR", "CtlPanelColor", 0xC8D0D8)
    colour("PANEL", "FONTCOLOR", "CtlPanelFont", 0x303030)
    colour("PANELBORDER", "COLOR", "CtlPanelBorderColor", 0xB0C0D0)
    border("PANELBORDER", "CtlPanelBorder", [(0xB0C0D0, 0x405060)])
    colour("PANELTRANS", "COLOR", "CtlPanelTransColor", 0x20A0E0)
    s.set("PANELTRANS", "TRANSPARENCY", "40")
    # A panel whose children write in its own font colour.
    colour("FONTPANEL", "COLOR", "CtlFontPanelColor", 0xF0E8D8)
    colour("FONTPANEL", "FONTCOLOR", "CtlFontPanelFont", 0x800080)
    s.set("FONTPANEL", "GIVEOWNFONT", "TRUE")
    # A section a label paints under its text.
    colour("LABELBACK", "COLOR", "CtlLabelBackColor", 0xFFE0C0)
    colour("LABELBACK", "FONTCOLOR", "CtlLabelBackFont", 0x006060)

    colour("COMBOBOX", "COLOR", "CtlComboColor", 0xFCFCF0)
    s.set("COMBOBOX", "HOTCOLOR", "$%08X" % skin_colour(0xFCFCF0))
    colour("COMBOBOX", "FONTCOLOR", "CtlComboFont", 0x004000)
    border("COMBOBOX", "CtlCombo", [(0xFCFCF0, 0x505050), (0xFCFCF0, 0x5050C0)])
    s.glyph("COMBOBOX", "GLYPHMASK",
            StateImage([box(7, 4, rgb(v)) for v in (0x101080, 0x108010, 0x801010)], 0))
    consts.colour("CtlComboGlyph0", 0x101080)
    consts.colour("CtlComboGlyph1", 0x108010)
    consts.colour("CtlComboGlyph2", 0x801010)
    colour("COMBOBTN", "COLOR", "CtlComboBtnColor", 0xC0C0E0)
    colour("COMBOBTN", "HOTCOLOR", "CtlComboBtnHotColor", 0xC0E0C0)
    border("COMBOBTN", "CtlComboBtn", [(0xC0C0E0, 0x303060), (0xC0E0C0, 0x306030),
                                       (0xE0C0C0, 0x603030)], width=2)
    return s


def strict_skins():
    """Small skins each holding one value that the strict conversion refuses."""
    bad = {
        "StrictShadow": ("GLOBALINFO", "SHADOW1BLUR", "abc"),
        "StrictGlow": ("GLOBALINFO", "BICONCLOSEGLOW", "1.5"),
        "StrictGlyph": ("BUTTON", "GLYPHMASK", "@00x1@0000@0010@0010@1@0"),
        "StrictHash": ("BUTTON", "BORDERSMASK", "#(a,0,10,10)(1,0)"),
    }
    skins = []
    for name, (section, key, value) in sorted(bad.items()):
        s = Skin(name)
        s.set("GLOBALINFO", "VERSION", "7.0")
        s.master("MASTER.BMP")
        s.border("BUTTON", "BORDERSMASK", StateImage(flat_states(FLAT_BUTTON), 1), (3, 3, 3, 3))
        s.set(section, key, value)
        skins.append(s)
    return skins


def hostile_archives(flat):
    """Archives a reader must refuse without harm. The name says what is wrong."""
    entries = flat.entries()
    good = archive_bytes(entries)
    options, master = entries[0], entries[1]

    def entry(name, data, size=None, stream=None):
        encoded = name.encode("cp1252")
        return (struct.pack("<i", len(encoded)) + encoded +
                struct.pack("<i", len(data) if size is None else size) +
                (zlib.compress(data, 9) if stream is None else stream))

    def archive(count, *parts):
        return b"ASzf" + struct.pack("<i", count) + b"".join(parts)

    first = entry(*options)
    corrupt = bytearray(zlib.compress(master[1], 9))
    corrupt[20:28] = b"\xff" * 8
    result = {
        "Empty": b"",
        "ShortMagic": b"ASz",
        "BadMagic": b"ASzg" + good[4:],
        "TruncatedHeader": good[:6],
        "TruncatedStream": good[: len(good) - 200],
        "TruncatedName": archive(1, struct.pack("<i", 11) + b"Optio"),
        "HugeCount": archive(0x7FFFFFFF, first),
        "NegativeCount": archive(-1, first),
        "HugeNameLength": archive(1, struct.pack("<i", 0x7FFFFFF0) + b"Options.dat"),
        "NegativeNameLength": archive(1, struct.pack("<i", -5) + b"Options.dat"),
        "HugeSize": archive(1, entry(options[0], options[1], size=0x7FFFFFFF)),
        "NegativeSize": archive(1, entry(options[0], options[1], size=-1)),
        "SizeBeyondData": archive(1, entry(options[0], options[1], size=len(options[1]) + 10)),
        "CorruptStream": archive(2, first, entry(master[0], master[1], stream=bytes(corrupt))),
        "NoOptions": archive(1, entry(*master)),
    }
    return result
