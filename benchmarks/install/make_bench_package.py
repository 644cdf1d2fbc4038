#!/usr/bin/env python3
"""Writes a reproducible package for the benchmarks: about 200 MB of zip holding a few thousand
files in a few hundred folders under the top folder "Tavoro", mixed like a game client: many
small files, some large ones, text that compresses and data that does not (part of it stored,
as packers keep already-compressed assets).

    make_bench_package.py OUT.zip [--files N] [--folders N] [--large N] [--random-share F]
                          [--seed S] [--lobby LOBBY.exe] [--info-zip]

--lobby puts that program at Tavoro/lobby.exe, so the downloader can install the package and
start it. --info-zip packs the same files with Info-ZIP's `zip` (which stores what deflate does
not shrink) instead of Python's zipfile: a package as a site's packer makes it. Both ways give
the same bytes on every run.
"""
import argparse
import os
import random
import subprocess
import tempfile
import zipfile

WORDS = ("lobby table card player round score bonus level room seat chip deal hand turn "
         "match rank friend chat voice skin theme sound music image config script data").split()
STAMP = (2024, 5, 20, 12, 30, 0)


def text_corpus(rng, size):
    out = []
    length = 0
    while length < size:
        line = " ".join(rng.choice(WORDS) for _ in range(rng.randint(4, 14)))
        line += " %d\n" % rng.randint(0, 99999)
        out.append(line)
        length += len(line)
    return "".join(out).encode()[:size]


def generate(args):
    """Yields (name, bytes or None for a folder, zipfile method) in the package's order."""
    rng = random.Random(args.seed)
    corpus = text_corpus(rng, 4 << 20)

    folders = ["Tavoro"]
    for i in range(args.folders):
        parent = rng.choice(folders)
        folders.append("%s/%s%d" % (parent, rng.choice(WORDS), i))
    for folder in folders:
        yield folder + "/", None, zipfile.ZIP_STORED

    def text(size):
        parts = []
        while size > 0:
            take = min(size, rng.randint(2000, 60000))
            start = rng.randrange(0, len(corpus) - take)
            parts.append(corpus[start:start + take])
            size -= take
        return b"".join(parts)

    for i in range(args.files):
        kind = rng.random()
        if i < args.large:
            size = rng.randint(3 << 20, 6 << 20)  # a few large files
        elif kind < 0.85:
            size = rng.randint(100, 12000)  # most files are small
        else:
            size = rng.randint(60000, 400000)
        incompressible = rng.random() < args.random_share
        data = rng.randbytes(size) if incompressible else text(size)
        method = zipfile.ZIP_STORED if incompressible and rng.random() < 0.5 \
            else zipfile.ZIP_DEFLATED
        name = "%s/file%04d.%s" % (rng.choice(folders), i, "bin" if incompressible else "txt")
        yield name, data, method
    lobby = rng.randbytes(2 << 20)
    if args.lobby:
        with open(args.lobby, "rb") as f:
            lobby = f.read()
    yield "Tavoro/lobby.exe", lobby, zipfile.ZIP_DEFLATED


def write_python_zip(args):
    with zipfile.ZipFile(args.out, "w", allowZip64=False) as package:
        for name, data, method in generate(args):
            info = zipfile.ZipInfo(name, STAMP)
            info.external_attr = 0x10 if data is None else 0x20
            info.compress_type = method
            package.writestr(info, data or b"", compress_type=method, compresslevel=6)


def write_info_zip(args):
    # zip takes each file's date in the local zone and its unix mode, and -X leaves out the
    # extra fields that would carry the access time and owner: all fixed here.
    stamp = int(__import__("calendar").timegm(STAMP))
    out = os.path.abspath(args.out)
    if os.path.exists(out):
        os.remove(out)  # zip would add to it
    with tempfile.TemporaryDirectory(dir=os.path.dirname(out)) as tree:
        names = []
        for name, data, _ in generate(args):
            path = os.path.join(tree, name)
            if data is None:
                os.makedirs(path, mode=0o755, exist_ok=True)
            else:
                with open(path, "wb") as f:
                    f.write(data)
                os.chmod(path, 0o644)
            names.append(name)
        for name in reversed(names):  # files first, then folders from the deepest up
            path = os.path.join(tree, name)
            os.chmod(path, 0o755 if name.endswith("/") else 0o644)
            os.utime(path, (stamp, stamp))
        subprocess.run(["zip", "-q", "-X", "-6", "-@", out], cwd=tree, check=True,
                       input="".join(n + "\n" for n in names).encode(),
                       env=dict(os.environ, TZ="UTC"))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--files", type=int, default=4500)
    parser.add_argument("--folders", type=int, default=300)
    parser.add_argument("--large", type=int, default=24, help="files of 3 to 6 MiB among them")
    parser.add_argument("--random-share", type=float, default=0.6,
                        help="the share of files that do not compress")
    parser.add_argument("--seed", type=int, default=4547)
    parser.add_argument("--lobby", help="the lobby program to put at Tavoro/lobby.exe")
    parser.add_argument("--info-zip", action="store_true", help="pack with Info-ZIP's zip")
    args = parser.parse_args()
    (write_info_zip if args.info_zip else write_python_zip)(args)


if __name__ == "__main__":
    main()
