#!/usr/bin/env python3
"""Makes the lobby package the downloader fetches and unpacks in the tests.

    make_package.py --lobby PATH/lobby.exe --out OUT.zip [--size-mb N] [--seed S]

Everything lies under "Tavoro/": the lobby program plus a few hundred files shaped like a game
client's (empty, tiny, KB-sized and MB-sized; Chinese UTF-8 text, incompressible binary, very
compressible logs; stored and deflated; directory entries for some folders only). The same
inputs always give the same bytes, so a rebuilt package keeps resumed downloads valid.
--size-mb pads the archive with stored incompressible files to about N MiB in all.
"""
import argparse
import io
import os
import random
import sys
import zipfile

TOP = "Tavoro/"
DATE = (2024, 1, 1, 0, 0, 0)
MIB = 1024 * 1024
FILLER_CHUNK = 16 * MIB

STORED = zipfile.ZIP_STORED
DEFLATED = zipfile.ZIP_DEFLATED

# Folders that get an explicit entry; the others exist only through the files in them.
# "cache/" has no files: only its entry makes it.
DIRECTORY_ENTRIES = ["", "cache/", "config/", "res/", "res/skin/", "res/skin/default/",
                     "sound/", "sound/bgm/"]

CHINESE_LINES = [
    "欢迎来到塔沃罗游戏大厅",
    "请保持网络畅通，游戏将自动更新",
    "好友列表、房间列表与聊天记录",
    "麻将、象棋、斗地主、围棋",
    "本地设置保存在此文件中，请勿手动修改",
    "服务器维护期间暂停登录",
    "声音、画面与快捷键设置",
]


def chinese_text(rng, lines, crlf=True):
    eol = "\r\n" if crlf else "\n"
    return "".join(f"{rng.choice(CHINESE_LINES)} {i}{eol}" for i in range(lines)).encode()


def ini_file(rng, section_count):
    out = []
    for s in range(section_count):
        out.append(f"[分区{s}]")
        for k in range(rng.randint(2, 8)):
            out.append(f"键{k}={rng.choice(CHINESE_LINES)}")
        out.append("")
    return "\r\n".join(out).encode()


def xml_file(rng, items):
    rows = "".join(
        f'  <item id="{i}" name="{rng.choice(CHINESE_LINES)}" value="{rng.randint(0, 99999)}"/>\n'
        for i in range(items))
    return f'<?xml version="1.0" encoding="utf-8"?>\n<list>\n{rows}</list>\n'.encode()


def log_file(rng, lines):
    # Near-identical lines: deflate shrinks these by two orders of magnitude.
    start = rng.randint(0, 1000)
    return "".join(f"2023-12-31 23:59:{(start + i) % 60:02d} INFO heartbeat ok seq={i}\n"
                   for i in range(lines)).encode()


def build_files(rng, lobby):
    """Returns {name under TOP: (bytes, compression)}."""
    files = {"lobby.exe": (lobby, DEFLATED)}

    files["config/lobby.ini"] = (ini_file(rng, 6), DEFLATED)
    files["config/server.ini"] = (ini_file(rng, 2), STORED)
    for i in range(10):
        files[f"config/game{i:02d}.ini"] = (ini_file(rng, rng.randint(1, 5)), DEFLATED)

    for i in range(30):
        files[f"data/table/t{i:02d}.xml"] = (xml_file(rng, rng.randint(3, 200)), DEFLATED)

    files["docs/readme.txt"] = (chinese_text(rng, 300), DEFLATED)
    files["docs/license.txt"] = (chinese_text(rng, 80), STORED)
    for i in range(8):
        files[f"docs/notes/n{i}.txt"] = (chinese_text(rng, rng.randint(1, 40), crlf=False),
                                         DEFLATED)
    for i in range(4):
        files[f"docs/empty{i}.txt"] = (b"", DEFLATED if i % 2 else STORED)

    for theme in ("default", "spring", "night"):
        for part in ("button", "panel", "icon"):
            for i in range(12):
                data = rng.randbytes(rng.randint(200, 30000))
                files[f"res/skin/{theme}/{part}/{part}{i:02d}.dat"] = (
                    data, STORED if i % 3 else DEFLATED)
            files[f"res/skin/{theme}/{part}/empty.dat"] = (b"", STORED)
    for i in range(20):
        files[f"res/skin/default/flag/f{i:02d}.txt"] = (str(i).encode() * rng.randint(1, 8),
                                                        DEFLATED if i % 2 else STORED)
    for i in range(3):
        files[f"res/font/font{i}.dat"] = (rng.randbytes(rng.randint(40000, 120000)), STORED)

    # The MB-sized ones: a stored and a deflated incompressible pack, a compressible log.
    files["res/pack/ui.pak"] = (rng.randbytes(1 * MIB), STORED)
    files["res/pack/map.pak"] = (rng.randbytes(MIB + MIB // 5), DEFLATED)
    files["sound/bgm/lobby_theme.pak"] = (rng.randbytes(MIB), STORED)
    for i in range(6):
        files[f"sound/bgm/track{i}.pak"] = (rng.randbytes(rng.randint(50000, 200000)), STORED)
    for i in range(80):
        files[f"sound/effect/e{i:03d}.dat"] = (rng.randbytes(rng.randint(1000, 8000)),
                                               STORED if i % 4 else DEFLATED)

    files["log/history.log"] = (log_file(rng, 20000), DEFLATED)
    for i in range(8):
        files[f"log/old/day{i}.log"] = (log_file(rng, rng.randint(10, 2000)), DEFLATED)
    return files


def entry_info(name, compression):
    info = zipfile.ZipInfo(TOP + name, DATE)
    info.create_system = 0  # the host byte would otherwise follow the machine that built it
    info.compress_type = compression
    if name.endswith("/") or name == "":
        info.external_attr = 0x10  # MS-DOS directory
    else:
        info.external_attr = 0x20  # MS-DOS archive
    return info


def filler_sizes(target, base_size):
    # Each stored filler entry costs its data plus ~120 bytes of headers.
    remaining = target - base_size
    sizes = []
    while remaining > 200:
        size = min(FILLER_CHUNK, remaining - 120)
        sizes.append(size)
        remaining -= size + 120
    return sizes


def write_zip(out, files, fillers, seed):
    entries = [(d, None) for d in DIRECTORY_ENTRIES]
    entries += [(name, None) for name in files]
    entries += [(f"zfill/fill{i:03d}.pak", i) for i in range(len(fillers))]
    entries.sort(key=lambda e: e[0])
    count = 0
    total = 0
    with zipfile.ZipFile(out, "w") as z:
        for name, filler in entries:
            if filler is not None:
                data = random.Random(f"{seed}/fill/{filler}").randbytes(fillers[filler])
                info = entry_info(name, STORED)
            elif name in files:
                data, compression = files[name]
                info = entry_info(name, compression)
            else:
                data = b""
                info = entry_info(name, STORED)
            z.writestr(info, data)
            count += 1
            total += len(data)
    return count, total


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--lobby", required=True, help="the lobby program to put in the package")
    parser.add_argument("--out", required=True, help="the zip to write")
    parser.add_argument("--size-mb", type=int, default=0, help="pad the archive to about N MiB")
    parser.add_argument("--seed", default="20240101", help="seed of the generated content")
    args = parser.parse_args()

    with open(args.lobby, "rb") as f:
        lobby = f.read()
    files = build_files(random.Random(args.seed), lobby)

    fillers = []
    if args.size_mb > 0:
        probe = io.BytesIO()
        write_zip(probe, files, [], args.seed)
        fillers = filler_sizes(args.size_mb * MIB, len(probe.getvalue()))

    out_dir = os.path.dirname(os.path.abspath(args.out))
    os.makedirs(out_dir, exist_ok=True)
    temp = args.out + ".tmp"
    try:
        with open(temp, "wb") as f:
            count, total = write_zip(f, files, fillers, args.seed)
        os.replace(temp, args.out)
    except BaseException:
        if os.path.exists(temp):
            os.remove(temp)
        raise
    print(f"{args.out}: {count} entries, {total} bytes unpacked, "
          f"{os.path.getsize(args.out)} bytes packed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
