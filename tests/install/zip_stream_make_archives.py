#!/usr/bin/env python3
"""Makes the archives the streaming reader's tests follow, with the real tools.

    zip_stream_make_archives.py OUT_DIR

OUT_DIR/cases.txt has one line per archive: its file name and what the reader must make of it
(confirmed, cannot_follow, disagrees, broken). A confirmed or broken archive has NAME.entries:
"crc32 size name" per entry, taken from the bytes the tool was given, not from the archive.
"""
import io
import os
import random
import shutil
import struct
import subprocess
import sys
import zipfile
import zlib

rng = random.Random(18)
TREE = {
    "readme.txt": b"".join(b"line %d of the readme\n" % i for i in range(20000)),
    "noise.bin": bytes(rng.getrandbits(8) for _ in range(150000)),
    "zeros.bin": bytes(3000000),  # inflates to many output blocks from a few input bytes
    "empty.txt": b"",
    "sub/deeper/x.txt": b"deep\n",
    "\u6570\u636e/\u6587\u4ef6.txt": b"non-ASCII name\n",
}
NAMES = list(TREE)


def manifest(items):
    return "".join("%08x %d %s\n" % (zlib.crc32(d), len(d), n) for n, d in items)


class Unseekable(io.RawIOBase):
    """Where Python's writer cannot seek back, so it writes data descriptors."""

    def __init__(self):
        self.data = bytearray()

    def writable(self):
        return True

    def write(self, b):
        self.data += b
        return len(b)


def shell(command, cwd):
    subprocess.run(command, cwd=cwd, shell=True, check=True, stdout=subprocess.DEVNULL)


def patched(src, dst, where, delta):
    """A copy of src with one byte changed at the offset where(raw) finds."""
    raw = bytearray(open(src, "rb").read())
    raw[where(raw)] ^= delta
    open(dst, "wb").write(bytes(raw))


def main(out):
    shutil.rmtree(out, ignore_errors=True)
    tree = os.path.join(out, "tree")
    for name, data in TREE.items():
        os.makedirs(os.path.dirname(os.path.join(tree, name)), exist_ok=True)
        open(os.path.join(tree, name), "wb").write(data)
    cases = []
    tree_manifest = manifest(TREE.items())

    def tool(name, command, expect="confirmed"):
        shell(command.replace("OUT", os.path.join(out, name)), tree)
        cases.append((name, expect, tree_manifest))

    files = " ".join("'%s'" % n for n in NAMES)
    utf8 = "LC_ALL=C.UTF-8 "
    # A pipe is unseekable: the tools then write data descriptors.
    tool("infozip.zip", "zip -q -X OUT " + files)
    tool("infozip_pipe.zip", "zip -q -X - %s | cat > OUT" % files)
    tool("infozip_descriptors.zip", "zip -q -X -fd OUT " + files)
    tool("7z.zip", utf8 + "7z a -tzip -bd OUT " + files)
    tool("7z_stored.zip", utf8 + "7z a -tzip -bd -mx0 OUT " + files)
    tool("bsdtar.zip", utf8 + "bsdtar --format zip -cf - %s > OUT" % files)
    tool("infozip_pipe_stored.zip", "zip -q -X -0 - %s | cat > OUT" % files, "cannot_follow")
    tool("bsdtar_stored.zip", utf8 + "bsdtar --format zip --options zip:compression=store "
         "-cf OUT " + files, "cannot_follow")
    tool("infozip_encrypted.zip", "zip -q -X -P secret OUT " + files, "cannot_follow")
    # Read from standard input the size is unknown: a zip64 field in the local header, and
    # with a pipe behind it a descriptor with 8-byte sizes.
    readme = [("-", TREE["readme.txt"])]
    for name, command in (("infozip_stdin.zip", "zip -q OUT - < readme.txt"),
                          ("infozip_stdin_pipe.zip", "zip -q - - < readme.txt | cat > OUT")):
        shell(command.replace("OUT", os.path.join(out, name)), tree)
        cases.append((name, "confirmed", manifest(readme)))

    def python(name, items, expect="confirmed", stream=False, zip64=False):
        sink = Unseekable() if stream else open(os.path.join(out, name), "wb")
        with zipfile.ZipFile(sink, "w") as z:
            for entry_name, data, method in items:
                info = zipfile.ZipInfo(entry_name, (2022, 2, 2, 12, 0, 0))
                info.compress_type = method
                with z.open(info, "w", force_zip64=zip64) as f:
                    f.write(data)
        if stream:
            open(os.path.join(out, name), "wb").write(bytes(sink.data))
        else:
            sink.close()
        cases.append((name, expect, manifest((n, d) for n, d, _ in items)))

    deflated = [(n, d, zipfile.ZIP_DEFLATED) for n, d in TREE.items()]
    mixed = [(n, d, zipfile.ZIP_STORED if i % 2 else zipfile.ZIP_DEFLATED)
             for i, (n, d) in enumerate(TREE.items())]
    python("python_stream.zip", deflated, stream=True)
    python("python_stream_stored.zip", mixed, "cannot_follow", stream=True)
    python("python_zip64.zip", mixed, zip64=True)
    python("python_zip64_stream.zip", deflated, stream=True, zip64=True)
    python("python_empty.zip", [])
    # Past 65,535 entries only the zip64 end record holds the count.
    python("python_many.zip", [("many/%05d" % i, b"%d" % (i * i), zipfile.ZIP_DEFLATED)
                               for i in range(70000)])

    # Valid archives whose directory names something else than the local headers.
    base = os.path.join(out, "infozip.zip")
    central = lambda raw: raw.find(b"PK\x01\x02")
    patched(base, os.path.join(out, "central_crc.zip"), lambda r: central(r) + 16, 0x01)
    cases.append(("central_crc.zip", "disagrees", tree_manifest))
    patched(base, os.path.join(out, "central_name.zip"), lambda r: central(r) + 46, 0x20)
    cases.append(("central_name.zip", "disagrees", tree_manifest))
    # Bytes flipped in the middle of a deflated entry's data.
    with zipfile.ZipFile(base) as z:
        first = z.infolist()[0]
    assert first.filename == "readme.txt" and first.compress_type == zipfile.ZIP_DEFLATED
    raw = bytearray(open(base, "rb").read())
    n, m = struct.unpack_from("<HH", raw, first.header_offset + 26)
    middle = first.header_offset + 30 + n + m + first.compress_size // 2
    for i in range(8):
        raw[middle + i] ^= 0x55
    open(os.path.join(out, "damaged.zip"), "wb").write(bytes(raw))
    cases.append(("damaged.zip", "broken", tree_manifest))

    with open(os.path.join(out, "cases.txt"), "w") as f:
        for name, expect, entries in cases:
            f.write("%s %s\n" % (name, expect))
            open(os.path.join(out, name + ".entries"), "w", encoding="utf-8").write(entries)


if __name__ == "__main__":
    main(sys.argv[1])
