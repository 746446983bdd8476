#!/usr/bin/env python3
"""Writes a generated Tirvane program of LINES lines and its Python twin, for the
translation benchmark. Usage: generate_program.py LINES OUT.tvn OUT.py

Both programs define the same functions, constants and blocks, a fixed number of lines
each, repeated with fresh names until the line count is reached exactly."""
import sys

TIRVANE_UNIT = """\
// Unit {k}: recursion with a lazy branch, a block, a constant and a list function.
f{k} << funcdef x {{
  (x, 2) : < >> small ;
  (2, small : int) : - >> branch ;
  ({{x}}, {{((x, 1) : - : f{k}, {k}) : +}}) : branch : . >> return
}}
funcdef p {{
  block {{
    (p : 1, p : 2) : * >> product ;
    (product, {k}) : % : 2 >> break
  }} >> rest ;
  (rest, p : -) >> return
}} >> g{k}
const ({k}, {k1}, {k2}) >> c{k}
funcdef s {{ (s, (c{k} : 2, s : |) : dup) : # : [] : g{k} >> return }} >> h{k}
"""

PYTHON_UNIT = """\
# Unit {k}: recursion with a branch, a nested computation, a constant and a list function.
def f{k}(x):
    small = x < 2
    branch = 2 - int(small)
    return x if branch == 1 else f{k}(x - 1) + {k}
def g{k}(p):
    def block():
        product = p[0] * p[1]
        return product % {k}
    rest = block()
    return (rest, p[0] - p[1])
c{k} = ({k}, {k1}, {k2})
def h{k}(s): return [g{k}(pair) for pair in zip(s, [c{k}[1]] * len(s))]
"""


def generate(lines, unit, comment):
    out = []
    k = 1
    unit_lines = unit.count("\n")
    while len(out) + unit_lines <= lines:
        out.extend(unit.format(k=k, k1=k + 1, k2=k + 2).splitlines())
        k += 1
    while len(out) < lines:
        out.append(comment)
    return "\n".join(out) + "\n"


def main():
    lines, tvn, py = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    with open(tvn, "w", encoding="cp1251", newline="\r\n") as f:
        f.write(generate(lines, TIRVANE_UNIT, "// end"))
    with open(py, "w", encoding="utf-8") as f:
        f.write(generate(lines, PYTHON_UNIT, "# end"))


if __name__ == "__main__":
    main()
