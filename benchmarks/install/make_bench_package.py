#!/usr/bin/env python3
"""Writes a reproducible package for the extraction benchmark: about 200 MB of zip holding a
few thousand files in a few hundred folders under the top folder "Tavoro", mixed like a
game client: many small files, some large ones, text that compresses and data that does not
(part of it stored, as packers keep already-compressed assets).

    make_bench_package.py OUT.zip [--files N] [--seed S]
"""
import argparse
import random
import zipfile

WORDS = ("lobby table card player round score bonus level room seat chip deal hand turn "
         "match rank friend chat voice skin theme sound music image config script data").split()


def text_corpus(rng, size):
    out = []
    length = 0
    while length < size:
        line = " ".join(rng.choice(WORDS) for _ in range(rng.randint(4, 14)))
        line += " %d\n" % rng.randint(0, 99999)
        out.append(line)
        length += len(line)
    return "".join(out).encode()[:size]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--files", type=int, default=4500)
    parser.add_argument("--seed", type=int, default=4547)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    corpus = text_corpus(rng, 4 << 20)

    folders = ["Tavoro"]
    for i in range(300):
        parent = rng.choice(folders)
        folders.append("%s/%s%d" % (parent, rng.choice(WORDS), i))

    def text(size):
        parts = []
        while size > 0:
            take = min(size, rng.randint(2000, 60000))
            start = rng.randrange(0, len(corpus) - take)
            parts.append(corpus[start:start + take])
            size -= take
        return b"".join(parts)

    stamp = (2024, 5, 20, 12, 30, 0)
    with zipfile.ZipFile(args.out, "w", allowZip64=False) as package:
        for folder in folders:
            info = zipfile.ZipInfo(folder + "/", stamp)
            info.external_attr = 0x10
            package.writestr(info, b"")
        for i in range(args.files):
            kind = rng.random()
            if i < 24:
                size = rng.randint(3 << 20, 6 << 20)  # a few large files
            elif kind < 0.85:
                size = rng.randint(100, 12000)  # most files are small
            else:
                size = rng.randint(60000, 400000)
            incompressible = rng.random() < 0.6
            data = rng.randbytes(size) if incompressible else text(size)
            method = zipfile.ZIP_STORED if incompressible and rng.random() < 0.5 \
                else zipfile.ZIP_DEFLATED
            name = "%s/file%04d.%s" % (rng.choice(folders), i,
                                       "bin" if incompressible else "txt")
            info = zipfile.ZipInfo(name, stamp)
            info.external_attr = 0x20
            info.compress_type = method
            package.writestr(info, data, compress_type=method, compresslevel=6)
        lobby = zipfile.ZipInfo("Tavoro/lobby.exe", stamp)
        lobby.external_attr = 0x20
        package.writestr(lobby, rng.randbytes(2 << 20), zipfile.ZIP_DEFLATED)


if __name__ == "__main__":
    main()
