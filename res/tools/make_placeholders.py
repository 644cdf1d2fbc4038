#!/usr/bin/env python3
"""Draws the placeholder skins (res/images/<id>.png) and the program icon (res/app.ico).

The installer window is pixel-drawn from these PNGs, so each placeholder already has the final
pixel size, frame grid and transparency that the window code relies on; only the pictures are
stand-ins until the real artwork arrives. Standard library only (zlib + struct), so any machine
with Python 3 can regenerate the set:  python3 res/tools/make_placeholders.py [--check]
"""

import math
import os
import struct
import sys
import zlib

RES_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
IMAGE_DIR = os.path.join(RES_DIR, "images")

NAVY_TOP = (16, 27, 54)
NAVY_BOTTOM = (8, 14, 31)
NAVY_EDGE = (44, 66, 112)
ORANGE = (255, 178, 62)
WHITE = (255, 255, 255)


# --------------------------------------------------------------------------- canvas

class Canvas:
    """Straight-alpha RGBA pixels with a source-over blend."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = bytearray(w * h * 4)

    def put(self, x, y, rgb, a):
        """Blends colour rgb with opacity a (0..1) over pixel (x, y)."""
        if a <= 0.0 or x < 0 or y < 0 or x >= self.w or y >= self.h:
            return
        a = min(a, 1.0)
        i = (y * self.w + x) * 4
        da = self.px[i + 3] / 255.0
        oa = a + da * (1.0 - a)
        if oa <= 0.0:
            return
        for c in range(3):
            d = self.px[i + c]
            self.px[i + c] = int(round((rgb[c] * a + d * da * (1.0 - a)) / oa))
        self.px[i + 3] = int(round(oa * 255.0))

    def set(self, x, y, rgb, alpha255):
        i = (y * self.w + x) * 4
        self.px[i:i + 4] = bytes((rgb[0], rgb[1], rgb[2], alpha255))

    def shade(self, x0, y0, x1, y1, fn):
        """Calls fn(x, y) -> (rgb, opacity) or None for each pixel of a box and blends it."""
        for y in range(max(0, int(y0)), min(self.h, int(math.ceil(y1)))):
            for x in range(max(0, int(x0)), min(self.w, int(math.ceil(x1)))):
                r = fn(x + 0.5, y + 0.5)
                if r is not None:
                    self.put(x, y, r[0], r[1])

    def paste(self, src, dx, dy):
        for y in range(src.h):
            s = y * src.w * 4
            d = ((y + dy) * self.w + dx) * 4
            self.px[d:d + src.w * 4] = src.px[s:s + src.w * 4]

    def frame_bytes(self, x0, y0, w, h):
        out = bytearray()
        for y in range(y0, y0 + h):
            i = (y * self.w + x0) * 4
            out += self.px[i:i + w * 4]
        return bytes(out)


def lerp(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def rrect_sdf(px, py, x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r
    qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - r


def cover(d):
    """Anti-aliased coverage of a pixel centre at signed distance d from an edge."""
    return max(0.0, min(1.0, 0.5 - d))


def fill_rrect(cv, x0, y0, x1, y1, r, color, alpha=1.0, top=None):
    """Rounded rectangle; with top given, a vertical gradient from top to color."""
    def fn(x, y):
        c = cover(rrect_sdf(x, y, x0, y0, x1, y1, r))
        if c <= 0.0:
            return None
        rgb = color if top is None else lerp(top, color, (y - y0) / max(1.0, y1 - y0))
        return rgb, c * alpha
    cv.shade(x0 - 1, y0 - 1, x1 + 1, y1 + 1, fn)


def stroke_rrect(cv, x0, y0, x1, y1, r, color, alpha=1.0, width=1.0):
    def fn(x, y):
        d = abs(rrect_sdf(x, y, x0, y0, x1, y1, r) + width / 2.0) - width / 2.0
        c = cover(d)
        return (color, c * alpha) if c > 0.0 else None
    cv.shade(x0 - 1, y0 - 1, x1 + 1, y1 + 1, fn)


def line(cv, xa, ya, xb, yb, width, color, alpha=1.0):
    dx, dy = xb - xa, yb - ya
    ll = dx * dx + dy * dy or 1e-9

    def fn(x, y):
        t = max(0.0, min(1.0, ((x - xa) * dx + (y - ya) * dy) / ll))
        d = math.hypot(x - (xa + t * dx), y - (ya + t * dy)) - width / 2.0
        c = cover(d)
        return (color, c * alpha) if c > 0.0 else None
    pad = width / 2.0 + 1
    cv.shade(min(xa, xb) - pad, min(ya, yb) - pad, max(xa, xb) + pad, max(ya, yb) + pad, fn)


def disc(cv, cx, cy, r, color, alpha=1.0):
    def fn(x, y):
        c = cover(math.hypot(x - cx, y - cy) - r)
        return (color, c * alpha) if c > 0.0 else None
    cv.shade(cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1, fn)


def polygon(cv, pts, color, alpha=1.0, ss=4):
    """Convex or concave polygon, 4x4 supersampled."""
    xs, ys = [p[0] for p in pts], [p[1] for p in pts]

    def inside(x, y):
        hit = False
        j = len(pts) - 1
        for i in range(len(pts)):
            (xi, yi), (xj, yj) = pts[i], pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit

    def fn(x, y):
        n = 0
        for sy in range(ss):
            for sx in range(ss):
                if inside(x - 0.5 + (sx + 0.5) / ss, y - 0.5 + (sy + 0.5) / ss):
                    n += 1
        return (color, alpha * n / (ss * ss)) if n else None
    cv.shade(min(xs) - 1, min(ys) - 1, max(xs) + 1, max(ys) + 1, fn)


# 5 x 7 capitals for the placeholder lettering (the real artwork carries the final texts).
GLYPHS = {
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "Y": ["#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."],
    " ": ["....."] * 7,
}


def text_width(s, scale=1):
    return (len(s) * 6 - 1) * scale


def text(cv, x, y, s, color, scale=1, alpha=1.0):
    for k, ch in enumerate(s):
        rows = GLYPHS[ch]
        for gy, row in enumerate(rows):
            for gx, bit in enumerate(row):
                if bit == "#":
                    for sy in range(scale):
                        for sx in range(scale):
                            cv.put(x + (k * 6 + gx) * scale + sx, y + gy * scale + sy, color,
                                   alpha)


def strip(frames):
    """Joins equally sized frame canvases left to right."""
    w, h = frames[0].w, frames[0].h
    out = Canvas(w * len(frames), h)
    for i, f in enumerate(frames):
        out.paste(f, i * w, 0)
    return out


# --------------------------------------------------------------------------- the skins

def window_background():  # 1101, 600 x 350, opaque
    cv = Canvas(600, 350)
    for y in range(350):
        rgb = lerp(NAVY_TOP, NAVY_BOTTOM, y / 349.0)
        if y in (0, 349):
            rgb = NAVY_EDGE
        for x in range(600):
            cv.set(x, y, NAVY_EDGE if x in (0, 599) else rgb, 255)
    for x in range(30, 570):  # faint rule between the banner and the install area
        cv.put(x, 214, NAVY_EDGE, 0.6)
    return cv


def banner_overlay():  # 1102, 598 x 200, mostly transparent
    cv = Canvas(598, 200)
    stroke_rrect(cv, 0, 0, 598, 200, 0, NAVY_EDGE, 0.5)
    for y in range(176, 200):  # lets the banner fade into the window below it
        a = 0.6 * (y - 175) / 24.0
        for x in range(1, 597):
            cv.put(x, y, NAVY_TOP, a)
    return cv


def red_glow():  # 1103, 598 x 430, alpha never above 61
    cv = Canvas(598, 430)
    cx, cy, rx, ry = 299.0, 170.0, 330.0, 260.0
    for y in range(430):
        for x in range(598):
            d = math.hypot((x + 0.5 - cx) / rx, (y + 0.5 - cy) / ry)
            if d < 1.0:
                cv.set(x, y, (230, 40, 50), int(61 * (1.0 - d) ** 2))
    return cv


def title_bar():  # 1106, 598 x 37
    cv = Canvas(598, 37)
    fill_rrect(cv, 0, 0, 598, 37, 0, (12, 22, 46), 0.96, top=(28, 46, 88))
    line(cv, 0, 36.5, 598, 36.5, 1, NAVY_EDGE)
    text(cv, 14, 12, "TAVORO", WHITE, 2)
    line(cv, 14, 31, 14 + text_width("TAVORO", 2), 31, 2, ORANGE)
    return cv


def caption_button(glyph):  # 1107 / 1108, four frames of 34 x 34
    frames = []
    for state in range(4):
        f = Canvas(34, 34)
        ink = [(196, 206, 228), WHITE, WHITE, (84, 94, 116)][state]
        if state == 1:
            fill_rrect(f, 2, 2, 32, 32, 4, WHITE, 0.16)
        elif state == 2:
            fill_rrect(f, 2, 2, 32, 32, 4, (200, 52, 52) if glyph == "x" else (40, 90, 170), 0.9)
        o = 1 if state == 2 else 0  # pressed glyph sinks by one pixel
        if glyph == "x":
            line(f, 11 + o, 11 + o, 23 + o, 23 + o, 2, ink)
            line(f, 23 + o, 11 + o, 11 + o, 23 + o, 2, ink)
        else:
            line(f, 11 + o, 21 + o, 23 + o, 21 + o, 2, ink)
        frames.append(f)
    return strip(frames)


def install_button():  # 1110, four frames of 148 x 50
    looks = [((46, 128, 236), (22, 84, 186)), ((80, 156, 250), (40, 112, 216)),
             ((18, 70, 160), (30, 96, 200)), ((100, 106, 120), (72, 78, 92))]
    frames = []
    for state, (top, bottom) in enumerate(looks):
        f = Canvas(148, 50)
        o = 1 if state == 2 else 0
        fill_rrect(f, 1, 1 + o, 147, 49, 7, bottom, 1.0, top=top)
        stroke_rrect(f, 1, 1 + o, 147, 49, 7, WHITE, 0.35 if state != 3 else 0.15)
        ink = WHITE if state != 3 else (170, 174, 184)
        # a download arrow left of where the button's label is drawn
        line(f, 26, 14 + o, 26, 30 + o, 3, ink)
        polygon(f, [(19, 27 + o), (33, 27 + o), (26, 35 + o)], ink)
        line(f, 18, 38 + o, 34, 38 + o, 2, ink)
        frames.append(f)
    return strip(frames)


def progress_track():  # 1111, 540 x 18
    cv = Canvas(540, 18)
    fill_rrect(cv, 0, 0, 540, 18, 9, (5, 9, 20), 0.92)
    stroke_rrect(cv, 0, 0, 540, 18, 9, NAVY_EDGE)
    return cv


def modify_link():  # 1112, four frames of 25 x 12
    inks = [(120, 180, 255), (210, 234, 255), ORANGE, (96, 100, 112)]
    frames = []
    for state, ink in enumerate(inks):
        f = Canvas(25, 12)
        text(f, 1, 2, "EDIT", ink)
        if state in (1, 2):
            line(f, 1, 10.5, 24, 10.5, 1, ink)
        frames.append(f)
    return strip(frames)


def progress_fill():  # 1113, 536 x 14; left edge square because the bar is shown cut
    cv = Canvas(536, 14)
    for y in range(14):
        rgb = lerp((120, 220, 255), (18, 116, 214), y / 13.0)
        for x in range(536):
            stripe = ((x + y) // 7) % 2 == 0
            cv.set(x, y, lerp(rgb, WHITE, 0.12) if stripe else rgb, 255)
    return cv


def runner():  # 1114, eighteen frames of 25 x 41, one running cycle
    frames = []
    for i in range(18):
        f = Canvas(25, 41)
        t = 2.0 * math.pi * i / 18.0
        bob = -1.5 * abs(math.sin(t))
        hip = (12.0, 24.0 + bob)
        neck = (13.5, 12.0 + bob)
        disc(f, 14.5, 7.0 + bob, 3.5, WHITE)
        line(f, neck[0], neck[1], hip[0], hip[1], 2.2, WHITE)
        for phase, ink in ((0.0, WHITE), (math.pi, (150, 170, 205))):
            swing = math.sin(t + phase)
            lift = max(0.0, math.cos(t + phase))  # knee bends while the leg swings forward
            thigh = 0.75 * swing
            knee = (hip[0] + 8.0 * math.sin(thigh), hip[1] + 8.0 * math.cos(thigh))
            shin = thigh - 1.3 * lift
            foot = (knee[0] + 8.0 * math.sin(shin), knee[1] + 8.0 * math.cos(shin))
            line(f, hip[0], hip[1], knee[0], knee[1], 2.0, ink)
            line(f, knee[0], knee[1], foot[0], foot[1], 2.0, ink)
            arm = -0.9 * swing
            elbow = (neck[0] + 1 + 6.0 * math.sin(arm), neck[1] + 2 + 6.0 * math.cos(arm))
            line(f, neck[0] + 1, neck[1] + 2, elbow[0], elbow[1], 1.6, ink)
            line(f, elbow[0], elbow[1], elbow[0] + 4.0, elbow[1] - 2.0 - 2.0 * swing, 1.6, ink)
        frames.append(f)
    return strip(frames)


def tip_line():  # 1115, 416 x 18
    cv = Canvas(416, 18)
    fill_rrect(cv, 0, 0, 416, 18, 9, (0, 0, 0), 0.35)
    disc(cv, 26, 9, 5, ORANGE)
    line(cv, 26, 7.5, 26, 11.5, 1.6, NAVY_BOTTOM)
    disc(cv, 26, 5.6, 0.9, NAVY_BOTTOM)
    return cv


def icon_tip_bubble():  # 1116, 209 x 46, speech bubble pointing left at the icon
    cv = Canvas(209, 46)
    fill_rrect(cv, 8, 1, 208, 45, 8, (14, 24, 48), 0.94, top=(26, 42, 80))
    stroke_rrect(cv, 8, 1, 208, 45, 8, (96, 128, 190))
    polygon(cv, [(0.5, 12), (9.5, 7), (9.5, 19)], (26, 42, 80), 0.94)
    line(cv, 0.5, 12, 8.5, 7.5, 1, (96, 128, 190))
    line(cv, 0.5, 12, 8.5, 18.5, 1, (96, 128, 190))
    return cv


def notice_panel():  # 1117, 440 x 184, dark panel with a heading
    cv = Canvas(440, 184)
    fill_rrect(cv, 0, 0, 440, 184, 8, (10, 17, 36), 0.97, top=(16, 26, 52))
    fill_rrect(cv, 1, 1, 439, 31, 7, (28, 46, 88), 1.0)
    line(cv, 1, 31.5, 439, 31.5, 1, NAVY_EDGE)
    stroke_rrect(cv, 0, 0, 440, 184, 8, (80, 110, 170))
    polygon(cv, [(20, 24), (34, 24), (27, 9)], ORANGE)
    line(cv, 27, 14, 27, 19, 1.6, NAVY_BOTTOM)
    disc(cv, 27, 21.5, 0.9, NAVY_BOTTOM)
    text(cv, 42, 9, "NOTICE", ORANGE, 2)
    return cv


def notice_button(label, looks):  # 1118 / 1119, four frames of 89 x 32
    frames = []
    for state, (top, bottom) in enumerate(looks):
        f = Canvas(89, 32)
        o = 1 if state == 2 else 0
        fill_rrect(f, 1, 1 + o, 88, 31, 5, bottom, 1.0, top=top)
        stroke_rrect(f, 1, 1 + o, 88, 31, 5, WHITE, 0.3 if state != 3 else 0.12)
        ink = WHITE if state != 3 else (160, 164, 174)
        text(f, (89 - text_width(label, 2)) // 2, 9 + o, label, ink, 2)
        frames.append(f)
    return strip(frames)


def unused_marker():  # 1104, 1105, 1109: no control draws them; a "missing" checker
    cv = Canvas(16, 16)
    for y in range(16):
        for x in range(16):
            cv.set(x, y, (255, 0, 255) if (x // 4 + y // 4) % 2 else (0, 0, 0), 255)
    return cv


BLUE_LOOKS = [((52, 126, 226), (28, 90, 190)), ((84, 156, 246), (44, 114, 218)),
              ((20, 72, 160), (34, 98, 200)), ((100, 106, 120), (72, 78, 92))]
GREY_LOOKS = [((78, 90, 116), (52, 62, 86)), ((104, 118, 148), (70, 82, 110)),
              ((40, 48, 68), (58, 68, 92)), ((70, 74, 84), (56, 60, 70))]

# id -> (drawing, size, frame grid (columns, rows))
SKINS = {
    1101: (window_background, (600, 350), (1, 1)),
    1102: (banner_overlay, (598, 200), (1, 1)),
    1103: (red_glow, (598, 430), (1, 1)),
    1104: (unused_marker, (16, 16), (1, 1)),
    1105: (unused_marker, (16, 16), (1, 1)),
    1106: (title_bar, (598, 37), (1, 1)),
    1107: (lambda: caption_button("x"), (136, 34), (4, 1)),
    1108: (lambda: caption_button("-"), (136, 34), (4, 1)),
    1109: (unused_marker, (16, 16), (1, 1)),
    1110: (install_button, (592, 50), (4, 1)),
    1111: (progress_track, (540, 18), (1, 1)),
    1112: (modify_link, (100, 12), (4, 1)),
    1113: (progress_fill, (536, 14), (1, 1)),
    1114: (runner, (450, 41), (18, 1)),
    1115: (tip_line, (416, 18), (1, 1)),
    1116: (icon_tip_bubble, (209, 46), (1, 1)),
    1117: (notice_panel, (440, 184), (1, 1)),
    1118: (lambda: notice_button("OK", BLUE_LOOKS), (356, 32), (4, 1)),
    1119: (lambda: notice_button("RETRY", GREY_LOOKS), (356, 32), (4, 1)),
}


def check_skin(sid, cv, size, grid):
    """Catches a drawing that no longer fits the layout the window code expects."""
    assert (cv.w, cv.h) == size, "%d: size %dx%d" % (sid, cv.w, cv.h)
    cols, rows = grid
    fw, fh = cv.w // cols, cv.h // rows
    cells = [cv.frame_bytes(c * fw, r * fh, fw, fh) for r in range(rows) for c in range(cols)]
    assert len(set(cells)) == len(cells), "%d: frames are not all distinct" % sid
    alphas = cv.px[3::4]
    if sid == 1103:
        assert max(alphas) <= 61, "1103: glow too strong"
    if sid == 1102:
        clear = sum(1 for a in alphas if a == 0)
        assert clear * 2 > len(alphas), "1102: overlay not mostly transparent"
    if sid == 1101:
        assert min(alphas) == 255, "1101: window background must be opaque"


# --------------------------------------------------------------------------- icon

def draw_icon(n):
    s = n / 256.0
    cv = Canvas(n, n)
    fill_rrect(cv, 8 * s, 8 * s, 248 * s, 248 * s, 48 * s, NAVY_BOTTOM, 1.0, top=(36, 64, 128))
    stroke_rrect(cv, 8 * s, 8 * s, 248 * s, 248 * s, 48 * s, (110, 150, 220), 1.0,
                 max(1.0, 6 * s))
    line(cv, 128 * s, 52 * s, 128 * s, 140 * s, max(2.0, 34 * s), ORANGE)
    polygon(cv, [(72 * s, 124 * s), (184 * s, 124 * s), (128 * s, 188 * s)], ORANGE)
    line(cv, 64 * s, 208 * s, 192 * s, 208 * s, max(1.5, 18 * s), WHITE)
    return cv


def bmp_icon_entry(cv):
    """32-bit DIB with AND mask: the form every icon consumer reads, older shells included."""
    w, h = cv.w, cv.h
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            i = (y * w + x) * 4
            r, g, b, a = cv.px[i:i + 4]
            xor += bytes((b, g, r, a))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(w):
            if cv.px[(y * w + x) * 4 + 3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0,
                         0)
    return header + bytes(xor) + bytes(mask)


def make_ico():
    entries = []
    for n in (16, 32, 48):
        entries.append((n, bmp_icon_entry(draw_icon(n))))
    entries.append((256, png_bytes(draw_icon(256))))  # large sizes are PNG-compressed
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for n, data in entries:
        dim = 0 if n >= 256 else n
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in entries:
        out += data
    return bytes(out)


# --------------------------------------------------------------------------- PNG

def _filter_row(kind, row, prev, bpp=4):
    out = bytearray(len(row))
    for i in range(len(row)):
        a = row[i - bpp] if i >= bpp else 0
        b = prev[i]
        c = prev[i - bpp] if i >= bpp else 0
        if kind == 0:
            p = 0
        elif kind == 1:
            p = a
        elif kind == 2:
            p = b
        elif kind == 3:
            p = (a + b) >> 1
        else:
            pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
            p = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
        out[i] = (row[i] - p) & 0xFF
    return out


def png_bytes(cv):
    """RGBA 8-bit PNG with the usual minimum-sum filter choice per row."""
    stride = cv.w * 4
    prev = bytearray(stride)
    raw = bytearray()
    for y in range(cv.h):
        row = cv.px[y * stride:(y + 1) * stride]
        best = None
        for kind in range(5):
            f = _filter_row(kind, row, prev)
            score = sum(v if v < 128 else 256 - v for v in f)
            if best is None or score < best[0]:
                best = (score, kind, f)
        raw.append(best[1])
        raw += best[2]
        prev = row

    def chunk(tag, data):
        return (struct.pack(">I", len(data)) + tag + data +
                struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF))

    ihdr = struct.pack(">IIBBBBB", cv.w, cv.h, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


# --------------------------------------------------------------------------- main

def build():
    """Returns {relative path: bytes} of every generated file."""
    files = {}
    for sid, (draw, size, grid) in sorted(SKINS.items()):
        cv = draw()
        check_skin(sid, cv, size, grid)
        files[os.path.join("images", "%d.png" % sid)] = png_bytes(cv)
    files["app.ico"] = make_ico()
    return files


def main(argv):
    check = "--check" in argv
    stale = []
    total = 0
    for rel, data in build().items():
        path = os.path.join(RES_DIR, rel)
        total += len(data) if rel.endswith(".png") else 0
        old = open(path, "rb").read() if os.path.exists(path) else None
        if old == data:
            continue
        if check:
            stale.append(rel)
        else:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
    print("placeholder PNGs: %d bytes" % total)
    if stale:
        print("out of date: " + ", ".join(stale))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
