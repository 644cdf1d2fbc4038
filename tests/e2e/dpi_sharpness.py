#!/usr/bin/env python3
"""Tells a window drawn at its display's density from the 96-DPI picture enlarged.

    dpi_sharpness.py SHOT_96 SHOT DPI MIN_RATIO

In each region of the installer window that holds text or sharp edges (96-DPI layout units,
scaled the way the program scales them), SHOT is compared with two plain enlargements of
SHOT_96 to its size:
  - bicubic (what a stretched window looks like): the gradient energy of SHOT, the mean square of
    the grey-level steps between neighbouring pixels, must be at least MIN_RATIO times the
    enlargement's; an edge drawn at the density steps in one pixel, an enlarged one over several;
  - nearest neighbour (blocky, as sharp-stepped as a real rendering): SHOT must differ from it by a
    mean of at least 2 grey levels, since glyphs and artwork drawn at the density have other shapes.
Prints one line per region; exit status 1 when a region fails either test.
"""
import sys

from PIL import Image, ImageChops, ImageStat

# (name, left, top, right, bottom) in 96-DPI layout units.
REGIONS = [
    ("edition text", 105, 13, 300, 35),
    ("title logo", 8, 6, 96, 31),
    ("path text and 修改", 30, 225, 580, 245),
    ("install button", 425, 275, 573, 325),
    ("tip text", 130, 329, 560, 348),
]
MIN_DIFFERENCE = 2.0


def device(v, dpi):
    return (v * dpi + 48) // 96


def gradient_energy(img):
    grey = img.convert("L")
    w, h = grey.size
    steps = ImageChops.difference(grey.crop((1, 0, w, h)), grey.crop((0, 0, w - 1, h))).histogram()
    down = ImageChops.difference(grey.crop((0, 1, w, h)), grey.crop((0, 0, w, h - 1))).histogram()
    counts = [a + b for a, b in zip(steps, down)]
    return sum(v * v * n for v, n in enumerate(counts)) / max(1, sum(counts))


def mean_difference(a, b):
    return sum(ImageStat.Stat(ImageChops.difference(a, b)).mean) / 3.0


def main(base_path, shot_path, dpi, min_ratio):
    base = Image.open(base_path).convert("RGB")
    shot = Image.open(shot_path).convert("RGB")
    smooth = base.resize(shot.size, Image.BICUBIC)
    blocky = base.resize(shot.size, Image.NEAREST)
    failed = 0
    for name, l, t, r, b in REGIONS:
        box = (device(l, dpi), device(t, dpi), device(r, dpi), device(b, dpi))
        mine = shot.crop(box)
        ratio = gradient_energy(mine) / max(1e-6, gradient_energy(smooth.crop(box)))
        apart = mean_difference(mine, blocky.crop(box))
        ok = ratio >= min_ratio and apart >= MIN_DIFFERENCE
        failed += not ok
        print("%3d DPI %-20s gradient energy %.2fx the bicubic enlargement's, %.1f grey levels "
              "from the blocky one  %s" % (dpi, name, ratio, apart, "ok" if ok else "ENLARGED"))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2], int(sys.argv[3]), float(sys.argv[4])))
