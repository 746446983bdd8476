"""Multiplication of two n x n integer matrices through transposition, the twin of
matmul.tvn. Usage: python3 matmul.py 60"""
import sys


def total(s):
    while len(s) > 1:
        padded = s + [0]
        s = [a + b for a, b in zip(padded[0::2], padded[1::2])]
    return s[0]


def dot(u, v):
    return total([x * y for x, y in zip(u, v)])


def matmul(a, b):
    columns = [list(column) for column in zip(*b)]
    return [[dot(row, column) for column in columns] for row in a]


def entry_a(i, j):
    return i * j % 7


def entry_b(i, j):
    return (i + j * 2) % 5 - 2


def sample(n, entry):
    return [[entry(i, j) for j in range(1, n + 1)] for i in range(1, n + 1)]


def text(matrix):
    return "(" + ",".join("(" + ",".join(map(str, row)) + ")" for row in matrix) + ")"


def main(n):
    return matmul(sample(n, entry_a), sample(n, entry_b))


print(text(main(int(sys.argv[1]))))
