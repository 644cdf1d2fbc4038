#!/usr/bin/env python3
"""Makes the archives the extraction tests read, with real tools where one exists.

    extract_make_archives.py OUT_DIR

OUT_DIR/tree holds the source files the tool-made archives were built from, so the tests can
compare what they extract with the originals. Run with the time zone the tests use (TZ): the
DOS times the tools write are local times.
"""
import os
import random
import shutil
import struct
import subprocess
import sys
import zipfile
import zlib

MTIME = 1590000000  # 2020-05-20 18:40:00 UTC, daylight saving time in New York
ATIME = 1600000000  # 2020-09-13 12:26:40 UTC


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def make_tree(root):
    rng = random.Random(20240601)
    top = os.path.join(root, "Tavoro")
    files = {
        "lobby.exe": bytes(rng.getrandbits(8) for _ in range(50000)),
        "readme.txt": b"".join(b"line %d of the readme\r\n" % i for i in range(1000)),
        "empty.txt": b"",
        "ro.txt": b"read only\n",
        "data/big.bin": bytes(rng.getrandbits(8) for _ in range(300000)),
        "data/zero.bin": bytes(1000000),
        "sub/deeper/x.txt": b"deep\n",
    }
    for name, data in files.items():
        write(os.path.join(top, name), data)
    os.makedirs(os.path.join(top, "emptydir"), exist_ok=True)
    for name in files:
        os.utime(os.path.join(top, name), (ATIME, MTIME))
    os.chmod(os.path.join(top, "ro.txt"), 0o444)


def run(args, cwd):
    subprocess.run(args, cwd=cwd, check=True, stdout=subprocess.DEVNULL)


def entry(name, date_time=(2021, 1, 15, 10, 20, 30), system=0, attributes=0x20, extra=b""):
    info = zipfile.ZipInfo(name, date_time)
    info.create_system = system
    info.external_attr = attributes
    info.extra = extra
    return info


def unix_time_block(flags, *times):
    body = struct.pack("<B", flags) + b"".join(struct.pack("<I", t) for t in times)
    return struct.pack("<HH", 0x5455, len(body)) + body


def patch_compressed_size(path, index, value):
    """Rewrites the compressed size of one entry in both its local and its central header."""
    with zipfile.ZipFile(path) as z:
        local = z.infolist()[index].header_offset
    data = bytearray(open(path, "rb").read())
    central = data.find(b"PK\x01\x02")
    for _ in range(index):
        n, m, k = struct.unpack_from("<HHH", data, central + 28)
        central += 46 + n + m + k
    struct.pack_into("<I", data, local + 18, value)
    struct.pack_into("<I", data, central + 20, value)
    open(path, "wb").write(bytes(data))


def data_offset(path, index):
    with zipfile.ZipFile(path) as z:
        info = z.infolist()[index]
    raw = open(path, "rb").read()
    n, m = struct.unpack_from("<HH", raw, info.header_offset + 26)
    return info.header_offset + 30 + n + m


def make_python_archives(out):
    with zipfile.ZipFile(os.path.join(out, "python_fat.zip"), "w") as z:
        z.writestr(entry("Fat/readonly.txt", attributes=0x21), b"read-only\n")
        z.writestr(entry("Fat/hidden.txt", (2021, 7, 15, 10, 20, 30), attributes=0x22),
                   b"hidden " * 500, zipfile.ZIP_DEFLATED)
        z.writestr(entry("Fat/system.txt", attributes=0x24), b"system\n", zipfile.ZIP_DEFLATED)
        z.writestr(entry("Fat/plain.bin", attributes=0), bytes(range(256)) * 400,
                   zipfile.ZIP_DEFLATED)
        z.writestr(entry("Fat/dir/", attributes=0x10), b"")

    with zipfile.ZipFile(os.path.join(out, "ut_flags.zip"), "w") as z:
        z.writestr(entry("ut/all.txt", system=3, attributes=0o100644 << 16,
                         extra=unix_time_block(7, 1000000000, 1100000000, 1200000000)), b"all\n")
        z.writestr(entry("ut/creation.txt", (2021, 7, 15, 10, 20, 30), system=3,
                         attributes=0o100644 << 16, extra=unix_time_block(4, 1300000000)),
                   b"creation\n")

    crc = os.path.join(out, "crc.zip")
    with zipfile.ZipFile(crc, "w") as z:
        z.writestr(entry("crc/a.txt"), b"fine\n")
        z.writestr(entry("crc/b.txt"), b"this byte will flip\n")
    raw = bytearray(open(crc, "rb").read())
    raw[data_offset(crc, 1) + 5] ^= 0x01
    open(crc, "wb").write(bytes(raw))

    short = os.path.join(out, "short.zip")
    with zipfile.ZipFile(short, "w") as z:
        z.writestr(entry("short/first.txt"), b"first\n")
        z.writestr(entry("short/a.bin"), bytes(1000))
    patch_compressed_size(short, 1, 600)

    hostile = [
        "C:\\x\\y.txt", "/x/y2.txt", "a/../../b.txt", "..\\..\\evil.txt", "a/..\\..\\c",
        "W:../w.txt", "\\\\server\\share\\unc.txt", "../C:/drive2.txt", "./dot/./d.txt",
    ]
    with zipfile.ZipFile(os.path.join(out, "hostile_ok.zip"), "w") as z:
        for name in hostile:
            z.writestr(entry(name), name.encode())

    refused = [
        "stream.txt:evil", "a/b:c/d.txt", "CON", "sub/nul.txt", "COM1", "LPT9.log",
        "ctl\x01.txt", "pipe|x.txt", "...", "a/..",
    ]
    for i, name in enumerate(refused):
        with zipfile.ZipFile(os.path.join(out, "refused_%d.zip" % i), "w") as z:
            z.writestr(entry(name), b"must not be written\n")
            z.writestr(entry("after.txt"), b"must not be written either\n")

    with zipfile.ZipFile(os.path.join(out, "lobby.zip"), "w") as z:
        z.writestr(entry("Tavoro/lobby.exe"), b"MZ new lobby\n", zipfile.ZIP_DEFLATED)
        z.writestr(entry("Tavoro/after.txt"), b"after\n")
        z.writestr(entry("Tavoro/later/deeper/after.txt"), b"after\n")

    # Many entries in twenty folders, ten each; in the copy, entry 100 fails its CRC.
    many = os.path.join(out, "many.zip")
    with zipfile.ZipFile(many, "w") as z:
        for i in range(200):
            name = "many/f%02d/e%03d.txt" % (i // 10, i)
            z.writestr(entry(name), name.encode() * 20)
    raw = bytearray(open(many, "rb").read())
    raw[data_offset(many, 100) + 3] ^= 0x01
    open(os.path.join(out, "many_crc.zip"), "wb").write(bytes(raw))


# Names in several scripts, one outside the basic plane, and an entry path of 300 characters.
UNICODE_FILES = {
    "names/\u4e16\u754c/\u8d44\u6e90.txt": b"world\n",
    "names/caf\u00e9/\u00f1and\u00fa.txt": b"cafe\n",
    "names/\u65e5\u672c\u8a9e/\u30c6\u30b9\u30c8.txt": b"nihongo\n",
    "names/\U0001f3ae.txt": b"game\n",
    "names/long/" + "/".join(["d" * 40] * 6) + "/" + "f" * 40 + ".txt": b"long\n",
}
# The second folder's name ends in the byte 0x5C, a backslash when read byte by byte.
GBK_FILES = {"\u4e2d\u6587/\u8bf4\u660e.txt": b"gbk\n", "\u4e57/x.txt": b"trail 5c\n"}


class RawName(zipfile.ZipInfo):
    """An entry whose name bytes are given as they are, flagged UTF-8 or not."""
    __slots__ = ("raw", "utf8")

    def _encodeFilenameFlags(self):
        return self.raw, self.flag_bits | (0x800 if self.utf8 else 0)


def raw_entry(raw, utf8_flag, extra=b""):
    info = RawName(raw.decode("latin-1"), (2021, 1, 15, 10, 20, 30))
    info.raw, info.utf8, info.extra = raw, utf8_flag, extra
    return info


def unicode_path_field(raw, name):
    """Info-ZIP's Unicode path field (0x7075): version 1, the CRC-32 of the raw name, UTF-8."""
    body = struct.pack("<BI", 1, zlib.crc32(raw)) + name.encode()
    return struct.pack("<HH", 0x7075, len(body)) + body


def make_unicode_archives(out):
    """Non-ASCII names as real tools write them: 7z, Python and bsdtar flag UTF-8; a Western
    tool's archive carries Info-ZIP's Unicode path field; a GBK archive carries raw code-page
    bytes without the flag, as Chinese Windows tools write them. (Debian's Info-ZIP zip writes
    neither flag nor field, only raw UTF-8: such names are read in the code page, like GBK.)"""
    tree = os.path.join(out, "unicode")
    for name, data in UNICODE_FILES.items():
        write(os.path.join(tree, name), data)
    utf8 = dict(os.environ, LC_ALL="C.UTF-8")
    subprocess.run(["7z", "a", "-tzip", "-bd", os.path.join(out, "uni_7z.zip"), "names"], cwd=tree,
                   env=utf8, check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["bsdtar", "--format", "zip", "-cf", os.path.join(out, "uni_bsdtar.zip"),
                    "names"], cwd=tree, env=utf8, check=True)
    with zipfile.ZipFile(os.path.join(out, "uni_python.zip"), "w") as z:
        for name, data in UNICODE_FILES.items():
            z.writestr(entry(name), data, zipfile.ZIP_DEFLATED)
    # The raw name in the code page a Western tool used, the real one in the Unicode path field;
    # the last field is stale (its CRC names other bytes) and must not be taken.
    with zipfile.ZipFile(os.path.join(out, "uni_field.zip"), "w") as z:
        for name, data in UNICODE_FILES.items():
            raw = name.encode("ascii", "replace")
            z.writestr(raw_entry(raw, False, unicode_path_field(raw, name)), data)
        z.writestr(raw_entry(b"stale.txt", False, unicode_path_field(b"other", "x.txt")), b"stale\n")
    with zipfile.ZipFile(os.path.join(out, "gbk.zip"), "w") as z:
        for name, data in GBK_FILES.items():
            z.writestr(raw_entry(name.encode("gbk"), False), data)
    # Flagged names that are not UTF-8, or that decode to what may not be written.
    for i, raw in enumerate([b"\xc0\xae\xc0\xae/evil.txt", b"\xed\xa0\x80.txt",
                             "COM\u00b9.txt".encode(), "lpt\u00b3/x.txt".encode()]):
        with zipfile.ZipFile(os.path.join(out, "uni_refused_%d.zip" % i), "w") as z:
            z.writestr(raw_entry(raw, True), b"must not be written\n")
            z.writestr(entry("after.txt"), b"must not be written either\n")


def main():
    out = sys.argv[1]
    tree = os.path.join(out, "tree")
    make_tree(tree)
    run(["zip", "-q", "-r", os.path.join(out, "infozip.zip"), "Tavoro"], tree)
    run(["zip", "-q", "-e", "-P", "secret", os.path.join(out, "infozip_enc.zip"),
         "Tavoro/readme.txt"], tree)
    run(["7z", "a", "-tzip", "-bd", os.path.join(out, "sevenz.zip"), "Tavoro"], tree)
    run(["7z", "a", "-tzip", "-bd", "-mm=BZip2", os.path.join(out, "sevenz_bzip2.zip"),
         "Tavoro/readme.txt"], tree)
    run(["bsdtar", "--format", "zip", "-cf", os.path.join(out, "bsdtar.zip"), "Tavoro"], tree)

    whole = open(os.path.join(out, "infozip.zip"), "rb").read()
    open(os.path.join(out, "truncated.zip"), "wb").write(whole[: len(whole) // 2])
    open(os.path.join(out, "notzip.zip"), "wb").write(b"this is not an archive\n" * 40)
    make_python_archives(out)
    make_unicode_archives(out)


if __name__ == "__main__":
    main()
