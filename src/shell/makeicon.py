#!/usr/bin/env python3
"""Draws the program's icon, a ball-and-stick water molecule, as a 32x32
16-colour Windows icon: python3 makeicon.py kestrix.ico

The image is drawn with the standard 16-colour palette: a red oxygen ball with
two white hydrogen balls on grey sticks, each ball shaded darker away from a
highlight at its upper left and ringed in black, on a transparent ground."""

import math
import struct
import sys

SIZE = 32

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARKRED, GREY, LIGHTGREY, RED, WHITE = 0, 1, 8, 7, 9, 15
CLEAR = None

# Balls: centre x, y, radius, and their shades from dark to light.
OXYGEN = (15.5, 19.5, 8.5, (DARKRED, RED, WHITE))
HYDROGENS = [(5.0, 7.0, 4.6, (GREY, LIGHTGREY, WHITE)),
             (27.0, 8.0, 4.6, (GREY, LIGHTGREY, WHITE))]
STICK_HALF_WIDTH = 1.6


def distance_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def draw():
    image = [[CLEAR] * SIZE for _ in range(SIZE)]
    ox, oy = OXYGEN[0], OXYGEN[1]
    # Sticks first: the balls cover their ends.
    for hx, hy, _, _ in HYDROGENS:
        for y in range(SIZE):
            for x in range(SIZE):
                d = distance_to_segment(x + 0.5, y + 0.5, ox, oy, hx, hy)
                if d <= STICK_HALF_WIDTH:
                    image[y][x] = GREY
                elif d <= STICK_HALF_WIDTH + 1.0:
                    image[y][x] = BLACK
    for cx, cy, r, shades in HYDROGENS + [OXYGEN]:
        for y in range(SIZE):
            for x in range(SIZE):
                px, py = x + 0.5, y + 0.5
                d = math.hypot(px - cx, py - cy)
                if d > r:
                    continue
                if d > r - 1.0:
                    image[y][x] = BLACK
                    continue
                # Distance from a highlight up and to the left of the centre.
                h = math.hypot(px - (cx - r * 0.35), py - (cy - r * 0.35)) / r
                if h < 0.28:
                    image[y][x] = shades[2]
                elif h < 0.95:
                    image[y][x] = shades[1]
                else:
                    image[y][x] = shades[0]
    return image


def ico(image):
    # Rows are stored bottom-up; the mask marks transparent pixels with 1.
    xor = bytearray()
    mask = bytearray()
    for row in reversed(image):
        for x in range(0, SIZE, 2):
            hi = row[x] if row[x] is not None else 0
            lo = row[x + 1] if row[x + 1] is not None else 0
            xor.append(hi << 4 | lo)
        bits = 0
        for x in range(SIZE):
            bits = bits << 1 | (1 if row[x] is None else 0)
        mask += struct.pack(">I", bits)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    image_data = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image_data), 6 + 16)
    return directory + entry + image_data


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: makeicon.py OUTPUT.ico")
    with open(sys.argv[1], "wb") as out:
        out.write(ico(draw()))


if __name__ == "__main__":
    main()
