#!/usr/bin/env python3
"""Draws the installer's skins (res/images/<id>.png) and the program icon (res/app.ico).

The installer window is pixel-drawn from these PNGs at 1:1, so every picture keeps the pixel
size, frame grid and transparency that the window code places it with; the outputs are
committed and the build only embeds them. Needs Debian's python3-pil and fonts-wqy-microhei.

    python3 res/tools/make_art.py            rewrite the files that changed
    python3 res/tools/make_art.py --check    draw into a temporary folder and compare
    python3 res/tools/make_art.py --out DIR  write the set under DIR instead (images/, app.ico)

The drawing is deterministic: shapes are rendered supersampled and box-filtered, text uses the
basic layout engine, and nothing depends on time or randomness. --check compares decoded
pixels, so a different zlib that packs the same picture into other bytes still passes.
"""

import io
import math
import os
import struct
import sys
import tempfile

try:
    from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont
except ImportError:  # pragma: no cover - a non-Debian interpreter first on PATH
    if os.path.realpath(sys.executable) != os.path.realpath("/usr/bin/python3") and \
            os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    sys.exit("make_art.py needs PIL (apt-get install python3-pil)")

RES_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
REPO_DIR = os.path.dirname(RES_DIR)
FONT_FILE = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
SS = 8  # supersampling factor of every shape
# The density of the set being drawn: 1 for images/, 2 for images/2x/. Every drawing is written
# in 1x coordinates; new(), D(), P(), mask() and the other helpers draw them at K times the
# pixels, so the 2x set is drawn at its own resolution, never enlarged from the 1x one.
K = 1

# The look: a dark navy window, bright blue actions, orange for hints.
NAVY_DEEP = (8, 14, 31)
NAVY = (15, 26, 54)
NAVY_HIGH = (30, 50, 96)
EDGE = (58, 88, 148)
LINE_DARK = (5, 9, 22)
BLUE = (36, 128, 250)
CYAN = (92, 214, 255)
ORANGE = (255, 178, 62)
WHITE = (255, 255, 255)
TEXT_GREY = (200, 200, 200)


# --------------------------------------------------------------------------- drawing kit

def font(px):
    return ImageFont.truetype(FONT_FILE, px, index=0, layout_engine=ImageFont.Layout.BASIC)


def site_display_name():
    """The site's display name as the program shows it (kSite's second field)."""
    path = os.path.join(REPO_DIR, "config", "site_record.cpp")
    with open(path, encoding="utf-8") as f:
        src = f.read()
    body = src[src.index("kSite"):]
    strings = []
    i = 0
    while len(strings) < 2:
        i = body.index('L"', i) + 2
        j = body.index('"', i)
        strings.append(body[i:j])
        i = j + 1
    return strings[1]


def P(*values):
    """1x coordinates (a point or a box) in pixels of the set being drawn."""
    return tuple(int(round(v * K)) for v in values)


def new(mode, size, colour=0):
    """An image of a 1x size, in pixels of the set being drawn."""
    return Image.new(mode, (size[0] * K, size[1] * K), colour)


class D:
    """ImageDraw.Draw taking 1x coordinates: a 1x pixel is a K x K block, text is set at K
    times the size."""

    def __init__(self, img):
        self.d = ImageDraw.Draw(img)

    @staticmethod
    def _pixels(box):
        x0, y0, x1, y1 = box
        return [x0 * K, y0 * K, (x1 + 1) * K - 1, (y1 + 1) * K - 1]

    def line(self, xy, fill):
        x0, y0, x1, y1 = xy
        assert x0 == x1 or y0 == y1, "only straight lines scale as blocks"
        self.d.rectangle(self._pixels([min(x0, x1), min(y0, y1), max(x0, x1), max(y0, y1)]),
                         fill=fill)

    def rectangle(self, box, outline):
        self.d.rectangle(self._pixels(box), outline=outline, width=K)

    def ellipse(self, box, fill):
        self.d.ellipse(self._pixels(box), fill=fill)

    def text(self, xy, s, fill, font, anchor=None):
        self.d.text((xy[0] * K, xy[1] * K), s, fill=fill, font=globals()["font"](font.size * K),
                    anchor=anchor)


def lerp(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(round(a[k] + (b[k] - a[k]) * t)) for k in range(len(a)))


def ramp(stops, t):
    """Colour at t of a list of (position, colour) stops."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return lerp(c0, c1, (t - p0) / max(1e-9, p1 - p0))
    return stops[-1][1]


def at1x(i):
    """The 1x coordinate of the centre of pixel i of the set being drawn."""
    return (i + 0.5) / K - 0.5


def vgradient(w, h, stops, y0=0, y1=None):
    """Opaque image whose rows follow the stops from row y0 to row y1."""
    y1 = h - 1 if y1 is None else y1
    col = Image.new("RGBA", (1, h * K))
    col.putdata([ramp(stops, (at1x(y) - y0) / max(1, y1 - y0)) + (255,) for y in range(h * K)])
    return col.resize((w * K, h * K), Image.NEAREST)


def hgradient(w, h, stops):
    row = Image.new("RGBA", (w * K, 1))
    row.putdata([ramp(stops, at1x(x) / max(1, w - 1)) + (255,) for x in range(w * K)])
    return row.resize((w * K, h * K), Image.NEAREST)


def solid(w, h, rgb):
    return Image.new("RGBA", (w, h), tuple(rgb) + (255,))


def mask(size, draw_fn, ss=SS):
    """Coverage mask ('L', 1x) of what draw_fn(ImageDraw, s) paints with 255 at scale s."""
    w, h = size
    big = Image.new("L", (w * ss * K, h * ss * K), 0)
    draw_fn(ImageDraw.Draw(big), ss * K)
    return big.resize((w * K, h * K), Image.BOX)


def rrect_mask(size, box, r, ss=SS):
    x0, y0, x1, y1 = box

    def fn(d, s):
        d.rounded_rectangle([x0 * s, y0 * s, x1 * s - 1, y1 * s - 1], radius=r * s, fill=255)
    return mask(size, fn, ss)


def ring_mask(size, box, r, width=1.0):
    """A stroke of the given width just inside a rounded rectangle."""
    outer = rrect_mask(size, box, r)
    x0, y0, x1, y1 = box
    inner = rrect_mask(size, (x0 + width, y0 + width, x1 - width, y1 - width), max(0, r - width))
    return ImageChops.subtract(outer, inner)


def scale_mask(m, k):
    if k >= 1.0:
        return m
    return m.point(lambda v: int(round(v * k)))


def paint(canvas, fill, m, opacity=1.0):
    """Blends fill (an RGBA image of the canvas' size or an RGB tuple) through mask m."""
    if isinstance(fill, tuple):
        fill = solid(canvas.width, canvas.height, fill)
    layer = fill.copy()
    alpha = ImageChops.multiply(fill.getchannel("A"), scale_mask(m, opacity))
    layer.putalpha(alpha)
    canvas.alpha_composite(layer)


def text_mask(size, xy, s, px, anchor="la"):
    m = new("L", size, 0)
    D(m).text(xy, s, fill=255, font=font(px), anchor=anchor)
    return m


def blur(m, radius):
    return m.filter(ImageFilter.GaussianBlur(radius * K))


def shift(m, dx, dy):
    out = Image.new(m.mode, m.size, 0)
    out.paste(m, P(dx, dy))
    return out


def capsule(d, p0, p1, w, fill, s):
    """A line with round ends, in 1x coordinates, on a draw of scale s."""
    (xa, ya), (xb, yb) = p0, p1
    d.line([xa * s, ya * s, xb * s, yb * s], fill=fill, width=max(1, int(round(w * s))))
    r = w * s / 2.0
    for x, y in (p0, p1):
        d.ellipse([x * s - r, y * s - r, x * s + r, y * s + r], fill=fill)


def strip(frames):
    w, h = frames[0].size
    out = Image.new("RGBA", (w * len(frames), h), (0, 0, 0, 0))
    for i, f in enumerate(frames):
        out.paste(f, (i * w, 0))
    return out


def clear():
    return (0, 0, 0, 0)


# --------------------------------------------------------------------------- window chrome

TITLE_H = 37


def title_band(w):
    """The title bar's ground, shared by the window background and the title bar skin so the
    two columns of the background right of the title bar continue it seamlessly."""
    band = vgradient(w, TITLE_H, [(0.0, (34, 56, 106)), (0.55, (24, 41, 82)),
                                  (1.0, (19, 33, 68))], 0, TITLE_H - 3)
    d = D(band)
    d.line([0, TITLE_H - 2, w, TITLE_H - 2], fill=LINE_DARK + (255,))
    d.line([0, TITLE_H - 1, w, TITLE_H - 1], fill=(34, 54, 96, 255))
    # A soft sheen along the top, brightest in the middle.
    sheen = hgradient(w, 1, [(0.0, (52, 80, 138)), (0.5, (78, 112, 176)), (1.0, (52, 80, 138))])
    band.paste(sheen, P(0, 1))
    return band


def window_border(cv):
    d = D(cv)
    w, h = cv.size
    d.rectangle([0, 0, w - 1, h - 1], outline=EDGE + (255,))


def window_background():  # 1101, 600 x 350, opaque
    w, h = 600, 350
    cv = vgradient(w, h, [(0.0, (20, 33, 66)), (0.35, (15, 26, 54)), (1.0, (9, 16, 35))],
                   TITLE_H, h - 1)
    cv.paste(title_band(w), P(0, 0))

    # The banner area: a deeper panel with a pool of light, the brand faintly in it. The
    # banner page covers it when it loads; without a page this is what the player sees.
    bx0, by0, bx1, by1 = 2, 37, 597, 211
    bw, bh = bx1 - bx0, by1 - by0
    banner = vgradient(bw, bh, [(0.0, (17, 31, 66)), (1.0, (10, 19, 42))])
    light = new("L", (bw, bh), 0)
    D(light).ellipse([bw * 0.18, -bh * 0.55, bw * 0.82, bh * 0.95], fill=255)
    paint(banner, (52, 104, 200), blur(light, 38), 0.55)
    # Faint card suits scattered across the panel: a game lobby is what is being installed.
    suits = new("L", (bw, bh), 0)
    sd = D(suits)
    for i, (x, y, px, ch) in enumerate([(48, 30, 46, "\u2660"), (128, 112, 30, "\u2665"),
                                        (468, 24, 34, "\u2663"), (534, 106, 48, "\u2666"),
                                        (214, 14, 20, "\u2666"), (386, 128, 22, "\u2660")]):
        sd.text((x, y), ch, fill=60 if i % 2 == 0 else 44, font=font(px))
    paint(banner, (120, 160, 230), suits)
    name = site_display_name()
    nm = text_mask((bw, bh), (bw // 2, bh // 2 - 8), name, 44, "mm")
    paint(banner, (70, 130, 240), blur(nm, 8), 0.7)
    paint(banner, (214, 228, 255), nm, 0.85)
    rule = new("L", (bw, bh), 0)
    D(rule).line([bw // 2 - 70, bh // 2 + 22, bw // 2 + 70, bh // 2 + 22], fill=255)
    paint(banner, hgradient(bw, bh, [(0.0, (255, 178, 62)), (0.5, (255, 200, 110)),
                                     (1.0, (255, 178, 62))]),
          ImageChops.multiply(rule, hgradient(bw, bh, [(0.0, (0, 0, 0)), (0.5, (255, 255, 255)),
                                                       (1.0, (0, 0, 0))]).getchannel("R")))
    cv.paste(banner, P(bx0, by0))

    # The seam under the banner: a dark line and a faint highlight.
    d = D(cv)
    d.line([2, 211, 597, 211], fill=LINE_DARK + (255,))
    sheen = hgradient(596, 1, [(0.0, (22, 36, 72)), (0.5, (56, 86, 150)), (1.0, (22, 36, 72))])
    cv.paste(sheen, P(2, 212))

    # The install area: a soft pool of light behind the bar and a darker foot for the tips.
    pool = new("L", (w, h), 0)
    D(pool).ellipse([40, 200, 560, 330], fill=255)
    paint(cv, (40, 74, 140), blur(pool, 40), 0.35)
    foot = vgradient(w, h, [(0.0, (0, 0, 0)), (1.0, (0, 0, 0))])
    fm = vgradient(w, h, [(0.0, (0, 0, 0)), (1.0, (120, 120, 120))], 318, h - 1).getchannel("R")
    fm.paste(0, P(0, 0, w, 318))
    paint(cv, foot, fm)

    window_border(cv)
    # An inner highlight one pixel inside the border, strongest at the top.
    hl = new("L", (w, h), 0)
    D(hl).rectangle([1, 1, w - 2, h - 2], outline=255)
    hl.paste(0, P(2, 37, 597, 212))  # the banner's own edge stays crisp
    paint(cv, vgradient(w, h, [(0.0, (120, 160, 230)), (1.0, (40, 60, 100))]), hl, 0.35)
    return cv.convert("RGB").convert("RGBA")


def banner_overlay():  # 1102, 598 x 200 at (1, 1), mostly transparent
    w, h = 598, 200
    cv = new("RGBA", (w, h), clear())
    # Shade under the title bar and at the banner's sides, so a bright page sits recessed.
    top = vgradient(w, h, [(0.0, (0, 0, 0)), (1.0, (0, 0, 0))])
    m = vgradient(w, h, [(0.0, (150, 150, 150)), (1.0, (0, 0, 0))], 36, 46).getchannel("R")
    m.paste(0, P(0, 0, w, 36))
    m.paste(0, P(0, 46, w, h))
    paint(cv, top, m)
    side = new("L", (w, h), 0)
    sd = D(side)
    for k in range(5):
        a = int(70 * (1.0 - k / 5.0))
        sd.line([1 + k, 36, 1 + k, h], fill=a)
        sd.line([596 - k, 36, 596 - k, h], fill=a)
    paint(cv, (0, 0, 0), side)
    return cv


def red_glow():  # 1103, 598 x 430 at (1, 1), alpha at most 61; the window cuts it at 349
    w, h = 598, 430
    small = Image.new("L", (w * K // 2, h * K // 2), 0)
    px = []
    cx, cy, rx, ry = 300.0, 330.0, 360.0, 200.0
    for y in range(h * K // 2):
        for x in range(w * K // 2):
            d = math.hypot(((2 * x + 1) / K - cx) / rx, ((2 * y + 1) / K - cy) / ry)
            v = max(0.0, 1.0 - d)
            px.append(int(round(58 * v * v * (3 - 2 * v))))
    small.putdata(px)
    a = small.resize((w * K, h * K), Image.BILINEAR)
    cv = new("RGBA", (w, h), (226, 52, 74, 0))
    cv.putalpha(a)
    return cv


def title_bar():  # 1106, 598 x 37 at (0, 0), opaque
    w = 598
    band = title_band(600)
    window_border(band)  # the window's border runs along the top and the left
    cv = band.crop(P(0, 0, w, TITLE_H))
    d = D(cv)
    d.line([0, 0, w - 1, 0], fill=EDGE + (255,))
    d.line([0, 0, 0, TITLE_H - 1], fill=EDGE + (255,))
    # Logo: a blue rounded tile with a light spade.
    size = (w, TITLE_H)
    tile = rrect_mask(size, (10, 8, 31, 29), 5)
    paint(cv, vgradient(w, TITLE_H, [(0.0, (92, 170, 255)), (1.0, (26, 94, 214))], 8, 29), tile)
    paint(cv, WHITE, ring_mask(size, (10, 8, 31, 29), 5), 0.25)
    spade = spade_mask(size, (14.5, 12.0, 26.5, 25.5))
    paint(cv, (0, 30, 90), blur(shift(spade, 0, 1), 0.6), 0.6)
    paint(cv, WHITE, spade)
    # The site's name, with a little lift from a shadow.
    name = site_display_name()
    f = font(17)
    while f.getlength(name) > 62 and f.size > 10:
        f = font(f.size - 1)
    nm = new("L", size, 0)
    D(nm).text((38, 26), name, fill=255, font=f, anchor="ls")
    paint(cv, (0, 0, 0), shift(nm, 0, 1), 0.55)
    paint(cv, (246, 250, 255), nm)
    # Divider before the edition text the window writes at x 105.
    dv = new("L", size, 0)
    D(dv).line([99, 12, 99, 26], fill=255)
    paint(cv, (90, 120, 180), dv, 0.6)
    return cv.convert("RGB").convert("RGBA")


def caption_button(glyph):  # 1107 / 1108, four frames of 34 x 34 at (565, 1) / (530, 1)
    size = (34, 34)
    frames = []
    for state in range(4):
        f = new("RGBA", size, clear())
        o = 1 if state == 2 else 0
        back = rrect_mask(size, (4, 4 + o, 30, 30 + o), 5)
        if state == 1:
            if glyph == "x":
                paint(f, vgradient(34, 34, [(0, (240, 84, 84)), (1, (200, 44, 50))], 4, 30), back)
            else:
                paint(f, WHITE, back, 0.16)
        elif state == 2:
            if glyph == "x":
                paint(f, vgradient(34, 34, [(0, (150, 30, 36)), (1, (186, 42, 48))], 4, 30), back)
            else:
                paint(f, (0, 0, 0), back, 0.35)
                paint(f, WHITE, ring_mask(size, (4, 4 + o, 30, 30 + o), 5), 0.10)
        ink, alpha = [((196, 210, 236), 1.0), (WHITE, 1.0), ((226, 232, 244), 1.0),
                      ((120, 132, 158), 0.7)][state]

        def draw(d, s, o=o):
            if glyph == "x":
                capsule(d, (12.5, 12.5 + o), (21.5, 21.5 + o), 1.7, 255, s)
                capsule(d, (21.5, 12.5 + o), (12.5, 21.5 + o), 1.7, 255, s)
            else:
                capsule(d, (12, 17.5 + o), (22, 17.5 + o), 1.8, 255, s)
        g = mask(size, draw)
        if state in (0, 3):
            paint(f, (0, 0, 0), blur(shift(g, 0, 1), 0.7), 0.5 * alpha)
        paint(f, ink, g, alpha)
        frames.append(f)
    return strip(frames)


# --------------------------------------------------------------------------- buttons

INSTALL_LOOKS = [  # top, bottom, border, glow
    ((84, 166, 255), (22, 102, 232), (12, 62, 160), 0.0),
    ((104, 182, 255), (36, 124, 248), (20, 84, 190), 0.45),
    ((24, 90, 204), (34, 114, 232), (8, 46, 124), 0.0),
    ((118, 126, 142), (84, 92, 108), (60, 66, 80), 0.0),
]


def glossy_button(size, box, r, look, pressed, disabled):
    """A raised rounded button: drop shadow, gradient body, top gloss, inner light line."""
    w, h = size
    top, bottom, border, glow = look
    f = new("RGBA", size, clear())
    x0, y0, x1, y1 = box
    o = 1 if pressed else 0
    body_box = (x0, y0 + o, x1, y1 + o)
    shadow = rrect_mask(size, (x0 + 1, y0 + 2, x1 - 1, y1 + 1 + (0 if pressed else 1)), r)
    paint(f, (0, 4, 16), blur(shadow, 1.6), 0.35 if pressed else 0.55)
    if glow > 0:
        paint(f, (90, 180, 255), blur(rrect_mask(size, body_box, r), 3.0), glow)
    body = rrect_mask(size, body_box, r)
    paint(f, vgradient(w, h, [(0.0, top), (1.0, bottom)], body_box[1], body_box[3] - 1), body)
    if not pressed:
        gloss = ImageChops.multiply(
            rrect_mask(size, (x0 + 1, y0 + 1, x1 - 1, (y0 + y1) // 2 + 1), max(1, r - 1)), body)
        paint(f, WHITE, gloss, 0.08 if disabled else 0.13)
        inner = ring_mask(size, (x0 + 1, y0 + 1, x1 - 1, y1 - 1), max(1, r - 1))
        topline = vgradient(w, h, [(0.0, (255, 255, 255)), (0.5, (0, 0, 0))], y0, y1)
        paint(f, WHITE, ImageChops.multiply(inner, topline.getchannel("R")),
              0.25 if disabled else 0.5)
    else:
        inner = ring_mask(size, (x0 + 1, y0 + 1 + o, x1 - 1, y1 - 1 + o), max(1, r - 1))
        topline = vgradient(w, h, [(0.0, (255, 255, 255)), (0.4, (0, 0, 0))], y0 + o, y1 + o)
        paint(f, (0, 10, 40), ImageChops.multiply(inner, topline.getchannel("R")), 0.45)
    paint(f, border, ring_mask(size, body_box, r), 0.9)
    return f


def install_button():  # 1110, four frames of 148 x 50; the window writes 点击安装 over it
    frames = []
    for state, look in enumerate(INSTALL_LOOKS):
        frames.append(glossy_button((148, 50), (3, 2, 145, 46), 9, look, state == 2, state == 3))
    return strip(frames)


NOTICE_OK_LOOKS = [
    ((84, 166, 255), (22, 102, 232), (12, 62, 160), 0.0),
    ((104, 182, 255), (36, 124, 248), (20, 84, 190), 0.35),
    ((24, 90, 204), (34, 114, 232), (8, 46, 124), 0.0),
    ((104, 110, 124), (78, 84, 98), (56, 60, 72), 0.0),
]
NOTICE_RETRY_LOOKS = [
    ((66, 86, 128), (40, 56, 92), (86, 118, 182), 0.0),
    ((86, 110, 158), (52, 72, 116), (120, 156, 222), 0.25),
    ((30, 42, 72), (44, 60, 98), (70, 98, 156), 0.0),
    ((70, 74, 86), (56, 60, 70), (76, 80, 92), 0.0),
]


def notice_button(label, looks):  # 1118 / 1119, four frames of 89 x 32
    size = (89, 32)
    frames = []
    for state, look in enumerate(looks):
        f = glossy_button(size, (2, 1, 87, 29), 6, look, state == 2, state == 3)
        o = 1 if state == 2 else 0
        t = text_mask(size, (44.5, 15.5 + o), label, 14, "mm")
        ink = (178, 184, 196) if state == 3 else WHITE
        paint(f, (0, 12, 40), shift(t, 0, 1), 0.0 if state == 3 else 0.45)
        paint(f, ink, t, 0.8 if state == 3 else 1.0)
        frames.append(f)
    return strip(frames)


def modify_link():  # 1112, four frames of 25 x 12 reading 修改
    size = (25, 12)
    inks = [(104, 176, 255), (176, 216, 255), (255, 190, 92), (96, 104, 122)]
    frames = []
    for state, ink in enumerate(inks):
        f = new("RGBA", size, clear())
        o = 1 if state == 2 else 0
        t = text_mask(size, (1, 0 + o), "修改", 11)
        t.paste(0, P(0, 11, 25, 12))  # the last row is the underline's
        paint(f, ink, t)
        if state in (1, 2):
            D(f).line([1, 11, 23, 11], fill=ink + (200,))
        frames.append(f)
    return strip(frames)


# --------------------------------------------------------------------------- progress

def progress_track():  # 1111, 540 x 18 at (30, 250); the fill sits 1 in and 2 down
    w, h = 540, 18
    size = (w, h)
    cv = new("RGBA", size, clear())
    outer = rrect_mask(size, (0, 0, w, h), 9)
    paint(cv, (62, 96, 160), outer, 0.55)  # the rim
    groove = rrect_mask(size, (1, 1, w - 1, h - 1), 8)
    cv_groove = vgradient(w, h, [(0.0, (3, 6, 15)), (1.0, (10, 18, 38))], 1, h - 2)
    paint(cv, cv_groove, groove)
    # The groove is shaded at the top: it reads as cut into the panel.
    inset = ImageChops.multiply(ring_mask(size, (1, 1, w - 1, h - 1), 8, 2.0),
                                vgradient(w, h, [(0.0, (255,) * 3), (0.5, (0,) * 3)]).getchannel("R"))
    paint(cv, (0, 0, 0), inset, 0.6)
    lip = ImageChops.multiply(ring_mask(size, (0, 0, w, h), 9),
                              vgradient(w, h, [(0.5, (0,) * 3), (1.0, (255,) * 3)]).getchannel("R"))
    paint(cv, (120, 160, 230), lip, 0.5)
    return cv


def progress_fill():  # 1113, 536 x 14, shown 1:1 from its left edge as it grows
    w, h = 536, 14
    size = (w, h)
    cv = new("RGBA", size, clear())
    body = rrect_mask(size, (0, 0, w, h), 7)
    # Left to right the energy rises from deep blue to bright cyan: any cut of it looks whole.
    # The middle stays deep enough for the light percentage text written across it.
    base = hgradient(w, h, [(0.0, (20, 76, 206)), (0.6, (26, 116, 238)), (1.0, (80, 214, 255))])
    paint(cv, base, body)
    # Rounded volume: light along the top, shade along the bottom.
    shade = vgradient(w, h, [(0.0, (255,) * 3), (0.45, (0,) * 3)]).getchannel("R")
    paint(cv, WHITE, ImageChops.multiply(body, shade), 0.30)
    low = vgradient(w, h, [(0.55, (0,) * 3), (1.0, (255,) * 3)]).getchannel("R")
    paint(cv, (0, 20, 90), ImageChops.multiply(body, low), 0.35)
    # Slanted stripes, faint, for a sense of motion.
    stripes = mask(size, lambda d, s: [d.polygon([((x) * s, h * s), ((x + 7) * s, h * s),
                                                  ((x + 14) * s, 0), ((x + 7) * s, 0)], fill=255)
                                       for x in range(-14, w + 14, 14)])
    paint(cv, WHITE, ImageChops.multiply(stripes, body), 0.09)
    hi = new("L", size, 0)
    D(hi).line([5, 1, w - 6, 1], fill=255)
    paint(cv, WHITE, ImageChops.multiply(hi, body), 0.35)
    return cv


# --------------------------------------------------------------------------- the runner

SKIN = (252, 214, 178)
SKIN_BACK = (206, 160, 128)
SHIRT = (255, 164, 46)
SHIRT_SHADE = (222, 118, 22)
SHORTS = (46, 92, 196)
SHOE = (246, 248, 255)
SHOE_BACK = (178, 190, 214)
HAIR = (74, 44, 32)
OUTLINE = (6, 12, 32)


def _limb(origin, a1, l1, a2, l2):
    """Joint positions of a two-segment limb; angles are from straight down, forward positive."""
    x0, y0 = origin
    x1, y1 = x0 + l1 * math.sin(a1), y0 + l1 * math.cos(a1)
    return (x1, y1), (x1 + l2 * math.sin(a2), y1 + l2 * math.cos(a2))


def runner_pose(i):
    """Angles of frame i: frame 0 stands, frames 1..17 are one running stride pair."""
    if i == 0:
        return dict(bob=0.6, lean=0.03, legs=[(0.12, 0.02), (-0.10, 0.0)],
                    arms=[(0.18, 0.45), (-0.20, 0.35)])
    ph = 2.0 * math.pi * (i - 1) / 17.0
    legs, arms = [], []
    for side in (0.0, math.pi):
        p = ph + side
        thigh = 0.62 * math.sin(p)
        # The knee folds most while the leg swings forward and is nearly straight at contact.
        fold = 0.18 + 1.45 * max(0.0, math.cos(p + 0.35)) ** 1.4
        legs.append((thigh, fold))
        arms.append((-1.0 * math.sin(p), 1.5 + 0.3 * math.sin(p)))
    return dict(bob=-1.2 * max(0.0, -math.cos(2.0 * ph)) + 0.6 * max(0.0, math.cos(2.0 * ph)),
                lean=0.20, legs=legs, arms=arms)


def runner_frame(i):
    size = (25, 41)
    pose = runner_pose(i)
    bob = pose["bob"]
    lean = pose["lean"]
    hip = (11.0, 25.0 + bob)
    torso_len = 8.6
    neck = (hip[0] + torso_len * math.sin(lean), hip[1] - torso_len * math.cos(lean))
    shoulder = (neck[0] - 0.2, neck[1] + 1.6)
    head = (neck[0] + 1.1, neck[1] - 4.9)
    big = Image.new("RGBA", (size[0] * SS * K, size[1] * SS * K), clear())
    d = ImageDraw.Draw(big)
    s = SS * K

    def leg(k, front):
        thigh, fold = pose["legs"][k]
        knee, ankle = _limb(hip, thigh, 6.8, thigh - fold, 7.2)
        skin = (SKIN if front else SKIN_BACK) + (255,)
        capsule(d, hip, knee, 2.9, skin, s)
        capsule(d, knee, ankle, 2.5, skin, s)
        # Shoe: pointing along the foot, a little forward of the ankle.
        toe_a = thigh - fold + math.pi / 2.0 + 0.15
        toe = (ankle[0] + 2.6 * math.sin(toe_a), ankle[1] + 2.6 * math.cos(toe_a))
        capsule(d, ankle, toe, 2.5, (SHOE if front else SHOE_BACK) + (255,), s)
        # Shorts over the upper thigh.
        capsule(d, hip, (hip[0] + 3.4 * math.sin(thigh), hip[1] + 3.4 * math.cos(thigh)), 4.0,
                (SHORTS if front else (30, 62, 140)) + (255,), s)

    def arm(k, front):
        upper, bend = pose["arms"][k]
        elbow, hand = _limb(shoulder, upper, 4.6, upper + bend, 4.2)
        skin = (SKIN if front else SKIN_BACK) + (255,)
        capsule(d, shoulder, elbow, 2.1, skin, s)
        capsule(d, elbow, hand, 2.0, skin, s)
        sleeve = (shoulder[0] + 2.0 * math.sin(upper), shoulder[1] + 2.0 * math.cos(upper))
        capsule(d, shoulder, sleeve, 3.0, (SHIRT if front else SHIRT_SHADE) + (255,), s)
        r = 1.25 * s
        d.ellipse([hand[0] * s - r, hand[1] * s - r, hand[0] * s + r, hand[1] * s + r], fill=skin)

    arm(1, False)
    leg(1, False)
    capsule(d, (hip[0] + 0.1, hip[1] - 0.8), (neck[0], neck[1] + 0.6), 6.0, SHIRT + (255,), s)
    # Shorts' waistband and a stripe across the shirt.
    capsule(d, (hip[0] - 2.2, hip[1] + 0.2), (hip[0] + 2.2, hip[1] + 0.2), 2.4, SHORTS + (255,), s)
    mid = ((hip[0] + neck[0]) / 2.0, (hip[1] + neck[1]) / 2.0 + 0.2)
    capsule(d, (mid[0] - 2.3, mid[1] + 0.4), (mid[0] + 2.4, mid[1] - 0.3), 1.2,
            (255, 236, 200, 255), s)
    leg(0, True)
    # Head: face, hair cap on the back and top, an eye looking ahead.
    hr = 4.9
    hx, hy = head
    d.ellipse([(hx - hr) * s, (hy - hr) * s, (hx + hr) * s, (hy + hr) * s], fill=SKIN + (255,))
    d.pieslice([(hx - hr - 0.3) * s, (hy - hr - 0.5) * s, (hx + hr + 0.3) * s,
                (hy + hr + 0.1) * s], 145, 345, fill=HAIR + (255,))
    d.ellipse([(hx + 1.5) * s, (hy - 0.5) * s, (hx + 2.8) * s, (hy + 1.1) * s],
              fill=(30, 24, 30, 255))
    arm(0, True)
    fig = big.resize((size[0] * K, size[1] * K), Image.BOX)

    # A dark outline keeps the figure readable over the bright fill and the dark track alike.
    a = fig.getchannel("A")
    ring = a.filter(ImageFilter.MaxFilter(2 * K + 1))
    out = new("RGBA", size, OUTLINE + (0,))
    out.putalpha(scale_mask(ring, 0.85))
    shadow = new("RGBA", size, clear())
    sm = mask(size, lambda dd, ss: dd.ellipse([4 * ss, 38.8 * ss, 19 * ss, 40.9 * ss], fill=255))
    paint(shadow, (0, 0, 0), sm, 0.35 if i else 0.45)
    shadow.alpha_composite(out)
    shadow.alpha_composite(fig)
    return shadow


def runner():  # 1114, eighteen frames of 25 x 41
    return strip([runner_frame(i) for i in range(18)])


# --------------------------------------------------------------------------- panels

def tip_line():  # 1115, 416 x 18 at (91, 326); the window writes from x 130 (here 39)
    w, h = 416, 18
    size = (w, h)
    cv = new("RGBA", size, clear())
    pill = rrect_mask(size, (0, 0, w, h), 9)
    fade = hgradient(w, h, [(0.0, (255,) * 3), (0.75, (200,) * 3), (1.0, (60,) * 3)])
    paint(cv, (2, 5, 14), ImageChops.multiply(pill, fade.getchannel("R")), 0.55)
    rim = ImageChops.multiply(ring_mask(size, (0, 0, w, h), 9), fade.getchannel("R"))
    paint(cv, (90, 124, 190), rim, 0.35)
    # A lit bulb before the orange 新手提示：.
    bulb = mask(size, lambda d, s: (d.ellipse([19 * s, 2.6 * s, 29 * s, 12.6 * s], fill=255),
                                    d.rectangle([21.6 * s, 10 * s, 26.4 * s, 13.6 * s], fill=255)))
    paint(cv, ORANGE, blur(bulb, 2.0), 0.6)
    paint(cv, vgradient(w, h, [(0.0, (255, 222, 140)), (1.0, (255, 166, 40))], 2, 14), bulb)
    base = mask(size, lambda d, s: d.rounded_rectangle([21.8 * s, 13.4 * s, 26.2 * s, 15.8 * s],
                                                       radius=1 * s, fill=255))
    paint(cv, (190, 200, 220), base)
    glint = mask(size, lambda d, s: d.ellipse([21.3 * s, 4.6 * s, 23.5 * s, 7.6 * s], fill=255))
    paint(cv, WHITE, glint, 0.8)
    return cv


def icon_tip_bubble():  # 1116, 209 x 46; points left at the desktop icon it stands beside
    w, h = 209, 46
    size = (w, h)

    def outline(d, s):
        d.rounded_rectangle([7 * s, 1 * s, 208 * s - 1, 45 * s - 1], radius=8 * s, fill=255)
        d.polygon([(0.5 * s, 13 * s), (8 * s, 7 * s), (8 * s, 20 * s)], fill=255)

    def inside(d, s):
        d.rounded_rectangle([8 * s, 2 * s, 207 * s - 1, 44 * s - 1], radius=7 * s, fill=255)
        d.polygon([(2.3 * s, 13 * s), (9 * s, 8.2 * s), (9 * s, 18.8 * s)], fill=255)
    whole, inner = mask(size, outline), mask(size, inside)
    out = new("RGBA", size, clear())
    # The rim only where the body is not, so the slightly see-through body keeps its colour.
    paint(out, (104, 146, 222), ImageChops.subtract(whole, inner), 0.95)
    body = vgradient(w, h, [(0.0, (30, 50, 98)), (1.0, (13, 23, 50))], 2, 44)
    paint(out, body, inner, 0.96)
    sheen = ImageChops.multiply(inner, vgradient(w, h, [(0.0, (255,) * 3), (0.5, (0,) * 3)],
                                                 2, 44).getchannel("R"))
    paint(out, (120, 170, 255), sheen, 0.10)
    return out


def notice_panel():  # 1117, 440 x 184 at (80, 60) of a transparent layered window
    w, h = 440, 184
    size = (w, h)
    out = new("RGBA", size, clear())
    outer = rrect_mask(size, (0, 0, w, h), 10)
    inner = rrect_mask(size, (1, 1, w - 1, h - 1), 9)
    paint(out, (92, 130, 204), ImageChops.subtract(outer, inner), 1.0)
    body = vgradient(w, h, [(0.0, (24, 40, 80)), (0.2, (15, 26, 56)), (1.0, (10, 17, 38))])
    paint(out, body, inner)
    # The heading band.
    band = ImageChops.multiply(inner, rrect_mask(size, (1, 1, w - 1, 44), 9))
    band.paste(0, P(0, 34, w, h))
    paint(out, vgradient(w, h, [(0.0, (40, 66, 124)), (1.0, (26, 44, 88))], 1, 33), band)
    sheen = new("L", size, 0)
    D(sheen).line([10, 1, w - 11, 1], fill=255)
    paint(out, hgradient(w, h, [(0.0, (60, 90, 150)), (0.5, (150, 190, 255)),
                                (1.0, (60, 90, 150))]), sheen, 0.8)
    d = D(out)
    d.line([1, 34, w - 2, 34], fill=LINE_DARK + (255,))
    d.line([1, 35, w - 2, 35], fill=(46, 72, 126, 255))
    # Warning mark and heading.
    tri = mask(size, lambda dd, s: dd.polygon([(23.5 * s, 8.5 * s), (32.5 * s, 25 * s),
                                               (14.5 * s, 25 * s)], fill=255))
    tri = blur(tri, 0.35).point(lambda v: min(255, int(v * 1.4)))
    paint(out, ORANGE, blur(tri, 2.5), 0.45)
    paint(out, vgradient(w, h, [(0.0, (255, 214, 120)), (1.0, (255, 158, 34))], 8, 25), tri)
    bang = mask(size, lambda dd, s: (capsule(dd, (23.5, 14.2), (23.5, 19.4), 1.8, 255, s),
                                     dd.ellipse([22.6 * s, 21.2 * s, 24.4 * s, 23.0 * s],
                                                fill=255)))
    paint(out, (40, 22, 0), bang)
    t = text_mask(size, (40, 25), "提示：", 16, "ls")
    paint(out, (0, 0, 0), shift(t, 0, 1), 0.5)
    paint(out, (244, 248, 255), t)
    return out


def small_icon(kind):  # 1104, 1105, 1109: 16 x 16; no control of the installer draws them
    size = (16, 16)
    cv = new("RGBA", size, clear())
    if kind == "ok":
        disc = mask(size, lambda d, s: d.ellipse([1 * s, 1 * s, 15 * s, 15 * s], fill=255))
        paint(cv, vgradient(16, 16, [(0, (90, 214, 130)), (1, (28, 150, 76))]), disc)
        tick = mask(size, lambda d, s: (capsule(d, (4.6, 8.2), (7, 10.8), 1.8, 255, s),
                                        capsule(d, (7, 10.8), (11.6, 5.4), 1.8, 255, s)))
        paint(cv, WHITE, tick)
    elif kind == "warn":
        tri = mask(size, lambda d, s: d.polygon([(8 * s, 1 * s), (15.4 * s, 14.6 * s),
                                                 (0.6 * s, 14.6 * s)], fill=255))
        paint(cv, vgradient(16, 16, [(0, (255, 214, 120)), (1, (255, 158, 34))]), tri)
        bang = mask(size, lambda d, s: (capsule(d, (8, 5.6), (8, 9.6), 1.7, 255, s),
                                        d.ellipse([7.1 * s, 11 * s, 8.9 * s, 12.8 * s], fill=255)))
        paint(cv, (40, 22, 0), bang)
    else:  # folder
        back = mask(size, lambda d, s: (d.rounded_rectangle([1 * s, 3 * s, 7 * s, 7 * s],
                                                            radius=1 * s, fill=255),
                                        d.rounded_rectangle([1 * s, 4 * s, 15 * s, 14 * s],
                                                            radius=1.5 * s, fill=255)))
        paint(cv, (214, 150, 40), back)
        front = mask(size, lambda d, s: d.rounded_rectangle([1 * s, 6 * s, 15 * s, 14 * s],
                                                            radius=1.5 * s, fill=255))
        paint(cv, vgradient(16, 16, [(0, (255, 214, 120)), (1, (255, 174, 56))], 6, 14), front)
    return cv


# --------------------------------------------------------------------------- program icon

def spade_mask(size, box):
    """The brand's spade inside box (x0, y0, x1, y1): a pointed top, two lobes, a flared stem."""
    x0, y0, x1, y1 = box
    w, h = x1 - x0, y1 - y0

    def at(u, v):
        return (x0 + u * w, y0 + v * h)

    def quad(p0, c, p1, steps=16):
        return [((1 - t) ** 2 * p0[0] + 2 * (1 - t) * t * c[0] + t * t * p1[0],
                 (1 - t) ** 2 * p0[1] + 2 * (1 - t) * t * c[1] + t * t * p1[1])
                for t in (i / steps for i in range(steps + 1))]

    def fn(d, s):
        left = quad(at(0.5, 0.0), at(0.30, 0.26), at(0.035, 0.56))
        right = quad(at(0.965, 0.56), at(0.70, 0.26), at(0.5, 0.0))
        d.polygon([(x * s, y * s) for x, y in left + [at(0.5, 0.70)] + right], fill=255)
        for cu in (0.27, 0.73):
            cx, cy = at(cu, 0.60)
            r = 0.235 * w
            d.ellipse([(cx - r) * s, (cy - r) * s, (cx + r) * s, (cy + r) * s], fill=255)
        stem = quad(at(0.5, 0.62), at(0.47, 0.90), at(0.30, 1.0)) + \
            quad(at(0.70, 1.0), at(0.53, 0.90), at(0.5, 0.62))
        d.polygon([(x * s, y * s) for x, y in stem], fill=255)
    return mask(size, fn)


def draw_icon(n):
    """The program's icon at n x n: the title bar's blue tile and spade, with an orange
    download badge in its corner."""
    size = (n, n)
    k = n / 256.0
    cv = new("RGBA", size, clear())
    pad = 0.5 if n <= 24 else 10 * k
    tile = (pad, pad, n - pad, n - pad)
    r = max(2.5, 54 * k)
    if n > 24:
        drop = rrect_mask(size, (tile[0], tile[1] + 5 * k, tile[2], tile[3] + 3 * k), r)
        paint(cv, (0, 0, 0), blur(drop, max(0.6, 5 * k)), 0.45)
    body = rrect_mask(size, tile, r)
    paint(cv, vgradient(n, n, [(0.0, (96, 178, 255)), (0.55, (30, 108, 232)),
                               (1.0, (18, 60, 168))]), body)
    gloss = ImageChops.multiply(body, rrect_mask(size, (tile[0], tile[1], tile[2], n * 0.5), r))
    paint(cv, WHITE, gloss, 0.14)
    paint(cv, (8, 34, 110), ring_mask(size, tile, r, max(1.0, 4 * k)), 0.75)
    if n >= 32:
        e = max(1.0, 4 * k)
        paint(cv, WHITE, ring_mask(size, (tile[0] + e, tile[1] + e, tile[2] - e, tile[3] - e),
                                   r - e, max(1.0, 3 * k)), 0.22)
    # The spade, a little left and up to leave the corner to the badge (centred at 16 x 16).
    if n <= 16:
        sp = spade_mask(size, (3.0, 2.5, 13.0, 13.5))
    else:
        sp = spade_mask(size, (n * 0.17, n * 0.16, n * 0.71, n * 0.76))
    if n >= 24:
        paint(cv, (0, 24, 90), blur(shift(sp, 0, max(1, int(round(4 * k)))), max(0.5, 4 * k)),
              0.45)
    paint(cv, WHITE, sp)
    if n <= 16:  # too small for the badge: the tile and the spade alone, as in the title bar
        return cv
    # The badge: an orange disc with a white arrow pointing down.
    br = n * 0.21 if n > 16 else 3.9
    bc = (n - br - (1.0 if n <= 16 else n * 0.07), n - br - (1.0 if n <= 16 else n * 0.07))
    disc = mask(size, lambda d, s: d.ellipse([(bc[0] - br) * s, (bc[1] - br) * s,
                                              (bc[0] + br) * s, (bc[1] + br) * s], fill=255))
    ring_w = max(1.0, 6 * k)
    ring = mask(size, lambda d, s: d.ellipse([(bc[0] - br - ring_w) * s, (bc[1] - br - ring_w) * s,
                                              (bc[0] + br + ring_w) * s,
                                              (bc[1] + br + ring_w) * s], fill=255))
    paint(cv, (12, 40, 120), ring, 0.9 if n > 16 else 0.0)
    paint(cv, vgradient(n, n, [(0.0, (255, 206, 112)), (1.0, (244, 140, 24))],
                        int(bc[1] - br), int(bc[1] + br)), disc)

    def arrow(d, s):
        sw, hw = br * 0.36, br * 0.62
        top, head, tip = bc[1] - br * 0.6, bc[1] + br * 0.02, bc[1] + br * 0.62
        d.rectangle([(bc[0] - sw / 2) * s, top * s, (bc[0] + sw / 2) * s, (head + 0.3) * s],
                    fill=255)
        d.polygon([((bc[0] - hw) * s, head * s), ((bc[0] + hw) * s, head * s),
                   (bc[0] * s, tip * s)], fill=255)
    paint(cv, WHITE, mask(size, arrow))
    return cv


def bmp_icon_entry(img):
    """32-bit DIB with AND mask: what every icon consumer reads, older shells included."""
    w, h = img.size
    px = img.load()
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b, a = px[x, y]
            xor += bytes((b, g, r, a))
    stride = ((w + 31) // 32) * 4
    andmask = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            if px[x, y][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        andmask += row
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(andmask), 0, 0,
                         0, 0)
    return header + bytes(xor) + bytes(andmask)


def make_ico():
    entries = [(n, bmp_icon_entry(draw_icon(n))) for n in (16, 24, 32, 48)]
    entries.append((256, png_bytes(draw_icon(256))))  # the large size is PNG-compressed
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for n, data in entries:
        dim = 0 if n >= 256 else n
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in entries:
        out += data
    return bytes(out)


# --------------------------------------------------------------------------- files

def normalise(img):
    """Fully transparent pixels get one colour: it packs better and the bytes are stable."""
    img = img.convert("RGBA")
    a = img.getchannel("A")
    zero = a.point(lambda v: 255 if v == 0 else 0)
    img.paste((0, 0, 0, 0), (0, 0), zero)
    return img


def png_bytes(img):
    """8-bit RGBA PNG for every skin: the drawing library decodes each one to 32-bit ARGB,
    the form the window code is exercised with; palette or RGB files would save only a few
    kilobytes."""
    buf = io.BytesIO()
    normalise(img).save(buf, "PNG", optimize=True)
    return buf.getvalue()


# id -> (drawing, size, frame grid (columns, rows))
SKINS = {
    1101: (window_background, (600, 350), (1, 1)),
    1102: (banner_overlay, (598, 200), (1, 1)),
    1103: (red_glow, (598, 430), (1, 1)),
    1104: (lambda: small_icon("ok"), (16, 16), (1, 1)),
    1105: (lambda: small_icon("warn"), (16, 16), (1, 1)),
    1106: (title_bar, (598, 37), (1, 1)),
    1107: (lambda: caption_button("x"), (136, 34), (4, 1)),
    1108: (lambda: caption_button("-"), (136, 34), (4, 1)),
    1109: (lambda: small_icon("folder"), (16, 16), (1, 1)),
    1110: (install_button, (592, 50), (4, 1)),
    1111: (progress_track, (540, 18), (1, 1)),
    1112: (modify_link, (100, 12), (4, 1)),
    1113: (progress_fill, (536, 14), (1, 1)),
    1114: (runner, (450, 41), (18, 1)),
    1115: (tip_line, (416, 18), (1, 1)),
    1116: (icon_tip_bubble, (209, 46), (1, 1)),
    1117: (notice_panel, (440, 184), (1, 1)),
    1118: (lambda: notice_button("确定", NOTICE_OK_LOOKS), (356, 32), (4, 1)),
    1119: (lambda: notice_button("重新下载", NOTICE_RETRY_LOOKS), (356, 32), (4, 1)),
}


def check_skin(sid, img, size, grid):
    """Catches a drawing that no longer fits the layout the window code places it with."""
    size = (size[0] * K, size[1] * K)
    assert img.size == size, "%d: size %dx%d at %dx" % (sid, img.width, img.height, K)
    cols, rows = grid
    fw, fh = img.width // cols, img.height // rows
    cells = [img.crop((c * fw, r * fh, (c + 1) * fw, (r + 1) * fh)).tobytes()
             for r in range(rows) for c in range(cols)]
    assert len(set(cells)) == len(cells), "%d: frames are not all distinct" % sid
    alpha = img.getchannel("A")
    if sid == 1103:
        assert alpha.getextrema()[1] <= 61, "1103: glow too strong"
    if sid == 1102:
        clear_px = alpha.histogram()[0]
        assert clear_px * 2 > img.width * img.height, "1102: overlay not mostly transparent"
    if sid in (1101, 1106):
        assert alpha.getextrema()[0] == 255, "%d: must be opaque" % sid


def build():
    """{path relative to res/: bytes} of every generated file: the 1x skins in images/, the 2x
    ones (the program's artwork for 200 % and the source of every other density) in images/2x/."""
    global K
    files = {}
    for K, folder in ((1, "images"), (2, os.path.join("images", "2x"))):
        for sid, (draw, size, grid) in sorted(SKINS.items()):
            img = normalise(draw())
            check_skin(sid, img, size, grid)
            files[os.path.join(folder, "%d.png" % sid)] = png_bytes(img)
    K = 1
    files["app.ico"] = make_ico()
    return files


def decoded(data, rel):
    """Pixels of a generated file, for comparing pictures rather than encoder output."""
    im = Image.open(io.BytesIO(data))
    if rel.endswith(".ico"):
        return [(s, im.ico.getimage(s).convert("RGBA").tobytes()) for s in sorted(im.ico.sizes())]
    return im.size, im.convert("RGBA").tobytes()


def main(argv):
    check = "--check" in argv
    files = build()
    total = sum(len(d) for r, d in files.items() if r.endswith(".png"))
    if check:
        stale = []
        with tempfile.TemporaryDirectory() as tmp:
            for rel, data in files.items():
                fresh = os.path.join(tmp, rel)
                os.makedirs(os.path.dirname(fresh), exist_ok=True)
                with open(fresh, "wb") as f:
                    f.write(data)
                path = os.path.join(RES_DIR, rel)
                if not os.path.exists(path):
                    stale.append(rel + " (missing)")
                    continue
                with open(path, "rb") as f:
                    old = f.read()
                with open(fresh, "rb") as f:
                    new = f.read()
                if old != new and decoded(old, rel) != decoded(new, rel):
                    stale.append(rel)
        print("art: %d PNG bytes, %d files checked" % (total, len(files)))
        if stale:
            print("out of date: " + ", ".join(stale))
            return 1
        print("art: committed files match the generator")
        return 0
    out_dir = argv[argv.index("--out") + 1] if "--out" in argv else RES_DIR
    written = []
    for rel, data in files.items():
        path = os.path.join(out_dir, rel)
        old = None
        if os.path.exists(path):
            with open(path, "rb") as f:
                old = f.read()
        if old == data:
            continue
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        written.append(rel)
    print("art: %d PNG bytes; written: %s" % (total, ", ".join(written) or "nothing"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
