#!/usr/bin/env python3
"""Writes the application icon: 32x32 and 16x16 images, 16 colours each.

The picture is a component box (the control) with a green tick across it:
registering a control. Drawn from a few rectangles and a line, so the icon is
generated at build time instead of being kept as a binary file.
usage: make_icon.py OUTPUT.ico
"""
import struct
import sys

# The standard 16-colour palette, as (blue, green, red, 0).
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128),
    (128, 128, 0), (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0),
    (0, 255, 255), (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255),
]  # (r, g, b)
BLACK, NAVY, GREEN, SILVER, GREY, LIME, WHITE, BLUE = 0, 1, 2, 7, 8, 10, 15, 9
TRANSPARENT = None


def picture(size):
    s = size / 32.0
    px = [[TRANSPARENT] * size for _ in range(size)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                px[y][x] = colour

    rect(3, 5, 27, 29, NAVY)        # the box's outline
    rect(4, 6, 26, 28, SILVER)      # its face
    rect(4, 6, 26, 10, BLUE)        # a title strip
    for pin in range(6, 26, 4):     # connector pins below
        rect(pin, 29, pin + 2, 31, GREY)
    # The tick: a thick stroke down to (13, 24) and up to (30, 8).
    points = [(8 + i * 0.5, 17 + i * 0.7) for i in range(11)] + [(13 + i, 24 - i * 16 / 17.0) for i in range(18)]
    for (x, y) in points:
        for dy in (-1, 0, 1):
            for dx in (-1, 0, 1):
                xi, yi = int((x + dx) * s), int((y + dy) * s)
                if 0 <= xi < size and 0 <= yi < size:
                    px[yi][xi] = GREEN if (dx or dy) else LIME
    return px


def image(size):
    px = picture(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):  # bottom-up rows
        row = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x in range(size):
            c = px[y][x]
            if c is TRANSPARENT:
                bits[x // 8] |= 0x80 >> (x % 8)
                c = 0
            row[x // 2] |= c << (4 if x % 2 == 0 else 0)
        xor += row
        mask += bits
    return header + palette + bytes(xor) + bytes(mask)


def main():
    sizes = [32, 16]
    images = [image(n) for n in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', n, n, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(sys.argv[1], 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
