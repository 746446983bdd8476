"""The sum of the squares of 1..n, the twin of sumsquares.tvn: the squares in one list,
then the list halved by adding neighbours. The result is printed as a 32-bit integer, as
the Tirvane program computes it. Usage: python3 sumsquares.py 1000000"""
import sys


def total(s):
    while len(s) > 1:
        padded = s + [0]
        s = [a + b for a, b in zip(padded[0::2], padded[1::2])]
    return s[0]


def main(n):
    numbers = range(1, n + 1)
    squares = [i * i for i in numbers]
    return total(squares)


def int32(x):
    return (x + 2**31) % 2**32 - 2**31


print(int32(main(int(sys.argv[1]))))
