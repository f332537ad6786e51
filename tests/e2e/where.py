#!/usr/bin/env python3
"""Prints where a person would click a control of a window, in pixels from the top-left corner
of the window's client area: "X Y".

    where.py DESIGN.json NAME           the centre of control NAME
    where.py DESIGN.json NAME title     the middle of panel NAME's title bar

Positions come from the design file (twips, 15 to the pixel, each relative to its container),
so they hold for controls at their designed places.
"""
import json
import sys


def px(twips):
    # Half-way values go to the even neighbour, as the program rounds them.
    return round(twips / 15)


def find(controls, name, x0, y0):
    for c in controls:
        rect = c.get("rect")
        if not rect:
            continue
        x, y = x0 + px(rect[0]), y0 + px(rect[1])
        if c["name"] == name:
            return x, y, px(rect[2]), px(rect[3])
        hit = find(c.get("children", []), name, x, y)
        if hit:
            return hit
    return None


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    with open(sys.argv[1], encoding="utf-8") as f:
        design = json.load(f)
    hit = find(design["controls"], sys.argv[2], 0, 0)
    if not hit:
        sys.exit(f"{sys.argv[1]}: no control named {sys.argv[2]}")
    x, y, w, h = hit
    if len(sys.argv) == 4:
        print(x + w // 2, y + 14)  # the title bar: 3 px margin, 24 px bar
    else:
        print(x + w // 2, y + h // 2)


main()
