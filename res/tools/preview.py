#!/usr/bin/env python3
"""Composes the skins the way the installer window places them, for looking at the artwork
without building or running the program.

    python3 res/tools/preview.py [--images DIR] [--out DIR]

Writes into the output folder (default build/art-preview):
  window.png        the window before a download: runner hidden, empty bar
  window-40.png     a download at 40 %, runner on the bar, install button hovered
  notice.png        the download failure notice over the window
  sheet.png         every button frame and the 18 runner frames, enlarged
  bubble.png        the desktop icon tip beside an icon on a desktop
The texts are drawn with the machine's Chinese font at the sizes the window uses; the real
window's fonts and their placement differ a little.
"""

import os
import sys

try:
    from PIL import Image, ImageDraw, ImageFont
except ImportError:  # pragma: no cover - a non-Debian interpreter first on PATH
    if os.path.realpath(sys.executable) != os.path.realpath("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    sys.exit("preview.py needs PIL (apt-get install python3-pil)")

RES_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
REPO_DIR = os.path.dirname(RES_DIR)
FONT_FILE = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"


def font(px):
    return ImageFont.truetype(FONT_FILE, px, index=0, layout_engine=ImageFont.Layout.BASIC)


class Skins:
    def __init__(self, folder):
        self.folder = folder

    def get(self, sid):
        return Image.open(os.path.join(self.folder, "%d.png" % sid)).convert("RGBA")

    def frame(self, sid, index, count):
        im = self.get(sid)
        w = im.width // count
        return im.crop((index * w, 0, (index + 1) * w, im.height))


def put(canvas, im, x, y, clip=None):
    """Source-over at (x, y), clipped to the canvas (or to clip = (l, t, r, b))."""
    l, t, r, b = clip or (0, 0, canvas.width, canvas.height)
    sx0, sy0 = max(0, l - x), max(0, t - y)
    sx1, sy1 = min(im.width, r - x), min(im.height, b - y)
    if sx1 <= sx0 or sy1 <= sy0:
        return
    canvas.alpha_composite(im.crop((sx0, sy0, sx1, sy1)), (x + sx0, y + sy0))


def label(canvas, rect, text, px, argb, spacing=4):
    a, rgb = argb >> 24, ((argb >> 16) & 255, (argb >> 8) & 255, argb & 255)
    layer = Image.new("RGBA", canvas.size, (0, 0, 0, 0))
    l, t, r, b = rect
    d = ImageDraw.Draw(layer)
    # GDI+ leaves about a sixth of the em free before the first glyph.
    d.multiline_text((l + px // 6, t + 1), text, fill=rgb + (a,), font=font(px), spacing=spacing)
    mask = Image.new("L", canvas.size, 0)
    ImageDraw.Draw(mask).rectangle([l, t, r - 1, b - 1], fill=255)
    clipped = Image.new("RGBA", canvas.size, (0, 0, 0, 0))
    clipped.paste(layer, (0, 0), mask)
    canvas.alpha_composite(clipped)


def main_window(sk, fraction=None, runner_frame=0, install_frame=0, close_frame=0):
    cv = sk.get(1101).copy()
    put(cv, sk.get(1102), 1, 1)
    put(cv, sk.get(1103), 1, 1)
    put(cv, sk.get(1111), 30, 250)
    put(cv, sk.get(1106), 0, 0)
    p = 0 if fraction is None else int(536 * fraction)
    if p > 0:
        put(cv, sk.get(1113).crop((0, 0, p, 14)), 31, 252)
    if fraction is not None:
        put(cv, sk.frame(1114, runner_frame, 18), p + 11, 237)
    put(cv, sk.frame(1107, close_frame, 4), 565, 1)
    put(cv, sk.frame(1108, 0, 4), 530, 1)
    put(cv, sk.frame(1112, 0, 4), 543, 225)
    put(cv, sk.frame(1110, install_frame, 4), 425, 275)
    put(cv, sk.get(1115), 91, 326)
    label(cv, (105, 13, 500, 35), "完整版 2.1", 12, 0xFEC8C8C8)
    label(cv, (30, 225, 400, 250), "安装路径：D:\\Program Files\\Tavoro\\", 12, 0xFEFFFFFF)
    if fraction is not None:
        done = 812.0 * fraction
        label(cv, (30, 280, 400, 305), "%.2fM/812.00M" % done, 12, 0xFEC8C8C8)
        label(cv, (240, 280, 650, 305), "当前下载速度：1536K/S", 12, 0xFEC8C8C8)
        label(cv, (280, 253, 430, 278), "%d%%" % int(fraction * 100), 12, 0xFEC8C8C8)
    o = 1 if install_frame == 2 else 0
    text = "暂停下载" if fraction is not None else "点击安装"
    label(cv, (425 + 44, 275 + 14 + o, 425 + 148, 275 + 36 + o), text, 13, 0xFEFFFFFF)
    label(cv, (130, 329, 300, 360), "新手提示：", 12, 0xFEFFB23E)
    label(cv, (190, 329, 600, 360), "玩游戏赠送奖品券，奖品券可免费兑换实物奖励。", 12, 0x50FFFFFF)
    return cv


def notice(sk, base):
    layer = Image.new("RGBA", base.size, (0, 0, 0, 0))
    put(layer, sk.get(1117), 80, 60)
    put(layer, sk.frame(1118, 0, 4), 425, 205)
    put(layer, sk.frame(1119, 0, 4), 330, 205)
    label(layer, (102, 100, 300, 360), "下载失败：", 16, 0xFEFF0000)
    label(layer, (105, 125, 500, 360), "以下问题可能是造成您下载失败的主要原因：", 13, 0xFEE6E6E6)
    label(layer, (105, 150, 500, 360),
          "1.网络不稳定造成。\n2.安全软件或防火墙阻挡了本次下载。\n3.检查客户端下载器是否是最新版本。",
          12, 0xFEB4B4B4, spacing=3)
    out = base.copy()
    out.alpha_composite(layer)
    return out


def enlarge(im, k):
    return im.resize((im.width * k, im.height * k), Image.NEAREST)


def sheet(sk):
    rows = []
    names = {1107: "close", 1108: "minimise", 1110: "install", 1112: "修改",
             1118: "确定", 1119: "重新下载"}
    for sid, k in ((1107, 3), (1108, 3), (1110, 2), (1112, 5), (1118, 3), (1119, 3)):
        im = sk.get(sid)
        rows.append((names[sid] + "  normal / hover / pressed / disabled", enlarge(im, k)))
    rows.append(("runner frames 0-8", enlarge(sk.get(1114).crop((0, 0, 225, 41)), 5)))
    rows.append(("runner frames 9-17", enlarge(sk.get(1114).crop((225, 0, 450, 41)), 5)))
    bar = Image.new("RGBA", (560, 60), (12, 20, 42, 255))
    put(bar, sk.get(1111), 10, 20)
    put(bar, sk.get(1113).crop((0, 0, 536, 14)), 11, 22)
    rows.append(("track with a full fill", bar))
    icon = Image.open(os.path.join(os.path.dirname(sk.folder), "app.ico"))
    icons = Image.new("RGBA", (256 + 48 + 32 + 24 + 16 + 60, 256), (40, 44, 52, 255))
    x = 0
    for s in (256, 48, 32, 24, 16):
        im = icon.ico.getimage((s, s)).convert("RGBA")
        icons.alpha_composite(im, (x, 256 - s))
        x += s + 12
    rows.append(("app.ico 256 48 32 24 16", icons))
    small = Image.new("RGBA", (3 * 16 * 6 + 20, 96), (20, 30, 60, 255))
    for i, sid in enumerate((1104, 1105, 1109)):
        small.alpha_composite(enlarge(sk.get(sid), 6), (i * 106, 0))
    rows.append(("1104 1105 1109 (not drawn by any control)", small))

    grid = [(title, enlarge(im, 1)) for title, im in rows]
    w = max(im.width for _, im in grid) + 40
    h = sum(im.height + 34 for _, im in grid) + 20
    out = Image.new("RGBA", (w, h), (58, 62, 72, 255))
    d = ImageDraw.Draw(out)
    y = 10
    checker = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    for title, im in grid:
        d.text((20, y), title, fill=(230, 230, 230, 255), font=font(14))
        y += 22
        # A checkerboard under each strip shows its transparency.
        cd = ImageDraw.Draw(checker)
        for cy in range(y, y + im.height, 8):
            for cx in range(20, 20 + im.width, 8):
                if ((cx - 20) // 8 + (cy - y) // 8) % 2:
                    cd.rectangle([cx, cy, min(cx + 7, 19 + im.width), min(cy + 7, y + im.height - 1)],
                                 fill=(74, 78, 90, 255))
        out.alpha_composite(checker)
        checker = Image.new("RGBA", (w, h), (0, 0, 0, 0))
        out.alpha_composite(im, (20, y))
        y += im.height + 12
    return out


def bubble(sk):
    desk = Image.new("RGBA", (420, 140), (0, 0, 0, 255))
    d = ImageDraw.Draw(desk)
    for y in range(140):
        d.line([0, y, 420, y], fill=(30 + y // 4, 90 + y // 3, 140 + y // 5, 255))
    icon = Image.open(os.path.join(os.path.dirname(sk.folder), "app.ico"))
    desk.alpha_composite(icon.ico.getimage((48, 48)).convert("RGBA"), (34, 40))
    d.text((58, 92), "Tavoro", fill=(255, 255, 255, 255), font=font(12), anchor="ma")
    put(desk, sk.get(1116), 95, 45)
    label(desk, (95 + 15, 45 + 5, 95 + 209, 45 + 40),
          "HI，恭候您多时了！世界那么大，有您\n更精彩！戳我开启游戏之旅！", 12, 0xFEC8C8C8, spacing=3)
    return desk


def main(argv):
    images = argv[argv.index("--images") + 1] if "--images" in argv else \
        os.path.join(RES_DIR, "images")
    out = argv[argv.index("--out") + 1] if "--out" in argv else \
        os.path.join(REPO_DIR, "build", "art-preview")
    os.makedirs(out, exist_ok=True)
    sk = Skins(images)
    main_window(sk).save(os.path.join(out, "window.png"))
    main_window(sk, 0.4, 6, 1).save(os.path.join(out, "window-40.png"))
    notice(sk, main_window(sk, 0.62, 9, 0)).save(os.path.join(out, "notice.png"))
    sheet(sk).save(os.path.join(out, "sheet.png"))
    bubble(sk).save(os.path.join(out, "bubble.png"))
    print("previews in " + out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
