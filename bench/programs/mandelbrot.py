"""The Mandelbrot set in fixed point, the twin of mandelbrot.tvn. Usage: python3
mandelbrot.py 120"""
import sys


def quotient(a, b):
    """Integer division truncated toward zero, as Tirvane's "%" gives it."""
    q = abs(a) // abs(b)
    return q if (a < 0) == (b < 0) else -q


def steps(cr, ci):
    zr = zi = n = 0
    while True:
        rr, ii = zr * zr, zi * zi
        if rr + ii > 4194304 or n >= 100:
            return n
        zr, zi = quotient(rr - ii, 1024) + cr, quotient(zr * zi * 2, 1024) + ci
        n += 1


def row(y, n):
    ci = quotient(y * 3072, n) - 1536
    return sum(steps(quotient(x * 3072, n) - 2048, ci) for x in range(n))


def main(n):
    return [row(y, n) for y in range(n)]


print("(" + ",".join(map(str, main(int(sys.argv[1])))) + ")")
