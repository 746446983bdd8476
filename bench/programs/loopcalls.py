"""A loop of calls that each recurse about a hundred levels deep, the twin of
loopcalls.tvn. The result is printed as a 32-bit integer, as the Tirvane program computes
it. Usage: python3 loopcalls.py 40000"""
import sys


def depth(n):
    return 0 if n <= 0 else depth(n - 1) + 1


def step(i):
    return depth(i % 7 + 96) + i


def total(s):
    while len(s) > 1:
        padded = s + [0]
        s = [a + b for a, b in zip(padded[0::2], padded[1::2])]
    return s[0]


def int32(x):
    return (x + 2**31) % 2**32 - 2**31


print(int32(total([step(i) for i in range(1, int(sys.argv[1]) + 1)])))
