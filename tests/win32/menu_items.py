#!/usr/bin/env python3
"""Finds the rows of a popup menu on a screenshot: menu_items.py RGB WIDTH HEIGHT X Y N
RGB is raw 8-bit RGB of the whole screen; (X, Y) the menu's top-left corner on it. Prints the
screen y of the middle of the N-th line of text (from 1) in the menu: a band of rows holding,
between 16 and 60 pixels from the menu's left edge (past the check marks, within the shortest
caption and the menu), pixels far from the menu's background; at least 5 rows high, so that
separators (one or two rows) are not counted."""
import sys
from collections import Counter

data = open(sys.argv[1], 'rb').read()
width, height, left, top, wanted = (int(a) for a in sys.argv[2:7])
def pixel(x, y):
    i = 3 * (y * width + x)
    return data[i], data[i + 1], data[i + 2]
right, bottom = min(width, left + 60), min(height, top + 400)
# The menu's own colour: the commonest in the strip looked at, near its top.
background = Counter(pixel(x, y) for y in range(top, min(bottom, top + 100))
                     for x in range(left + 16, right)).most_common(1)[0][0]
def inked(y):
    return any(sum(abs(a - b) for a, b in zip(pixel(x, y), background)) > 150
               for x in range(left + 16, right))
bands, start = [], None
for y in range(top + 2, bottom):
    if inked(y):
        if start is None:
            start = y
    elif start is not None:
        if y - start >= 5:
            bands.append((start, y))
        start = None
if len(bands) < wanted:
    sys.exit('only %d lines of text in the menu' % len(bands))
first, end = bands[wanted - 1]
print((first + end) // 2)
