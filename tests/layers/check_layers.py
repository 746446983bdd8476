#!/usr/bin/env python3
"""Fails when a source file includes a header of a layer above its own.

The layers, from the bottom: output and values, model, translator, interpreter, and the two
shells, cli and ide, which never include each other. A folder may include its own layer and
the layers below it."""

import pathlib
import re
import sys

# Folder -> rank; a file may include a folder of a rank no higher than its own.
RANKS = {
    "output": 0,
    "values": 1,
    "model": 2,
    "translator": 3,
    "interpreter": 4,
    "cli": 5,
    "ide": 5,
}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"/]+)/[^"]*"', re.MULTILINE)


def violations(root):
    for folder, rank in RANKS.items():
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            for target in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
                if target not in RANKS:
                    continue
                if RANKS[target] > rank or (RANKS[target] == rank and target != folder):
                    yield f"{path.relative_to(root)}: includes {target}/, a layer above {folder}/"


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    if not (root / "values").is_dir():
        print(f"{root}: not the source tree", file=sys.stderr)
        return 2
    found = list(violations(root))
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
