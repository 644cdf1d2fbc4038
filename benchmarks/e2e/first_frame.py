#!/usr/bin/env python3
"""Waits for the first frame of the installer window on an X display and prints when it came.

    first_frame.py --display :N --origin X,Y --points x1,y1:x2,y2:... --ready FILE
                   --start-file FILE [--timeout S]

The window shows centred on an otherwise empty virtual display (black without a window
manager), so its first painted frame is the moment its pixels appear at its place on the X
server: the poller reads the given client points (origin + point) straight from the root window
every 2 ms through libX11 and stops when every one of them is no longer black. It writes READY
once it polls; START_FILE then holds the start time (epoch seconds) written right before the
program was spawned. Prints the seconds from that start to the frame.
"""
import argparse
import ctypes
import ctypes.util
import sys
import time

Z_PIXMAP = 2


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--display", required=True)
    parser.add_argument("--origin", required=True)
    parser.add_argument("--points", required=True)
    parser.add_argument("--ready", required=True)
    parser.add_argument("--start-file", required=True)
    parser.add_argument("--timeout", type=float, default=30.0)
    args = parser.parse_args()
    ox, oy = (int(v) for v in args.origin.split(","))
    points = [tuple(int(v) for v in p.split(",")) for p in args.points.split(":")]

    x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XGetImage.restype = ctypes.POINTER(ctypes.c_void_p)
    x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                              ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    x11.XFree.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(args.display.encode())
    if not display:
        sys.exit(f"cannot open display {args.display}")
    root = x11.XDefaultRootWindow(display)

    def lit(x, y):
        image = x11.XGetImage(display, root, x, y, 1, 1, 0xFFFFFFFF, Z_PIXMAP)
        if not image:
            return False
        # XImage starts with four ints, then the data pointer (a 24-bit visual: 32-bit pixels).
        data = ctypes.cast(ctypes.c_void_p.from_address(ctypes.addressof(image.contents) + 16).value,
                           ctypes.POINTER(ctypes.c_uint8))
        pixel = (data[0], data[1], data[2])
        x11.XFree(ctypes.cast(data, ctypes.c_void_p))
        x11.XFree(image)
        return max(pixel) > 8

    if any(lit(ox + x, oy + y) for x, y in points):
        sys.exit("the window's place is not empty before the start")
    open(args.ready, "w").close()
    deadline = time.time() + args.timeout
    while time.time() < deadline:
        if all(lit(ox + x, oy + y) for x, y in points):
            seen = time.time()
            with open(args.start_file, encoding="ascii") as f:
                start = float(f.read().strip())
            print(f"{seen - start:.3f}")
            return 0
        time.sleep(0.002)
    sys.exit("no frame within the time-out")


if __name__ == "__main__":
    sys.exit(main())
