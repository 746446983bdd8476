#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets from examples/ and the runner's test data.

    fuzz/make_seeds.py            rewrites fuzz/corpus/{translate,argument,run}/

Seeds are small: every example program once, and one argument seed per run that an example lists (and a program seed for
the first few)
(`// run: FUNCTION ARGUMENT` or `//   FUNCTION ARGUMENT => RESULT`). The input formats
are those of the targets: fuzz_argument takes a byte that chooses the example, one that
chooses the entry of the function list, and the argument text; fuzz_run takes the
program, a NUL byte, the entry of the function list and the argument text.
"""
import pathlib
import re
import shutil

ROOT = pathlib.Path(__file__).resolve().parent.parent
CORPUS = ROOT / "fuzz" / "corpus"

# Small programs and arguments from the tests: errors of every kind, limits, namings.
PROGRAMS = [
    b"",
    b";",
    b"funcdef x { x } >> f",
    b"funcdef x {}",
    b"funcdef x { x ; x x }",
    b"prefunc >> f; funcdef x { x } >> f;",
    b"prefunc >> f;",
    b"const 5",
    b"const >> c",
    b"f[] << funcdef x { x } f[1] << funcdef x { x } funcdef x { x } >> f",
    b"f << prefunc; f << const 5",
    b"const 1 >> a const 2 >> b",
    b"funcdef x { (x >> a , a) } >> g",
    b"funcdef x { x : f else g } >> f funcdef y { y } >> g",
    b"typedef x { (x, 0) : > >> return } >> positive",
    b"f << funcdef x { block { (x, 1) : + >> break } >> return }",
    b"funcdef x { \"a\\qb\" : | >> return } >> f /* block */ // line",
    b"funcdef x { 'a' : int >> return } >> f\r\nfuncdef x { 1.5e+3 >> return } >> g\r",
    b"funcdef x { (x, 1) : + : f >> return } >> f",
    b"funcdef x { ({x}, {(x, 1) : -}) : 1 : . >> return } >> f",
    b"funcdef x { (1, 2000000000) : .. >> return } >> f",
    b"funcdef x { \xff\xe0 } >> \xe9",
]
ARGUMENTS = [b"5", b"(1, 2)", b"[(2, 3) : +]", b"block { (2, 3) : + >> break }",
             b"(1, [2, 3])", b")", b"{1}", b"(1, 2000000000) : ..", b"-2147483648"]
RUNS_PER_EXAMPLE = 1  # whole programs: a few runs each keep the corpus small
RUN_LINE = re.compile(r"^//\s*run:\s*(\S+)\s*(.*)$")
RESULT_LINE = re.compile(r"^//\s+([A-Za-z_]\w*)\s+(.*?)\s*=>")
TOKEN = re.compile(rb"//[^\n]*|/\*.*?\*/|\"(?:\\.|[^\"\\\n])*\"|'.'|>>|<<|[A-Za-z_]\w*|\S",
                   re.S)


def function_table(source):
    """The names of the module's function table in its (byte) order, read from the
    top-level namings of funcdef and prefunc items."""
    names = set()
    depth = 0
    pending = []      # left namings of the current item
    kind = None       # keyword of the current top-level item
    after_arrow = False
    tokens = [t for t in TOKEN.findall(source) if not t.startswith((b"//", b"/*"))]
    for i, tok in enumerate(tokens):
        nxt = tokens[i + 1] if i + 1 < len(tokens) else b""
        if tok in (b"(", b"[", b"{"):
            depth += 1
        elif tok in (b")", b"]", b"}"):
            depth -= 1
        elif depth == 0:
            if after_arrow and re.fullmatch(rb"[A-Za-z_]\w*", tok):
                if kind in (b"funcdef", b"prefunc"):
                    names.add(tok)
            elif re.fullmatch(rb"[A-Za-z_]\w*", tok) and nxt == b"<<":
                pending.append(tok)
            elif tok in (b"funcdef", b"prefunc", b"typedef", b"const"):
                if tok in (b"funcdef", b"prefunc"):
                    names.update(pending)
                pending, kind = [], tok
        after_arrow = depth == 0 and tok == b">>"
    return sorted(names)


def expected_runs(source):
    runs = []
    for line in source.decode("cp1251").splitlines():
        match = RUN_LINE.match(line.strip()) or RESULT_LINE.match(line.strip())
        if match:
            runs.append((match.group(1).encode("cp1251"), match.group(2).strip().encode("cp1251")))
    return runs


def write(folder, name, data):
    (CORPUS / folder).mkdir(parents=True, exist_ok=True)
    (CORPUS / folder / name).write_bytes(data)


def main():
    shutil.rmtree(CORPUS, ignore_errors=True)
    examples = sorted((ROOT / "examples").glob("*.tvn"))
    programs = [p.read_bytes() for p in sorted((ROOT / "tests" / "cli" / "data").glob("*.tvn"))]
    for n, program in enumerate(PROGRAMS + programs):
        write("translate", f"program-{n:02}", program)
        write("run", f"program-{n:02}", program + b"\x00\x01" + ARGUMENTS[n % len(ARGUMENTS)])
    for n, argument in enumerate(ARGUMENTS):
        write("argument", f"argument-{n:02}", bytes([n % len(examples), 0]) + argument)
    for e, path in enumerate(examples):
        source = path.read_bytes()
        table = function_table(source)
        write("translate", path.stem, source)
        for r, (function, argument) in enumerate(expected_runs(source)):
            if function not in table:
                continue
            entry = table.index(function) + 1
            write("argument", f"{path.stem}-{r:02}", bytes([e, entry]) + argument)
            write("argument", f"{path.stem}-{r:02}-applied",
                  bytes([e, 0]) + argument + b" : " + function)
            if r < RUNS_PER_EXAMPLE:
                write("run", f"{path.stem}-{r:02}", source + b"\x00" + bytes([entry]) + argument)


if __name__ == "__main__":
    main()
