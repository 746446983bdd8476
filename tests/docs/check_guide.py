#!/usr/bin/env python3
"""Checks the examples of a guide written in Markdown.

Every fenced block that opens with ```tirvane is a small program whose line comments
state its cases (`// run:`, `// trace:`, `// eval:`, `// translate:` with `// expect:`,
see tests/golden/run_golden.py). Each block is written to a Windows-1251 file with CR LF
line ends, as the IDE saves programs, and run through run_golden.py.

    check_guide.py RUNNER RUN_GOLDEN GUIDE.md [TWIN_RUN]

TWIN_RUN is handed on to run_golden.py, which then also compares each run traced and
untraced.
"""
import pathlib
import subprocess
import sys
import tempfile

OPENING = "```tirvane"
CLOSING = "```"


def program_blocks(text):
    """The (first line number, program text) of every ```tirvane block, in order."""
    blocks, lines, start = [], None, 0
    for number, line in enumerate(text.splitlines(), 1):
        if lines is None:
            if line.strip() == OPENING:
                lines, start = [], number + 1
        elif line.strip() == CLOSING:
            blocks.append((start, "".join(part + "\n" for part in lines)))
            lines = None
        else:
            lines.append(line)
    if lines is not None:
        raise ValueError(f"the block that opens before line {start} is never closed")
    return blocks


def check_block(runner, run_golden, twin, folder, start, program):
    """Runs one block's cases; returns the report of a failure, or None."""
    path = pathlib.Path(folder) / f"guide-line-{start}.tvn"
    try:
        path.write_bytes(program.replace("\n", "\r\n").encode("cp1251"))
    except UnicodeEncodeError as error:
        return f"the program cannot be written in Windows-1251: {error}"
    done = subprocess.run([sys.executable, run_golden, runner, str(path)] + twin,
                          capture_output=True, text=True, timeout=600)
    return None if done.returncode == 0 else done.stdout + done.stderr


def main():
    runner, run_golden, guide = sys.argv[1:4]
    twin = sys.argv[4:5]
    try:
        blocks = program_blocks(pathlib.Path(guide).read_text(encoding="utf-8"))
    except ValueError as error:
        print(f"{guide}: {error}")
        return 1
    if not blocks:
        print(f"{guide}: no ```tirvane examples")
        return 1
    failed = 0
    with tempfile.TemporaryDirectory() as folder:
        for start, program in blocks:
            report = check_block(runner, run_golden, twin, folder, start, program)
            if report is not None:
                failed += 1
                print(f"{guide}:{start}: the example fails\n{report}")
    print(f"{len(blocks) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
