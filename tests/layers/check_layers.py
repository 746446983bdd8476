#!/usr/bin/env python3
"""Fails when a source file includes a header of a layer above its own.

The core's layers, from the bottom: output, values, model, translator, interpreter; a core
folder may include its own layer and those below it. Above them the shells: syntax (the
editors' line scanner, standard library only), lsp, cli and ide."""

import pathlib
import re
import sys

CORE = ["output", "values", "model", "translator", "interpreter"]
ALLOWED = {folder: set(CORE[: i + 1]) for i, folder in enumerate(CORE)}
ALLOWED.update(
    {
        "syntax": {"syntax"},
        "lsp": set(CORE) | {"syntax", "lsp"},
        "cli": set(CORE) | {"syntax", "lsp", "cli"},
        "ide": set(CORE) | {"syntax", "ide"},
    }
)
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"/]+)/[^"]*"', re.MULTILINE)


def violations(root):
    for folder, allowed in ALLOWED.items():
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            text = path.read_text(encoding="utf-8", errors="replace")
            for target in INCLUDE.findall(text):
                if target in ALLOWED and target not in allowed:
                    yield f"{path.relative_to(root)}: includes {target}/, which {folder}/ may not"


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    if not all((root / folder).is_dir() for folder in CORE):
        print(f"{root}: not the source tree", file=sys.stderr)
        return 2
    found = list(violations(root))
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
