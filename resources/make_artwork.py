#!/usr/bin/env python3
"""Draws all of Tobrin's artwork: toolbar, tool and settings icons, the
application icon in several sizes and the Tav device picture.

Run from anywhere:  python3 resources/make_artwork.py
Needs only Python 3 and PIL (Pillow).  The output is deterministic.

Icons are drawn at pixel level.  Every shape is described in a 16-unit
(or 32-unit for the application icon) continuous coordinate space; a pixel
belongs to a shape when its centre lies inside it.  The same description
therefore rasterises cleanly at 16x16 and at 32x32 (the @2x variant), and
each shape gets a 1-pixel dark outline at either size.
"""

import math
import os

from PIL import Image, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))

# --------------------------------------------------------------------------
# Palette
# --------------------------------------------------------------------------
OUT = (38, 42, 54)          # outline
INK = (24, 24, 28)          # "black" picture ink
PAPER = (250, 251, 252)
PAPER2 = (220, 225, 232)    # paper shade
LINES = (160, 170, 186)     # text lines on paper
METAL = (196, 202, 212)
METAL_L = (232, 236, 242)
METAL_D = (138, 146, 160)
BLUE = (66, 128, 222)
BLUE_L = (150, 192, 246)
BLUE_D = (40, 90, 172)
SKY = (162, 206, 248)
YEL = (252, 206, 84)
YEL_L = (255, 234, 156)
YEL_D = (220, 158, 44)
ORANGE = (232, 134, 40)
RED = (222, 76, 68)
RED_L = (246, 140, 128)
GREEN = (96, 178, 86)
GREEN_L = (156, 214, 130)
GREEN_D = (56, 126, 58)
BROWN = (186, 128, 76)
BROWN_L = (214, 164, 110)
WOOD = (244, 206, 156)
PINK = (240, 140, 152)
CHECK = (206, 211, 219)     # checkerboard dark square
GHOST = (200, 206, 216)     # "empty" line

# Tav colours
LCD = (125, 145, 120)
LCD_INK = (65, 64, 69)
LCD_EDGE = (104, 122, 100)
BODY = (74, 84, 110)
BODY_L = (104, 116, 146)
BODY_D = (54, 61, 82)
BEZEL = (34, 37, 47)
BERRY = (206, 70, 98)
BERRY_L = (238, 122, 142)
KEY = (40, 42, 52)


# --------------------------------------------------------------------------
# Shape predicates in continuous logical coordinates
# --------------------------------------------------------------------------
def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def rrect(x0, y0, x1, y1, r):
    def f(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return f


def ellipse(cx, cy, rx, ry=None):
    ry = rx if ry is None else ry
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def poly(pts):
    def f(x, y):
        inside = False
        n = len(pts)
        for i in range(n):
            ax, ay = pts[i]
            bx, by = pts[(i + 1) % n]
            if (ay > y) != (by > y):
                xi = ax + (y - ay) * (bx - ax) / (by - ay)
                if x < xi:
                    inside = not inside
        return inside
    return f


def seg(ax, ay, bx, by, w):
    def f(x, y):
        dx, dy = bx - ax, by - ay
        L2 = dx * dx + dy * dy
        t = 0 if L2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / L2))
        px, py = ax + t * dx, ay + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (w / 2.0) ** 2
    return f


def union(*fs):
    return lambda x, y: any(f(x, y) for f in fs)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def inter(a, b):
    return lambda x, y: a(x, y) and b(x, y)


# --------------------------------------------------------------------------
# Canvas
# --------------------------------------------------------------------------
class Canvas:
    def __init__(self, n, units=16):
        self.n = n
        self.s = n / units        # pixels per logical unit
        self.k = max(1, n // units)
        self.im = Image.new("RGBA", (n, n), (0, 0, 0, 0))
        self.px = self.im.load()

    def mask(self, pred):
        s = self.s
        return {(x, y) for y in range(self.n) for x in range(self.n)
                if pred((x + 0.5) / s, (y + 0.5) / s)}

    def put(self, x, y, col, alpha=255):
        if 0 <= x < self.n and 0 <= y < self.n:
            if len(col) == 4:
                col, alpha = col[:3], col[3]
            if alpha == 255:
                self.px[x, y] = tuple(col) + (255,)
            else:
                r, g, b, a = self.px[x, y]
                na = alpha + a * (255 - alpha) // 255
                if na == 0:
                    return
                mix = [int(round((c * alpha + o * a * (255 - alpha) / 255) / na))
                       for c, o in zip(col, (r, g, b))]
                self.px[x, y] = tuple(mix) + (na,)

    def shape(self, pred, fill, out=OUT, t=1, hl=None, sh=None):
        """Fills a shape with a t-pixel outline.  fill: colour or f(x, y)
        in pixel coordinates.  hl / sh: colours of the inner pixels along
        the top-left / bottom-right edge (a small bevel)."""
        m = pred if isinstance(pred, set) else self.mask(pred)
        inner = set(m)
        for _ in range(t):
            inner = {(x, y) for (x, y) in inner
                     if (x - 1, y) in inner and (x + 1, y) in inner
                     and (x, y - 1) in inner and (x, y + 1) in inner}
        for (x, y) in m:
            if (x, y) not in inner:
                if out is not None:
                    self.put(x, y, out)
                continue
            if hl is not None and ((x - 1, y) not in inner or (x, y - 1) not in inner):
                c = hl
            elif sh is not None and ((x + 1, y) not in inner or (x, y + 1) not in inner):
                c = sh
            else:
                c = fill(x, y) if callable(fill) else fill
            if c is not None:
                self.put(x, y, c)
        return m

    def fill(self, pred, col):
        m = pred if isinstance(pred, set) else self.mask(pred)
        for (x, y) in m:
            c = col(x, y) if callable(col) else col
            if c is not None:
                self.put(x, y, c)
        return m

    def pixels(self, pts, col):
        for (x, y) in pts:
            self.put(x, y, col)


def bresenham(x0, y0, x1, y1):
    pts = []
    dx, dy = abs(x1 - x0), -abs(y1 - y0)
    sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
    err = dx + dy
    while True:
        pts.append((x0, y0))
        if x0 == x1 and y0 == y1:
            return pts
        e2 = 2 * err
        if e2 >= dy:
            err += dy
            x0 += sx
        if e2 <= dx:
            err += dx
            y0 += sy


PAL = {
    "o": OUT, "w": PAPER, "s": PAPER2, "l": LINES, "i": INK,
    "y": YEL, "Y": YEL_L, "d": YEL_D, "r": ORANGE,
    "b": BLUE, "B": BLUE_L, "D": BLUE_D, "k": SKY,
    "g": GREEN, "G": GREEN_L, "h": GREEN_D,
    "m": METAL, "M": METAL_L, "n": METAL_D,
    "R": RED, "p": RED_L, "c": BROWN, "C": BROWN_L, "W": WOOD, "P": PINK,
    "L": LCD, "I": LCD_INK, "v": BODY, "V": BODY_L, "u": BODY_D, "z": BEZEL,
    "e": BERRY, "E": BERRY_L,
}


def pixmap(c, rows, dx=0, dy=0):
    """Hand-placed pixels: one character per pixel, '.' is transparent."""
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch != ".":
                c.put(x + dx, y + dy, PAL[ch])


# --------------------------------------------------------------------------
# Frame toolbar icons
# --------------------------------------------------------------------------
def text_lines(c, x0, x1, rows, col=LINES):
    """Short grey text lines on a page (logical coordinates)."""
    for i, r in enumerate(rows):
        end = x1 if i % 2 == 0 else x1 - 2
        c.fill(rect(x0, r, end, r + 1.0 / c.k), col)


NEW_16 = [
    "..ooooooo.......",
    "..owwwwwoo......",
    "..owwwwwoso.....",
    "..owwwwwosso....",
    "..owwwwwooooo...",
    "..owwwwwwwwwo...",
    "..owwwwwwwwwo...",
    "..owwwwwwwwwo...",
    "..owwwwwwwwwr...",
    "..owwwwwwwwryr..",
    "..owwwwwwwryYyr.",
    "..owwwwwwwwryr..",
    "..owwwwwwwwwr...",
    "..owwwwwwwwwo...",
    "..ossssssssso...",
    "..ooooooooooo...",
]


def icon_new(c):
    if c.k == 1:
        pixmap(c, NEW_16)
        return
    page = poly([(2.5, 1), (9.5, 1), (13.5, 5), (13.5, 15), (2.5, 15)])
    c.shape(page, PAPER, sh=PAPER2)
    c.shape(poly([(9.5, 1), (9.5, 5), (13.5, 5)]), PAPER2)
    text_lines(c, 4.5, 11.5, [7, 8.5, 10])
    star = union(lambda x, y: abs(x - 12.5) / 3.6 + abs(y - 11.5) / 1.3 <= 1,
                 lambda x, y: abs(x - 12.5) / 1.3 + abs(y - 11.5) / 3.6 <= 1)
    c.shape(star, YEL, out=ORANGE)
    c.fill(rect(12, 11, 13, 12), YEL_L)


OPEN_16 = [
    "................",
    "................",
    ".oooo...........",
    "oddddooooooooo..",
    "oddddddddddddo..",
    "odwwwwwwwwwwdo..",
    "odwlllllllwwdo..",
    "odwooooooooooooo",
    "oddoYYYYYYYYYYYo",
    "odoyyyyyyyyyyyo.",
    "odoyyyyyyyyyyyo.",
    "ooyyyyyyyyyyyo..",
    "ooyyyyyyyyyyyo..",
    "oyyyyyyyyyyyo...",
    "ooooooooooooo...",
    "................",
]


def icon_open(c):
    if c.k == 1:
        pixmap(c, OPEN_16)
        return
    back = union(rrect(0.5, 2.5, 6.5, 5.5, 0.7), rect(0.5, 4, 13.5, 14.5))
    c.shape(back, YEL_D)
    c.shape(rect(2.5, 5.5, 12.5, 10), PAPER)
    text_lines(c, 4, 11, [7, 8.5])
    front = poly([(3.5, 7.5), (15.8, 7.5), (13.2, 14.5), (0.5, 14.5)])
    c.shape(front, YEL, hl=YEL_L)


def icon_save(c):
    body = poly([(1, 1), (12.5, 1), (15, 3.5), (15, 15), (1, 15)])
    c.shape(body, BLUE, hl=BLUE_L, sh=BLUE_D)
    c.shape(rect(4, 1, 11.5, 6.5), METAL, hl=METAL_L)
    c.shape(rect(8, 2, 10, 5.5), BLUE_D, out=BLUE_D)
    c.shape(rect(3, 8.5, 13, 15), PAPER)
    if c.k > 1:
        c.fill(rect(4.5, 10.5, 11.5, 11), LINES)
        c.fill(rect(4.5, 12.5, 11.5, 13), LINES)


def icon_import(c):
    frame = rect(4, 1.5, 16, 14.5)
    c.shape(frame, SKY)
    inner = rect(4 + 1.0 / c.k, 1.5 + 1.0 / c.k, 16 - 1.0 / c.k, 14.5 - 1.0 / c.k)
    c.fill(inter(inner, ellipse(12.6, 5.0, 1.7)), YEL)
    c.fill(inter(inner, ellipse(9.5, 17.0, 8, 6.0)), GREEN)
    c.fill(inter(inner, ellipse(16.5, 15.6, 5.0, 4.6)), GREEN_D)
    # arrow into the picture
    arrow = union(rect(0, 7, 6, 10), poly([(5, 3.5), (10.5, 8.5), (5, 13.5)]))
    c.shape(arrow, GREEN, hl=GREEN_L if c.k > 1 else None)


CUT_16 = [
    "................",
    "...o........o...",
    "...oo......oo...",
    "...omo....omo...",
    "....omo..omo....",
    ".....omoomo.....",
    "......omMo......",
    "......oMmo......",
    ".....omoomo.....",
    "....omo..omo....",
    ".oooo......oooo.",
    "opRRRo....opRRRo",
    "oR..Ro....oR..Ro",
    "oR..Ro....oR..Ro",
    "oRRRRo....oRRRRo",
    ".oooo......oooo.",
]


def icon_cut(c):
    if c.k == 1:
        pixmap(c, CUT_16)
        return
    blade_a = seg(5.3, 10, 11.2, 1.4, 2.0)
    blade_b = seg(10.7, 10, 4.8, 1.4, 2.0)
    c.shape(blade_b, METAL, hl=METAL_L)
    c.shape(blade_a, METAL, hl=METAL_L)
    c.fill(ellipse(8, 6.6, 0.55), OUT)
    for cx in (4.3, 11.7):
        ring = minus(ellipse(cx, 12, 3.2, 3.0), ellipse(cx, 12, 1.3, 1.2))
        c.shape(ring, RED, hl=RED_L)


def icon_copy(c):
    for (x0, y0) in ((1, 1), (6, 5)):
        c.shape(rect(x0 + 0.5, y0 + 0.5, x0 + 9.5, y0 + 10.5), PAPER, sh=PAPER2)
    rows = [7.5, 9.5, 11.5] if c.k == 1 else [7.5, 9, 10.5, 12, 13.5]
    text_lines(c, 8, 13.5, rows, BLUE_L if c.k == 1 else LINES)


def icon_paste(c):
    c.shape(rrect(1.5, 2.5, 14.5, 15.5, 1.2), BROWN, hl=BROWN_L)
    c.shape(rect(4, 4.5, 12, 14), PAPER, sh=PAPER2)
    rows = [7.5, 9.5, 11.5] if c.k == 1 else [7.5, 9, 10.5, 12]
    text_lines(c, 5.5, 10.5, rows, BLUE_L if c.k == 1 else LINES)
    c.shape(rrect(5, 1, 11, 4.5, 0.8), METAL, hl=METAL_L)
    if c.k > 1:
        c.fill(rect(7, 1.5, 9, 2), OUT)


TOOLBAR = {
    "new": icon_new, "open": icon_open, "save": icon_save,
    "import": icon_import, "cut": icon_cut, "copy": icon_copy,
    "paste": icon_paste,
}


def disabled(im):
    """A greyed, lighter, lower-contrast version of an icon."""
    out = im.copy()
    px = out.load()
    w, h = out.size
    for y in range(h):
        for x in range(w):
            r, g, b, a = px[x, y]
            if a == 0:
                continue
            lum = 0.299 * r + 0.587 * g + 0.114 * b
            v = int(round(150 + lum * 0.36))
            px[x, y] = (v, v, min(255, v + 3), int(a * 0.85))
    return out


# --------------------------------------------------------------------------
# Tool icons
# --------------------------------------------------------------------------
def icon_selection(c):
    k = c.k
    x0, y0, x1, y1 = 1 * k, 2 * k, 15 * k - 1, 14 * k - 1
    c.fill(rect(1, 2, 15, 14), (BLUE_L[0], BLUE_L[1], BLUE_L[2], 90))
    per = []
    per += [(x, y0) for x in range(x0, x1 + 1)]
    per += [(x1, y) for y in range(y0 + 1, y1 + 1)]
    per += [(x, y1) for x in range(x1 - 1, x0 - 1, -1)]
    per += [(x0, y) for y in range(y1 - 1, y0, -1)]
    dash = 3 * k if k > 1 else 2
    gap = 2 * k if k > 1 else 2
    for i, (x, y) in enumerate(per):
        on = (i % (dash + gap)) < dash
        col = OUT if on else PAPER
        for d in range(k):           # thickness k, inward
            xx = x + (d if x == x0 else -d if x == x1 else 0)
            yy = y + (d if y == y0 else -d if y == y1 else 0)
            c.put(xx, yy, col)


def icon_pen(c):
    # pencil from the tip at bottom left to the end at top right
    ax, ay, bx, by = 1.2, 14.8, 14.6, 1.4
    L = math.hypot(bx - ax, by - ay)
    ux, uy = (bx - ax) / L, (by - ay) / L
    hw = 2.35

    def local(x, y):
        dx, dy = x - ax, y - ay
        return dx * ux + dy * uy, -dx * uy + dy * ux

    def inside(x, y):
        u, v = local(x, y)
        if u < 0 or u > L:
            return False
        if u < 4.6:
            return abs(v) <= hw * u / 4.6 + 0.25
        return abs(v) <= hw

    def col(x, y):
        u, v = local(x / c.s + 0.5 / c.s, y / c.s + 0.5 / c.s)
        if u < 1.9:
            return OUT
        if u < 4.6:
            return WOOD
        if u < L - 3.6:
            return YEL_L if v < -0.6 else (YEL_D if v > 0.9 else YEL)
        if u < L - 2.4:
            return METAL
        return PINK
    c.shape(inside, col)


def icon_line(c):
    k = c.k
    a, b = 3 * k + (k - 1) // 2, 12 * k + (k - 1) // 2
    pts = bresenham(a, b, b, a)
    for (x, y) in pts:
        for dx in range(k):
            c.put(x + dx, y, OUT)
    for (cx, cy) in ((2.5, 13.5), (13.5, 2.5)):
        c.shape(rect(cx - 1.5, cy - 1.5, cx + 1.5, cy + 1.5), PAPER)


def icon_box(c):
    c.shape(rect(1.5, 3, 14.5, 13), BLUE_L, t=c.k)


def icon_circle(c):
    c.shape(ellipse(8, 8, 6.8), BLUE_L, t=c.k)


FILL_16 = [
    "................",
    "......oooo......",
    ".....o....o.....",
    "....o.ooo..o....",
    "....oobBBo.o....",
    "...oMobbbBoo....",
    "..oMmmobbbBo....",
    ".oMmmmmobbbo....",
    ".oMmmmmmoobbo...",
    ".oMmmmmmmnobo...",
    "..oMmmmmnnobo...",
    "...oMmmnno.obo..",
    "....onnno..obo..",
    ".....ooo..obBbo.",
    "..........obbbo.",
    "...........ooo..",
]


def icon_fill(c):
    # a bucket tipped 45 degrees to the right, paint running over its lip
    if c.k == 1:
        pixmap(c, FILL_16)
        return
    r2 = math.sqrt(0.5)
    mx, my = 8.6, 6.4                # centre of the mouth

    def local(x, y):                 # u across the mouth, w into the bucket
        dx, dy = x - mx, y - my
        return (dx + dy) * r2, (dy - dx) * r2

    def body(x, y):
        u, w = local(x, y)
        if 0 <= w <= 6.0:
            return abs(u) <= 4.3 - 0.9 * w / 6.0
        return (u / 3.4) ** 2 + ((w - 6.0) / 1.2) ** 2 <= 1 if w > 6.0 else False

    def mouth(x, y):
        u, w = local(x, y)
        return (u / 4.3) ** 2 + (w / 1.7) ** 2 <= 1

    if c.k > 1:
        def handle(x, y):
            u, w = local(x, y)
            e1 = (u / 4.9) ** 2 + ((w - 0.5) / 5.6) ** 2
            e2 = (u / 3.8) ** 2 + ((w - 0.5) / 4.5) ** 2
            return w < 0.5 and e1 <= 1 and e2 > 1
        c.shape(handle, METAL_D)
    c.shape(union(body, mouth), METAL, hl=METAL_L, sh=METAL_D)
    c.shape(mouth, BLUE, hl=BLUE_L if c.k > 1 else None)
    ex, ey = mx + 4.3 * r2, my + 4.3 * r2   # lower end of the lip
    stream = union(seg(ex - 0.6, ey - 0.8, ex + 0.6, ey + 1.2, 1.8),
                   seg(ex + 0.6, ey + 1.2, ex + 0.6, ey + 3.6, 1.5),
                   ellipse(ex + 0.6, ey + 4.6, 1.6, 1.8))
    c.shape(stream, BLUE, hl=BLUE_L if c.k > 1 else None)


def icon_ellipse(c):
    c.shape(ellipse(8, 8, 7, 4.6), BLUE_L, t=c.k)


def icon_text(c):
    # A capital A: two legs, a crossbar, and the counter above it open.
    outer = poly([(0.8, 15), (6.2, 1), (9.8, 1), (15.2, 15), (11.2, 15), (10.1, 12), (5.9, 12), (4.8, 15)])
    counter = poly([(6.9, 9), (8, 5.4), (9.1, 9)])
    c.shape(minus(outer, counter), BLUE_L, t=c.k)


TOOLS = {
    "selection": icon_selection, "pen": icon_pen, "line": icon_line,
    "box": icon_box, "circle": icon_circle, "fill": icon_fill,
    "ellipse": icon_ellipse, "text": icon_text,
}


# --------------------------------------------------------------------------
# Settings icons
# --------------------------------------------------------------------------
def drop_shape():
    return union(ellipse(8, 10.2, 4.6),
                 lambda x, y: 1.0 <= y <= 10.2 and abs(x - 8) <= 4.6 * (y - 1.0) / 9.2 * 1.08)


def icon_drop(c, kind):
    def col(x, y):
        lx = (x + 0.5) / c.s
        if kind == "black":
            return INK
        if kind == "white":
            return PAPER
        return INK if lx < 8 else PAPER
    c.shape(drop_shape(), col)
    # glint
    glint = (METAL_D if kind == "black" else PAPER2) if kind != "reverse" else METAL_D
    c.fill(inter(ellipse(6.2, 10.0, 0.75, 1.4), drop_shape()), glint)


def line_swatch(c, pattern, colour=INK):
    c.shape(rect(0, 3, 16, 13), PAPER)
    for lx in range(1, 15):
        if pattern(lx):
            c.fill(rect(lx, 7, lx + 1, 9), colour)


LINE_STYLES = [
    lambda x: True,                                   # 04 solid
    lambda x: True,                                   # 05 empty (ghost)
    lambda x: x in (1, 2, 5, 6, 9, 10, 13, 14),       # 06 dotted
    lambda x: x in (1, 2, 3, 6, 7, 8, 9, 12, 13, 14),  # 07 dashed
    lambda x: x in (1, 2, 3, 4, 7, 8, 11, 12, 13, 14),  # 08 dot - dash
]


FILL_PATTERNS = [
    lambda x, y: True,                                        # 09 solid
    None,                                                     # 10 transparent
    lambda x, y: (y - 2) % 3 == 1,                            # 11 horizontal
    lambda x, y: (x - 2) % 3 == 1,                            # 12 vertical
    lambda x, y: (y - 2) % 3 == 1 or (x - 2) % 3 == 1,        # 13 cross
    lambda x, y: (x + y) % 4 == 3,                            # 14 diagonal left
    lambda x, y: (x - y) % 4 == 0,                            # 15 diagonal right
    lambda x, y: (x + y) % 4 == 0 or (x - y) % 4 == 0,        # 16 cross diagonal
]


def fill_swatch(c, pattern):
    k = c.k

    def col(x, y):
        lx, ly = x // k, y // k
        if pattern is None:
            return CHECK if ((lx // 2) + (ly // 2)) % 2 else PAPER
        return INK if pattern(lx, ly) else PAPER
    c.shape(rect(1, 1, 15, 15), col)


def icon_mirror(c):
    # Two halves of a shape about a dashed vertical axis.
    c.shape(poly([(1.5, 3), (6.5, 8), (1.5, 13)]), BLUE_L, t=c.k)
    c.shape(poly([(14.5, 3), (9.5, 8), (14.5, 13)]), BLUE_L, t=c.k)
    for y0 in (1, 5, 9, 13):
        c.fill(rect(7.5, y0, 8.5, y0 + 2), INK)


def icon_white_transparent(c):
    k = c.k

    def chk(x, y):
        lx, ly = x // k, y // k
        return CHECK if ((lx // 2) + (ly // 2)) % 2 else PAPER
    c.shape(rect(4, 4, 16, 16), chk)
    c.shape(rect(0, 0, 11, 11), PAPER, sh=PAPER2)


def settings_icons():
    fns = [lambda c: icon_drop(c, "black"),
           lambda c: icon_drop(c, "white"),
           lambda c: icon_drop(c, "reverse")]
    for i, p in enumerate(LINE_STYLES):
        fns.append((lambda p, i: lambda c: line_swatch(c, p, GHOST if i == 1 else INK))(p, i))
    for p in FILL_PATTERNS:
        fns.append((lambda p: lambda c: fill_swatch(c, p))(p))
    return {"%02d" % (i + 1): f for i, f in enumerate(fns)}


# --------------------------------------------------------------------------
# Application icon: the Tav with a picture on its display and a pencil
# (designed in a 32-unit space)
# --------------------------------------------------------------------------
HEART = ["..XX.XX..",
         ".XXXXXXX.",
         ".XXXXXXX.",
         "..XXXXX..",
         "...XXX...",
         "....X...."]


def lcd_picture(w, h):
    """A w x h monochrome picture for the icon's display."""
    pic = [[0] * w for _ in range(h)]
    oy = (h - len(HEART)) // 2
    ox = 1
    for r, row in enumerate(HEART):
        for q, ch in enumerate(row):
            if ch == "X" and 0 <= oy + r < h and 0 <= ox + q < w:
                pic[oy + r][ox + q] = 1
    return pic


APP_16 = [
    "................",
    "................",
    ".oooooooooooooo.",
    "oVVVVVVVVVVVVVVo",
    "ozzzzzzzzzzzzvvo",
    "ozLLLLLLLLLLzvvo",
    "ozLLIILIILLLzveo",
    "ozLLIIIIILLLzvvo",
    "ozLLLIIILLLLzevo",
    "ozLLLLILLLLLzvvo",
    "ozzzzzzzzzzzzvvo",
    "ovvvvvvvvvvvvvvo",
    "ouuuuuuuuuuuuuuo",
    ".oooooooooooooo.",
    "................",
    "................",
]


def app_icon_16():
    c = Canvas(16)
    pixmap(c, APP_16)
    return c.im


def app_icon(n):
    if n == 16:
        return app_icon_16()
    ss = 4 if n >= 128 else 1
    N = n * ss
    c = Canvas(N, units=32)
    t = max(1, int(round(n / 32.0))) * ss if n >= 64 else ss
    unit = c.s  # pixels per unit
    c.shape(rrect(0.5, 5.5, 31.5, 27, 3.2), BODY, t=t,
            hl=None, sh=None)
    # bevel: lighter top half band
    c.fill(inter(rrect(0.5, 5.5, 31.5, 27, 3.2), rect(0.5 + t / unit, 5.5 + t / unit,
                                                       31.5 - t / unit, 6.5 + t / unit)), BODY_L)
    c.fill(inter(rrect(0.5, 5.5, 31.5, 27, 3.2), rect(0.5 + t / unit, 26 - t / unit,
                                                       31.5 - t / unit, 27 - t / unit)), BODY_D)
    c.shape(rrect(3, 8, 23, 22.5, 1.2), BEZEL, t=t)
    # display: 2:1, picture cells of an integer pixel size
    lx0, ly0, lx1, ly1 = 5, 10, 21, 20.5
    c.fill(rect(lx0, ly0, lx1, ly1), LCD)
    px0, py0 = int(math.ceil(lx0 * unit)), int(math.ceil(ly0 * unit))
    pw, ph = int(lx1 * unit) - px0, int(ly1 * unit) - py0
    cell = max(1, n // 32) * ss
    cols, rows = min(16, pw // cell), min(10, ph // cell)
    pic = lcd_picture(cols, rows)
    offx = px0 + (pw - cols * cell) // 2
    offy = py0 + (ph - rows * cell) // 2
    for r in range(rows):
        for q in range(cols):
            if pic[r][q]:
                for yy in range(cell):
                    for xx in range(cell):
                        c.put(offx + q * cell + xx, offy + r * cell + yy, LCD_INK)
    # buttons
    c.shape(ellipse(26, 12, 1.9), BERRY, t=t if n >= 64 else ss, hl=BERRY_L if n >= 64 else None)
    c.shape(ellipse(28, 16, 1.9), BERRY, t=t if n >= 64 else ss, hl=BERRY_L if n >= 64 else None)
    if n >= 48:
        for i in range(3):
            c.fill(rect(6 + i * 2.2, 24, 7.2 + i * 2.2, 25.2), BODY_D)
    # pencil lying across the lower right corner, tip on the display
    ax, ay, bx, by = 18.5, 18.5, 31.2, 31.2
    L = math.hypot(bx - ax, by - ay)
    ux, uy = (bx - ax) / L, (by - ay) / L
    hw = 2.6

    def local(x, y):
        dx, dy = x - ax, y - ay
        return dx * ux + dy * uy, -dx * uy + dy * ux

    def inside(x, y):
        u, v = local(x, y)
        if u < 0 or u > L:
            return False
        if u < 5.0:
            return abs(v) <= hw * u / 5.0 + 0.3
        return abs(v) <= hw

    def col(x, y):
        u, v = local((x + 0.5) / unit, (y + 0.5) / unit)
        if u < 2.0:
            return OUT
        if u < 5.0:
            return WOOD
        if u < L - 3.8:
            return YEL_D if v < -0.9 else (YEL_L if v > 0.9 else YEL)
        if u < L - 2.6:
            return METAL
        return PINK
    c.shape(inside, col, t=t)
    im = c.im
    if ss > 1:
        im = im.convert("RGBa").resize((n, n), Image.BOX).convert("RGBA")
    return im


# --------------------------------------------------------------------------
# Device picture, 290 x 182
# --------------------------------------------------------------------------
# The display window is the rectangle left 57, top 25, width 173, height 104
# (x 57..229, y 25..128 inclusive).  The device preview stretches the whole
# picture so that this rectangle lies exactly under its 240 x 120 display.
# The rectangle is filled with the clear colour (125, 145, 120); the glass
# keeps that colour 3 pixels further on every side so that smoothing while
# stretching never mixes the bezel into the display's edge.
DEV_W, DEV_H = 290, 182
BACKDROP = (214, 217, 222)
DISP = (57, 25, 173, 104)

FONT = {
    "T": ["XXXXX", "..X..", "..X..", "..X..", "..X..", "..X..", "..X.."],
    "A": [".XXX.", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"],
    "V": ["X...X", "X...X", "X...X", "X...X", ".X.X.", ".X.X.", "..X.."],
}


def device_picture():
    S = 4
    W, H = DEV_W * S, DEV_H * S
    # Opaque: the corners outside the rounded body show a neutral backdrop
    # so that the picture never depends on what is painted beneath it.
    im = Image.new("RGBA", (W, H), BACKDROP + (255,))
    d = ImageDraw.Draw(im)

    def R(x0, y0, x1, y1):      # pixel-space box (inclusive edges) scaled
        return [x0 * S, y0 * S, (x1 + 1) * S - 1, (y1 + 1) * S - 1]

    # body with a darker rim and a lighter face
    d.rounded_rectangle(R(0, 0, 289, 181), radius=24 * S, fill=BEZEL)
    d.rounded_rectangle(R(2, 2, 287, 179), radius=22 * S, fill=BODY_D)
    d.rounded_rectangle(R(3, 2, 286, 176), radius=21 * S, fill=BODY)
    d.rounded_rectangle(R(4, 3, 285, 30), radius=20 * S, fill=BODY_L)
    d.rounded_rectangle(R(4, 6, 285, 174), radius=19 * S, fill=BODY)
    # bezel around the display
    d.rounded_rectangle(R(43, 13, 243, 141), radius=9 * S, fill=BODY_D)
    d.rounded_rectangle(R(44, 14, 242, 139), radius=8 * S, fill=BEZEL)
    # power lamp on the bezel
    d.ellipse(R(47, 32, 51, 36), fill=(120, 220, 110))
    # d-pad
    cx, cy = 26, 78
    d.ellipse(R(cx - 21, cy - 21, cx + 21, cy + 21), fill=BODY_D)
    d.rounded_rectangle(R(cx - 17, cy - 5, cx + 17, cy + 5), radius=2 * S, fill=KEY)
    d.rounded_rectangle(R(cx - 5, cy - 17, cx + 5, cy + 17), radius=2 * S, fill=KEY)
    d.ellipse(R(cx - 3, cy - 3, cx + 3, cy + 3), fill=(52, 55, 67))
    tri = [((cx, cy - 15), (cx - 3, cy - 10), (cx + 3, cy - 10)),
           ((cx, cy + 15), (cx - 3, cy + 10), (cx + 3, cy + 10)),
           ((cx - 15, cy), (cx - 10, cy - 3), (cx - 10, cy + 3)),
           ((cx + 15, cy), (cx + 10, cy - 3), (cx + 10, cy + 3))]
    for t3 in tri:
        d.polygon([(x * S + S // 2, y * S + S // 2) for (x, y) in t3], fill=(80, 84, 100))
    # A and B buttons
    for (bx, by) in ((260, 94), (273, 66)):
        d.ellipse(R(bx - 11, by - 11, bx + 11, by + 11), fill=BODY_D)
        d.ellipse(R(bx - 9, by - 9, bx + 9, by + 9), fill=BERRY)
        d.ellipse(R(bx - 7, by - 8, bx + 4, by - 1), fill=BERRY_L)
        d.ellipse(R(bx - 6, by - 6, bx + 8, by + 8), fill=BERRY)
    # select / start
    for x0 in (104, 146):
        d.rounded_rectangle(R(x0 - 1, 155, x0 + 31, 167), radius=6 * S, fill=BODY_D)
        d.rounded_rectangle(R(x0 + 1, 157, x0 + 29, 165), radius=4 * S, fill=KEY)
    # speaker grille
    for i in range(6):
        x = 234 + i * 8
        d.line([(x * S, 172 * S), ((x + 12) * S, 142 * S)], fill=BODY_D, width=3 * S)
        d.line([(x * S + S, 172 * S), ((x + 12) * S + S, 142 * S)], fill=BEZEL, width=S)
    # "TAV" label under the display
    lx, ly, sc = 24, 147, 2
    for i, ch in enumerate("TAV"):
        for r, row in enumerate(FONT[ch]):
            for q, v in enumerate(row):
                if v == "X":
                    x, y = lx + i * 12 + q * sc, ly + r * sc
                    d.rectangle(R(x, y, x + sc - 1, y + sc - 1), fill=(206, 212, 228))
    im = im.resize((DEV_W, DEV_H), Image.BOX)
    # glass and display, pixel exact
    d = ImageDraw.Draw(im)
    x, y, w, h = DISP
    d.rectangle([x - 4, y - 4, x + w + 3, y + h + 3], fill=(26, 28, 36))
    d.rectangle([x - 3, y - 3, x + w + 2, y + h + 2], fill=LCD)
    d.line([(x - 3, y - 3), (x + w + 2, y - 3)], fill=LCD_EDGE)
    d.line([(x - 3, y - 3), (x - 3, y + h + 2)], fill=LCD_EDGE)
    d.rectangle([x, y, x + w - 1, y + h - 1], fill=LCD)
    px = im.load()
    assert all(px[i, j][:3] == LCD for i in range(x, x + w) for j in range(y, y + h))
    return im


# --------------------------------------------------------------------------
# Output
# --------------------------------------------------------------------------
def render(fn, n):
    c = Canvas(n)
    fn(c)
    return c.im


def save(im, rel):
    path = os.path.join(HERE, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    im.save(path, optimize=True)
    return rel


def main():
    files = []
    for name, fn in TOOLBAR.items():
        for n, suffix in ((16, ""), (32, "@2x")):
            im = render(fn, n)
            files.append(save(im, "icons/toolbar/%s%s.png" % (name, suffix)))
            files.append(save(disabled(im), "icons/toolbar/disabled/%s%s.png" % (name, suffix)))
    for name, fn in TOOLS.items():
        for n, suffix in ((16, ""), (32, "@2x")):
            files.append(save(render(fn, n), "icons/tools/%s%s.png" % (name, suffix)))
    sett = settings_icons()
    sett["transparent"] = icon_white_transparent
    sett["mirror"] = icon_mirror
    for name, fn in sett.items():
        for n, suffix in ((16, ""), (32, "@2x")):
            files.append(save(render(fn, n), "icons/settings/%s%s.png" % (name, suffix)))
    for n in (16, 32, 48, 64, 128, 256):
        files.append(save(app_icon(n), "icons/app/tobrin-%d.png" % n))
    files.append(save(device_picture().convert("RGB"), "device/tav.png"))

    with open(os.path.join(HERE, "resources.qrc"), "w") as f:
        f.write('<!DOCTYPE RCC>\n<RCC version="1.0">\n<qresource prefix="/">\n')
        for rel in sorted(files):
            f.write("    <file>%s</file>\n" % rel)
        f.write("</qresource>\n</RCC>\n")
    print("wrote %d images" % len(files))


if __name__ == "__main__":
    main()
