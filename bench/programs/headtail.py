"""Lists consumed by their head and their tail, the twin of headtail.tvn: each call takes
the first element and hands the rest (a new list without it) to the next call. The run
takes n lists of 2,000 pseudo-random numbers one after another.
Usage: python3 headtail.py 40"""
import sys


def random(i):
    h = (i * 7919) % 100003
    return (h * 4093 + 17) % 65536


def stats(s):
    if len(s) == 0:
        return (0, 0)
    after = stats(s[1:])
    head = s[0]
    return (head + after[0], head if head > after[1] else after[1])


def chunk(k):
    last = k * 2000
    return stats([random(i) for i in range(last - 1999, last + 1)])


sys.setrecursionlimit(100_000)
results = [chunk(k) for k in range(1, int(sys.argv[1]) + 1)]
print("(" + ",".join("(%d,%d)" % pair for pair in results) + ")")
