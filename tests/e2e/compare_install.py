#!/usr/bin/env python3
"""Checks that every entry of a package is installed under a base folder with its content.

    compare_install.py PACKAGE.zip BASE_FOLDER

Folders must exist; files must hold exactly the entry's bytes. Extra files are allowed (the
installation adds its own). Prints the first mismatches; exit status 1 when there is any.
"""
import os
import sys
import zipfile


def main():
    package, base = sys.argv[1], sys.argv[2]
    problems = []
    files = 0
    with zipfile.ZipFile(package) as archive:
        for info in archive.infolist():
            path = os.path.join(base, *info.filename.rstrip("/").split("/"))
            if info.is_dir():
                if not os.path.isdir(path):
                    problems.append(f"folder missing: {info.filename}")
                continue
            files += 1
            if not os.path.isfile(path):
                problems.append(f"file missing: {info.filename}")
                continue
            with open(path, "rb") as installed:
                if installed.read() != archive.read(info):
                    problems.append(f"content differs: {info.filename}")
    for line in problems[:10]:
        print(line, file=sys.stderr)
    if problems:
        print(f"{len(problems)} of {len(archive.infolist())} entries not installed as packed",
              file=sys.stderr)
        return 1
    print(f"{files} files installed as packed", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
