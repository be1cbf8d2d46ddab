#!/usr/bin/env python3
"""Draws the Borelu Setup icon and writes it as a Windows .ico with eight sizes.

The art is described as shapes in a 1 x 1 square (a dark rounded tile, a dim track ring, a bright
arc three quarters round, as a study timer shows time passing, and a centre dot) and rendered with
supersampling at each size, so every size is drawn, not scaled from another.
Usage: icon_art.py OUTPUT.ico
"""

import math
import struct
import sys
import zlib

SIZES = (16, 20, 24, 32, 40, 48, 64, 256)

TILE = (0x1C, 0x1F, 0x1B)
TILE_EDGE = (0x3B, 0x48, 0x3F)
TRACK = (0x3F, 0x7F, 0x64)
ARC = (0xA9, 0xD7, 0xB2)


def rounded_square_distance(x, y, half, radius):
    qx = abs(x - 0.5) - (half - radius)
    qy = abs(y - 0.5) - (half - radius)
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def sample(x, y):
    """Colour and coverage (0 or 1) of one sub-pixel sample."""
    tile = rounded_square_distance(x, y, 0.47, 0.2)
    if tile > 0:
        return None
    colour = TILE_EDGE if tile > -0.025 else TILE
    dx, dy = x - 0.5, y - 0.5
    r = math.hypot(dx, dy)
    if abs(r - 0.27) < 0.06:
        # Angle measured clockwise from twelve o'clock; the arc covers three quarters.
        angle = math.degrees(math.atan2(dx, -dy)) % 360
        colour = ARC if angle <= 270 else TRACK
    elif r < 0.075:
        colour = ARC
    return colour


def render(size):
    samples = 4 if size < 128 else 3
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0]
            covered = 0
            for sy in range(samples):
                for sx in range(samples):
                    c = sample((px + (sx + 0.5) / samples) / size, (py + (sy + 0.5) / samples) / size)
                    if c is not None:
                        covered += 1
                        for i in range(3):
                            acc[i] += c[i]
            if covered:
                rgb = tuple(round(a / covered) for a in acc)
                alpha = round(255 * covered / (samples * samples))
            else:
                rgb, alpha = (0, 0, 0), 0
            row.append((*rgb, alpha))
        pixels.append(row)
    return pixels


def png(pixels):
    size = len(pixels)
    raw = b"".join(b"\x00" + bytes(v for p in row for v in p) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def dib(pixels):
    size = len(pixels)
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + bytes(mask)


def main():
    images = [(size, png(render(size)) if size >= 256 else dib(render(size))) for size in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        edge = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", edge, edge, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
