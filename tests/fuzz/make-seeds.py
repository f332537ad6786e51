#!/usr/bin/env python3
"""Writes the seeds of the binary and reproducer kinds into corpus/ (the design files and bags
of the repository are copied as they are). Run from anywhere; existing seeds are overwritten."""
import json
import os
import shutil
import struct

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(os.path.dirname(here))


def put(target, name, data):
    folder = os.path.join(here, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode())


def design(controls, **extra):
    d = {"caption": "Fuzz", "clientWidth": 4800, "clientHeight": 3600,
         "border": "fixedSingle", "position": None, "backColor": 16244694,
         "controls": controls}
    d.update(extra)
    return json.dumps(d)


# Design files: the program's own, and the inputs that once recursed, overflowed or exhausted.
for name in sorted(os.listdir(os.path.join(root, "resources", "forms"))):
    shutil.copy(os.path.join(root, "resources", "forms", name),
                os.path.join(here, "corpus", "design", name))
button = {"type": "gxButtons_H", "name": "gxButtons_H1", "bag": {"Caption": "Wide"}}
put("design", "button-32768-pixels.json", design([dict(button, rect=[0, 0, 491520, 615])]))
put("design", "button-32767-pixels.json", design([dict(button, rect=[0, 0, 491505, 615])]))
put("design", "rect-int-max.json", design([dict(button, rect=[2147483647, 0, 1815, 615])]))
put("design", "nested-30000.json",
    '{"unused": ' + "[" * 30000 + "]" * 30000 + ', "caption": "x", "clientWidth": 600, '
    '"clientHeight": 600, "controls": []}')
put("design", "number-overflow.json", design([], unused=0).replace('"unused": 0', '"unused": -1e225522'))
put("design", "line-far.json", design([{"type": "Line", "name": "Line1", "index": 0,
                                        "bag": {"X1": 0, "Y1": 1920, "X2": 555032767,
                                                "Y2": 1920, "BorderWidth": 2147483647}}]))
put("design", "panel-wide.json", design([{"type": "EBXp", "name": "EBXp1",
                                          "rect": [0, 0, 491505, 3000],
                                          "bag": {"Caption": "Wide", "UserHeight": 3000}}]))

# Bags: a first line of size, state and ratio, then the stored values.
for name in ("button.json", "shape.json"):
    with open(os.path.join(root, "tests", "golden", name)) as f:
        text = f.read()
    for state, line in (("normal", "121x41 normal 1"), ("hover", "160x48 hover 2"),
                        ("pressed", "90x30 pressed 1.5")):
        put("bag", f"{name[:-5]}-{state}.txt", line + "\n" + text)
for style in range(8):
    put("bag", f"style-{style}.txt",
        f"100x36 focus 1\n" + json.dumps({"Caption": "&Go", "ButtonStyle": style,
                                          "BackStyle": style % 4, "cGradient": 255}))
put("bag", "wide-32767.txt", "8192x1 normal 1\n{\"Caption\": \"x\"}")
put("bag", "number-overflow.txt", "100x36 focus 1\n{\"Caption\": -1e225522}")
put("bag", "bad-font.txt", "121x41 normal 1\n{\"Font\": {\"name\": 5, \"size\": \"big\"}}")

# Regions: a byte saying narrow or wide, then operations (see fuzz_region.cpp).
put("region", "rect-ellipse-combine", bytes([0, 0x00, 10, 0, 0, 0, 10, 0, 0, 0, 90, 0, 0, 0, 70,
                                             0, 0, 0, 0x11, 20, 0, 0, 0, 5, 0, 0, 0, 100, 0, 0, 0,
                                             60, 0, 0, 0, 0x24, 1, 2]))
put("region", "polygon-winding", bytes([0, 0x02, 5]) + b"".join(
    struct.pack("<ii", x, y) for x, y in ((0, 0), (60, 10), (10, 60), (60, 60), (0, 30))) +
    bytes([1, 0x46, 3, 0, 0, 0, 253, 255, 255, 255]))
put("region", "wide", bytes([7, 0x00]) + struct.pack("<iiii", -2**31, -2**31, 2**31 - 1,
                                                   2**31 - 1) + bytes([0x06]) +
    struct.pack("<ii", 2**31 - 1, 5))

# Text: choice byte, surface, rectangle, flags, font, then the text.
def text_seed(choice, rect, flags, font_byte, font_height, text):
    head = bytes([choice]) + struct.pack("<ii", 80, 40) + b"".join(struct.pack("<i", v) for v in rect)
    head += struct.pack("<H", flags) + struct.pack("<iiii", 0, 0, 60, 30) + bytes([font_byte])
    return head + struct.pack("<i", font_height) + text.encode()

put("text", "wordbreak", text_seed(0, (2, 2, 70, 30), 0x11, 0, -11, "Load && Reload &Info now"))
put("text", "calcrect", text_seed(0x80, (0, 0, 40, 0), 0x410, 64, -14, "Line one\r\nLine two"))
put("text", "noclip-scaled", text_seed(0x10, (-5, -5, 20, 8), 0x125, 4, 20, "Überschrift ✓"))
put("text", "wide", text_seed(7, (-2**31, -2**31, 2**31 - 1, 2**31 - 1), 0x1C, 0, -2**31, "x y"))

# Pictures: width, height, choice, pixels.
def picture_seed(w, h, choice, pixels):
    return struct.pack("<ii", w, h) + bytes([choice]) + pixels

put("picture", "magenta-square", picture_seed(40, 40, 0x10, bytes([255, 0, 255]) * 3 +
                                              bytes([0, 80, 0]) * 5))
put("picture", "near-white-key", picture_seed(20, 20, 0x01, bytes([253, 254, 255, 0, 0, 120])))
put("picture", "noise", picture_seed(79, 33, 0x14, bytes(range(256)) * 3))
