#!/usr/bin/env python3
"""Draws Stackle's icon (three stacked window layers) as a 16-colour .ico with 32x32 and 16x16
images. Run it to regenerate res/stackle.ico."""
import struct
import sys

# The standard 16-colour palette, as (blue, green, red, 0).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, GREY, SILVER, BLUE, WHITE, TEAL, YELLOW = 0, 4, 8, 7, 12, 15, 6, 11
TRANSPARENT = None


def draw(size):
    px = [[TRANSPARENT] * size for _ in range(size)]
    s = size / 32.0

    def window(x0, y0, x1, y1, title, body):
        x0, y0, x1, y1 = (round(v * s) for v in (x0, y0, x1, y1))
        bar = max(2, round(5 * s))
        for y in range(y0, y1):
            for x in range(x0, x1):
                edge = x in (x0, x1 - 1) or y in (y0, y1 - 1)
                px[y][x] = BLACK if edge else (title if y < y0 + bar else body)

    window(14, 1, 31, 15, GREY, SILVER)   # the back layer
    window(7, 8, 24, 22, TEAL, SILVER)    # the middle layer
    window(0, 15, 17, 31, NAVY, WHITE)    # the front layer
    # An arrow on the front layer: "bring forward".
    cx = round(8.5 * s)
    for i in range(round(8 * s)):
        y = round(28 * s) - i
        half = max(0, round(4 * s) - i) if i >= round(4 * s) else 0
        px[y][cx] = BLUE
        if i >= round(4 * s):
            for d in range(1, round(8 * s) - i + 1):
                if 0 <= cx - d and cx + d < size:
                    px[y][cx - d] = BLUE
                    px[y][cx + d] = BLUE
    return px


def image(size):
    px = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    xor_row = (size * 4 + 31) // 32 * 4
    and_row = (size + 31) // 32 * 4
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):
        row = bytearray(xor_row)
        bits = bytearray(and_row)
        for x in range(size):
            colour = px[y][x]
            if colour is None:
                bits[x // 8] |= 0x80 >> (x % 8)
                colour = 0
            row[x // 2] |= colour << (4 if x % 2 == 0 else 0)
        xor += row
        mask += bits
    return header + palette + bytes(xor) + bytes(mask)


def main(path):
    images = [image(32), image(16)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'res/stackle.ico')
