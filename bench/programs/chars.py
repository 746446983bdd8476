"""Character processing on a long text, the twin of chars.tvn: the text is made of
pseudo-random lower-case letters and spaces; the run counts its vowels and its spaces and
turns it into upper case, character by character. Usage: python3 chars.py 200000"""
import sys


def letter(i):
    h = (i * 7919) % 100003
    return " " if h % 7 == 0 else chr(h % 26 + 97)


def upper_char(c):
    return chr(ord(c) - 32) if "a" <= c <= "z" else c


n = int(sys.argv[1])
text = [letter(i) for i in range(1, n + 1)]
upper = [upper_char(c) for c in text]
vowels = len([c for c in text if c in "aeiou"])
spaces = len([c for c in text if c == " "])
print('(%d,%d,("%s"))' % (vowels, spaces, "".join(upper[:60])))
