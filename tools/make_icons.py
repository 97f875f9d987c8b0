#!/usr/bin/env python3
"""Draws the program icon (a blue padlock) and writes res/tamborvin_form.ico with 32x32 and
16x16 images. Run it again after changing the drawing; the .ico is kept in the repository."""

import os
import struct
import sys

BLUE = (2, 87, 157)
LIGHT = (90, 160, 225)
SUPERSAMPLE = 4


def inside(x, y):
    """Colour of the padlock at (x, y) in a 1x1 square (y downwards), or None outside it."""
    # Body: a rounded rectangle in the lower part.
    left, right, top, bottom, radius = 0.14, 0.86, 0.44, 0.94, 0.08
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    if left <= x <= right and top <= y <= bottom and (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2:
        # Keyhole: a round head and a narrow slot under it, left transparent.
        if (x - 0.5) ** 2 + (y - 0.62) ** 2 <= 0.075 ** 2:
            return None
        if abs(x - 0.5) <= 0.035 and 0.62 <= y <= 0.82:
            return None
        return BLUE
    # Shackle: the upper half of a ring above the body, with legs down to it.
    outer, inner = 0.29, 0.18
    dx, dy = x - 0.5, y - 0.36
    if dy <= 0 and inner ** 2 <= dx * dx + dy * dy <= outer ** 2:
        return LIGHT
    if 0 <= dy <= 0.09 and inner <= abs(dx) <= outer:
        return LIGHT
    return None


def render(size):
    """BGRA rows, top row first, antialiased by supersampling."""
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0
            for sy in range(n):
                for sx in range(n):
                    c = inside((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    if c:
                        r, g, b, a = r + c[0], g + c[1], b + c[2], a + 1
            if a:
                row.append((b // a, g // a, r // a, 255 * a // (n * n)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def icon_image(size):
    """One ICO image: BITMAPINFOHEADER (double height: colour + mask), 32-bit pixels bottom-up,
    then the 1-bit AND mask (all zero: the alpha channel decides)."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes(p) for row in reversed(render(size)) for p in row)
    mask_row = ((size + 31) // 32) * 4
    return header + pixels + bytes(mask_row * size)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "res",
                                                              "tamborvin_form.ico")
    images = [(size, icon_image(size)) for size in (32, 16)]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in images:
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    data += b"".join(image for _, image in images)
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
