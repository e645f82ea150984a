"""Shapes the skins are drawn from: boxes with crisp 1-px borders and rounded corners, and
small icons drawn from pixel pictures. A shape is a grid (rows of (r, g, b) or None for
background) as StateImage takes it.
"""


def _inside(x, y, w, h, radius):
    """Whether pixel (x, y) lies in a w x h box whose corners are rounded by `radius`."""
    if radius <= 0:
        return True
    cx = radius - 0.5 if x < radius else (w - radius - 0.5 if x >= w - radius else None)
    cy = radius - 0.5 if y < radius else (h - radius - 0.5 if y >= h - radius else None)
    if cx is None or cy is None:
        return True
    return (x - cx) ** 2 + (y - cy) ** 2 <= (radius - 0.15) ** 2


def box(w, h, fill, border=None, radius=0, edges="ltrb"):
    """A box filled with `fill`, its outline in `border` on the named edges (l, t, r, b)."""
    grid = [[None] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            if not _inside(x, y, w, h, radius):
                continue
            grid[y][x] = fill
    if border is None:
        return grid
    for y in range(h):
        for x in range(w):
            if grid[y][x] is None:
                continue
            out_l = x == 0 or grid[y][x - 1] is None
            out_r = x == w - 1 or grid[y][x + 1] is None
            out_t = y == 0 or grid[y - 1][x] is None
            out_b = y == h - 1 or grid[y + 1][x] is None
            on_edge = ((out_l and "l" in edges) or (out_r and "r" in edges) or
                       (out_t and "t" in edges) or (out_b and "b" in edges))
            # Rounded corners keep their outline whichever edges are drawn.
            corner = (out_l or out_r) and (out_t or out_b) and radius > 0
            if on_edge or (corner and (("l" in edges or "r" in edges) and
                                       ("t" in edges or "b" in edges))):
                grid[y][x] = border
    return grid


def picture(rows, ink, background=None, extra=None):
    """A grid from text rows: '#' is ink, '+' the extra colour, anything else background."""
    grid = []
    for row in rows:
        line = []
        for ch in row:
            if ch == "#":
                line.append(ink)
            elif ch == "+" and extra is not None:
                line.append(extra)
            else:
                line.append(background)
        grid.append(line)
    return grid


def overlay(base, top, x0=0, y0=0):
    """`top` drawn over a copy of `base` at (x0, y0); None pixels of `top` leave `base`."""
    result = [list(row) for row in base]
    for y, row in enumerate(top):
        for x, pixel in enumerate(row):
            if pixel is not None and 0 <= y + y0 < len(result) and 0 <= x + x0 < len(result[0]):
                result[y + y0][x + x0] = pixel
    return result


def centred(base, top):
    x0 = (len(base[0]) - len(top[0])) // 2
    y0 = (len(base) - len(top)) // 2
    return overlay(base, top, x0, y0)


ICONS = {
    "close": ["#.......#", ".#.....#.", "..#...#..", "...#.#...", "....#....",
              "...#.#...", "..#...#..", ".#.....#.", "#.......#"],
    "max": ["#########", "#.......#", "#.......#", "#.......#", "#.......#",
            "#.......#", "#.......#", "#.......#", "#########"],
    "norm": ["..#######", "..#.....#", "#######.#", "#.....#.#", "#.....#.#",
             "#.....###", "#.....#..", "#.....#..", "#######.."],
    "min": [".........", ".........", ".........", ".........", "#########",
            ".........", ".........", ".........", "........."],
    "help": ["..#####..", ".#.....#.", ".......#.", "......#..", "....##...",
             "....#....", ".........", "....#....", "....#...."],
    "check": [".........#", "........##", ".......##.", "#.....##..", "##...##...",
              ".##.##....", "..###.....", "...#......"],
    "dot": [".##.", "####", "####", ".##."],
    "up": ["...#...", "..###..", ".##.##.", "##...##"],
    "down": ["##...##", ".##.##.", "..###..", "...#..."],
    "left": ["...#", "..##", ".##.", "##..", ".##.", "..##", "...#"],
    "right": ["#...", "##..", ".##.", "..##", ".##.", "##..", "#..."],
    "grip": ["......#", ".......", "....#.#", ".......", "..#.#.#", ".......", "#.#.#.#"],
    "dash": ["#######", "#######"],
}


def icon(name, ink, background=None, extra=None):
    return picture(ICONS[name], ink, background, extra)


def circle(size, fill, border):
    """A disc of `size` px with a 1-px outline, drawn as a fully rounded box."""
    return box(size, size, fill, border, radius=size // 2)
