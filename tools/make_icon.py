#!/usr/bin/env python3
"""Draws Stackle's icon (three stacked window layers and an arrow that brings one forward) as an
.ico with 32-bit images of 16, 20, 24, 32, 48 and 256 pixels, so that the tray and the task bar
show it sharp at every display scale. The 256-pixel image is stored as PNG, as Windows expects.
Run it to regenerate res/stackle.ico."""
import struct
import sys
import zlib

SIZES = (16, 20, 24, 32, 48, 256)
SUPERSAMPLE = 4  # samples per pixel along each axis

BLACK, WHITE = (0, 0, 0), (255, 255, 255)
GREY, SILVER = (128, 128, 128), (192, 192, 192)
TEAL, NAVY, BLUE = (0, 128, 128), (0, 0, 128), (0, 0, 255)

# The picture on a 32-unit square: (left, top, right, bottom, title colour, body colour), back
# layer first.
LAYERS = [(14, 1, 31, 15, GREY, SILVER), (7, 8, 24, 22, TEAL, SILVER), (0, 15, 17, 31, NAVY, WHITE)]


def colour_at(u, v, line):
    """The colour at point (u, v) of the 32-unit square, or None where it is transparent."""
    # The arrow on the front layer, pointing up: a head from y 19 to 24, a shaft below.
    if 20 <= v < 24 and abs(u - 8.5) <= (v - 20) + 0.5:
        return BLUE
    if 24 <= v < 28.5 and abs(u - 8.5) <= 1:
        return BLUE
    for left, top, right, bottom, title, body in reversed(LAYERS):
        if left <= u < right and top <= v < bottom:
            if u < left + line or u >= right - line or v < top + line or v >= bottom - line:
                return BLACK
            return title if v < top + 5 else body
    return None


def pixels(size):
    """Rows of (blue, green, red, alpha), top row first, each pixel the mean of its samples."""
    line = max(1.0, 32 / size)  # the frame lines stay at least one pixel wide
    rows = []
    n = SUPERSAMPLE
    for y in range(size):
        row = []
        for x in range(size):
            r = g = b = a = 0
            for sy in range(n):
                for sx in range(n):
                    c = colour_at((x + (sx + 0.5) / n) * 32 / size, (y + (sy + 0.5) / n) * 32 / size, line)
                    if c is not None:
                        r, g, b, a = r + c[0], g + c[1], b + c[2], a + 1
            if a:
                row.append((b // a, g // a, r // a, 255 * a // (n * n)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def bitmap(size):
    """A 32-bit icon image: the header (twice the height, for the mask), the colours bottom row
    first, and an all-zero AND mask (the alpha channel decides)."""
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colours = b''.join(bytes(p) for row in reversed(pixels(size)) for p in row)
    mask = bytes((size + 31) // 32 * 4 * size)
    return header + colours + mask


def png(size):
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    raw = b''.join(b'\0' + b''.join(bytes((r, g, b, a)) for b, g, r, a in row) for row in pixels(size))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def main(path):
    images = [png(size) if size >= 256 else bitmap(size) for size in SIZES]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'res/stackle.ico')
