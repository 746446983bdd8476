"""Quicksort of pseudo-random integers, the twin of quicksort.tvn.
Usage: python3 quicksort.py 20000"""
import sys


def random(i):
    h = i * 7919 % 100003
    return (h * 4093 + 17) % 65536


def qsort(s):
    if len(s) < 2:
        return s
    pivot = s[0]
    lower = [x for x in s if x < pivot]
    middle = [x for x in s if x == pivot]
    upper = [x for x in s if x > pivot]
    return qsort(lower) + middle + qsort(upper)


def main(n):
    data = [random(i) for i in range(1, n + 1)]
    return qsort(data)


print("(" + ",".join(map(str, main(int(sys.argv[1])))) + ")")
