#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the window icon: one period of a red sine, rising first, across a black axis, on white.

Writes vibraton-SIDE.png at the icon theme's usual sizes, and vibraton.svg, the same picture
as a scalable drawing, beside this script. The window uses the 32 and 64 pixel ones.
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


def svg(side=256):
    margin = side // 16
    thickness = side // 32
    middle = side / 2
    amplitude = side / 2 - margin - thickness
    steps = 64
    wave = " ".join(
        f"{margin + (side - 2 * margin - 1) * i / steps:.2f},"
        f"{middle - amplitude * math.sin(2 * math.pi * i / steps):.2f}"
        for i in range(steps + 1))
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{side}" height="{side}" '
            f'viewBox="0 0 {side} {side}">\n'
            f'  <rect width="{side}" height="{side}" fill="#ffffff"/>\n'
            f'  <line x1="{margin}" y1="{middle}" x2="{side - margin}" y2="{middle}" '
            f'stroke="#000000" stroke-width="{thickness}"/>\n'
            f'  <polyline points="{wave}" fill="none" stroke="#dc0000" '
            f'stroke-width="{thickness}" stroke-linejoin="round"/>\n'
            f'</svg>\n')


SIZES = (16, 22, 24, 32, 48, 64, 128, 256, 512)

if __name__ == "__main__":
    here = Path(__file__).resolve().parent
    for side in SIZES:
        (here / f"vibraton-{side}.png").write_bytes(png(draw(side)))
    (here / "vibraton.svg").write_text(svg())
