#!/usr/bin/env python3
"""Damages a zip package in place the way a broken transfer or disk would: the middle of the
lobby program's compressed data is overwritten, so the archive still opens and lists its
entries, but unpacking that entry fails.

    damage_package.py PACKAGE.zip [ENTRY]   (ENTRY defaults to Tavoro/lobby.exe)
"""
import struct
import sys
import zipfile


def main():
    path = sys.argv[1]
    name = sys.argv[2] if len(sys.argv) > 2 else "Tavoro/lobby.exe"
    with zipfile.ZipFile(path) as archive:
        info = archive.getinfo(name)
    with open(path, "r+b") as f:
        f.seek(info.header_offset)
        header = f.read(30)
        if header[:4] != b"PK\x03\x04":
            sys.exit(f"{path}: no local header for {name}")
        name_len, extra_len = struct.unpack("<HH", header[26:30])
        data = info.header_offset + 30 + name_len + extra_len
        size = min(256, max(info.compress_size // 4, 1))
        start = data + (info.compress_size - size) // 2
        f.seek(start)
        block = f.read(size)
        f.seek(start)
        f.write(bytes(b ^ 0x5A for b in block))
    print(f"{path}: {size} bytes of {name} damaged at offset {start}", file=sys.stderr)


if __name__ == "__main__":
    main()
