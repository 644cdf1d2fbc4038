#!/usr/bin/env python3
"""Keeps the source folders layered: a folder includes and links only the folders below it.

Checks the quoted includes of every .h/.cpp/.c and the dl_* links of every CMakeLists.txt and
*.cmake under the layered folders. A dl_* target named among a module's SYSLIBS is always
reported: that list is meant for system libraries, and a module there hides a dependency.
"""
import argparse
import os
import re
import sys
from pathlib import Path

# Each folder and the folders it may use besides itself, lowest layer first.
ALLOWED = {
    "base": set(),
    "config": {"base"},
    "net": {"base", "config"},
    "install": {"base", "config"},
    "trust": {"base", "config"},
    "controller": {"base", "config", "net", "install", "trust"},
    "ui/controls": {"base", "config"},
    "ui/framework": {"base", "config", "ui/controls"},
    "browser": {"base", "config", "ui/controls", "ui/framework"},
    "ui/installer": {"base", "config", "net", "install", "trust", "controller", "ui/controls",
                     "ui/framework", "browser"},
}
ALLOWED["app"] = set(ALLOWED)
MODULES = {"dl_" + folder.replace("/", "_"): folder for folder in ALLOWED}
TOP_DIRS = sorted({folder.split("/")[0] for folder in ALLOWED})
SOURCE_SUFFIXES = (".h", ".cpp", ".c")

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
CMAKE_TOKEN = re.compile(r'#\[(=*)\[.*?\]\1\]|#[^\n]*|"(?:[^"\\]|\\.)*"|[()]|[^\s()#"]+', re.S)
VARIABLE = re.compile(r"\$\{(\w+)\}")
SET_OPTIONS = {"CACHE", "PARENT_SCOPE"}


def folder_of(path):
    """The layered folder a relative path belongs to, or None (ui/ has one more level)."""
    parts = path.split("/")
    depth = 2 if parts[0] == "ui" else 1
    folder = "/".join(parts[:depth])
    return folder if len(parts) > depth and folder in ALLOWED else None


def module_folder(name):
    return MODULES.get(name[:-len("_pure")] if name.endswith("_pure") else name)


def cmake_calls(path, text):
    """(command, [(argument, path, line)]) for each command call of a CMake file."""
    tokens, line, pos = [], 1, 0
    for m in CMAKE_TOKEN.finditer(text):
        line += text.count("\n", pos, m.start())
        pos = m.start()
        if not m.group().startswith("#"):
            tokens.append((m.group().strip('"'), path, line))
    i = 0
    while i + 1 < len(tokens):
        name = tokens[i][0]
        i += 1
        if tokens[i][0] != "(" or not re.fullmatch(r"[A-Za-z_]\w*", name):
            continue
        depth, args = 0, []
        for i in range(i, len(tokens)):
            depth += {"(": 1, ")": -1}.get(tokens[i][0], 0)
            if depth == 0:
                break
            if tokens[i][0] not in ("(", ")"):
                args.append(tokens[i])
        yield name.lower(), args


class Checker:
    def __init__(self, root):
        self.root = root
        self.violations = []
        self.files = self.includes = self.links = 0
        self.variables = {}  # (top folder, name) -> [(value, path, line)]

    def report(self, path, line, src, dst, what):
        self.violations.append(f"{path}:{line}: {src} -> {dst} ({what})")

    def files_under(self, wanted):
        for top in TOP_DIRS:
            for dirpath, dirnames, filenames in os.walk(self.root / top):
                dirnames[:] = sorted(d for d in dirnames if not d.startswith("."))
                for name in sorted(filter(wanted, filenames)):
                    yield (Path(dirpath) / name).relative_to(self.root).as_posix()

    def check_includes(self, path):
        src = folder_of(path)
        if src is None:
            return
        self.files += 1
        text = (self.root / path).read_text(errors="replace")
        for number, text_line in enumerate(text.splitlines(), 1):
            m = INCLUDE.match(text_line)
            dst = m and folder_of(m.group(1))
            if dst:
                self.includes += 1
                if dst != src and dst not in ALLOWED[src]:
                    self.report(path, number, src, dst, f'include "{m.group(1)}"')

    def expand(self, scope, items, seen=()):
        """The items with each ${VAR} replaced by what set()/list(APPEND) gave VAR in the scope;
        every value keeps the place that named it."""
        out = []
        for item in items:
            m = VARIABLE.fullmatch(item[0])
            if not m:
                out.append(item)
            elif m.group(1) not in seen:
                defined = self.variables.get((scope, m.group(1)), [])
                out += self.expand(scope, defined, seen + (m.group(1),))
        return out

    def check_link(self, src, items, through_syslibs=False):
        for name, path, line in items:
            dst = module_folder(name)
            if through_syslibs and name.startswith("dl_"):
                self.links += 1
                self.report(path, line, src, dst or "?", f"link {name} through SYSLIBS")
            elif dst and not through_syslibs:
                self.links += 1
                if dst != src and dst not in ALLOWED[src]:
                    self.report(path, line, src, dst, f"link {name}")

    def check_links(self, paths):
        calls = []
        for path in paths:
            text = (self.root / path).read_text(errors="replace")
            calls += [(path.split("/")[0], cmd, args) for cmd, args in cmake_calls(path, text)]
        # Variables first: a folder's pieces are included from its CMakeLists.txt and share
        # its scope, whichever file comes first here.
        for scope, command, args in calls:
            if command == "list" and args and args[0][0] == "APPEND":
                args = args[1:]
            elif command != "set" or not args:
                continue
            values = self.variables.setdefault((scope, args[0][0]), [])
            for item in args[1:]:
                if item[0] in SET_OPTIONS:
                    break
                values.append(item)
        for scope, command, args in calls:
            if command not in ("dl_module", "target_link_libraries") or not args:
                continue
            src = module_folder(args[0][0]) or folder_of(args[0][1])
            if src is None:
                continue
            if command == "target_link_libraries":
                self.check_link(src, self.expand(scope, args[1:]))
                continue
            parts, current = {"PURE": [], "WIN": [], "DEPS": [], "SYSLIBS": []}, None
            for item in args[1:]:
                if item[0] in parts:
                    current = item[0]
                elif current:
                    parts[current].append(item)
            self.check_link(src, self.expand(scope, parts["DEPS"]))
            self.check_link(src, self.expand(scope, parts["SYSLIBS"]), through_syslibs=True)

    def run(self):
        for path in self.files_under(lambda name: name.endswith(SOURCE_SUFFIXES)):
            self.check_includes(path)
        self.check_links(self.files_under(
            lambda name: name == "CMakeLists.txt" or name.endswith(".cmake")))
        return self.violations


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", type=Path, default=Path(__file__).resolve().parent.parent)
    checker = Checker(parser.parse_args().root.resolve())
    violations = checker.run()
    counts = f"{checker.files} files, {checker.includes} includes, {checker.links} links checked"
    for violation in violations:
        print(violation)
    if violations:
        print(f"layers: {len(violations)} violation(s); {counts}")
        return 1
    print(f"layers: {counts}, no violation")
    return 0


if __name__ == "__main__":
    sys.exit(main())
