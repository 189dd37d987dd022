#!/usr/bin/env python3
"""Draws the window icon: one period of a red sine, rising first, across a black axis, on white.

Writes vibraton-32.png, vibraton-64.png and vibraton-256.png beside this script.
"""
import math
import struct
import zlib
from pathlib import Path


def draw(side):
    white, black, red = (255, 255, 255), (0, 0, 0), (220, 0, 0)
    pixels = [[white] * side for _ in range(side)]
    middle = side // 2
    thickness = max(1, side // 32)
    margin = side // 16
    for x in range(margin, side - margin):
        for t in range(thickness):
            pixels[middle - thickness // 2 + t][x] = black
    amplitude = side / 2 - margin - thickness
    # Sample finely and stamp a square pen so steep parts of the wave stay connected.
    steps = side * 8
    for i in range(steps + 1):
        x = margin + (side - 2 * margin - 1) * i / steps
        y = middle - amplitude * math.sin(2 * math.pi * i / steps)
        for dx in range(-(thickness // 2), thickness - thickness // 2):
            for dy in range(-(thickness // 2), thickness - thickness // 2):
                px, py = round(x) + dx, round(y) + dy
                if 0 <= px < side and 0 <= py < side:
                    pixels[py][px] = red
    return pixels


def png(pixels):
    side = len(pixels)
    raw = b"".join(b"\x00" + bytes(c for p in row for c in p) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    here = Path(__file__).resolve().parent
    for side in (32, 64, 256):
        (here / f"vibraton-{side}.png").write_bytes(png(draw(side)))
