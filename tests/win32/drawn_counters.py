#!/usr/bin/env python3
"""Reads the counter grid, the module list and the status box off a screenshot of the Windows
window (raw RGB, as ImageMagick's `convert X.png rgb:-` writes it) and checks what is drawn.

    drawn_counters.py RAW WIDTH HEIGHT DPI empty|VALUES

`empty`: after intake, the six counter cells hold no text. VALUES (six numbers, in the order
Dim, unused Dim, Private, unused Private, Public, unused Public): after the run, every cell
holds ink, right-aligned, and every cell of a two-digit number is wider in ink than any cell
of a one-digit number; cells showing the same number hold the same pixels. The module list and the
status box hold text. Prints what it measured; exits 1 on a failed check."""
import sys

raw, width, height, dpi, expected = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), sys.argv[5:]
data = open(raw, 'rb').read()
assert len(data) == width * height * 3, (len(data), width, height)


def scaled(v):
    return (v * dpi + 48) // 96


def device(x, y, w, h):
    """A rectangle of the panel (which starts 20 logical pixels down) in device pixels."""
    left, top = scaled(x), scaled(y + 20)
    return left, top, scaled(x + w) - left, scaled(y + 20 + h) - top


def pixel(x, y):
    i = (y * width + x) * 3
    return data[i], data[i + 1], data[i + 2]


def ink(rect, background, inset):
    """The pixels of rect (less `inset` on each side) far from its background colour."""
    x0, y0, w, h = rect
    found = []
    for y in range(y0 + inset, y0 + h - inset):
        for x in range(x0 + inset, x0 + w - inset):
            if sum(abs(a - b) for a, b in zip(pixel(x, y), background)) > 120:
                found.append((x, y))
    return found


failures = []
# LabDim, LabUnusedDim, LabPrivate, LabUnusedPrivate, LabPublic, LabUnusedPublic.
cells = [((268, 88), (255, 224, 192)), ((320, 88), (255, 224, 192)),
         ((268, 108), (255, 255, 192)), ((320, 108), (255, 255, 192)),
         ((268, 128), (192, 255, 255)), ((320, 128), (192, 255, 255))]
frame = max(1, dpi // 96) + 1
widths, shapes = [], []
for i, ((x, y), colour) in enumerate(cells):
    rect = device(x, y, 42, 16)
    found = ink(rect, colour, frame)
    if not found:
        widths.append(0)
        shapes.append(frozenset())
        continue
    left = min(p[0] for p in found)
    right = max(p[0] for p in found)
    widths.append(right - left + 1)
    shapes.append(frozenset((px - rect[0], py - rect[1]) for px, py in found))
    # Right-aligned: the ink ends within a few pixels of the cell's right edge.
    gap = rect[0] + rect[2] - 1 - right
    if expected != ['empty'] and not (frame <= gap <= frame + scaled(6)):
        failures.append('cell %d: ink ends %d pixels from the right edge' % (i, gap))
print('counter ink widths:', widths)

if expected == ['empty']:
    if any(widths):
        failures.append('counters drawn before the run: %s' % widths)
else:
    values = expected
    if len(values) != 6:
        sys.exit('six values expected')
    if not all(widths):
        failures.append('a counter cell is empty: %s' % widths)
    ones = [w for w, v in zip(widths, values) if len(v) == 1]
    twos = [w for w, v in zip(widths, values) if len(v) == 2]
    if ones and twos and not min(twos) > max(ones):
        failures.append('two-digit cells %s are not wider than one-digit cells %s' % (twos, ones))
    for i in range(6):
        for j in range(i + 1, 6):
            if values[i] == values[j] and shapes[i] != shapes[j]:
                failures.append('cells %d and %d show %s differently' % (i, j, values[i]))
            if values[i] != values[j] and shapes[i] == shapes[j]:
                failures.append('cells %d and %d show %s and %s alike' % (i, j, values[i], values[j]))
    # The module list (white, with its rows) and the status box hold text.
    # Each box's own background is read in its bottom-right corner, where no text reaches.
    lst, box = device(8, 64, 194, 199), device(208, 172, 176, 92)
    corner = lambda r: pixel(r[0] + r[2] - frame - 3, r[1] + r[3] - frame - 3)
    rows = ink(lst, corner(lst), frame + 2)
    status = ink(box, corner(box), frame + 2)
    print('module list ink:', len(rows), 'status box ink:', len(status))
    if len(rows) < 50:
        failures.append('the module list shows no rows')
    if len(status) < 50:
        failures.append('the status box is empty')

for f in failures:
    print('FAIL:', f)
sys.exit(1 if failures else 0)
