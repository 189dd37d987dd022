#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the fuzz targets' seed corpora: texts users type, paste or mistype, and the defaults.

Run from anywhere; rewrites fuzz/corpus/numbertext/ and fuzz/corpus/command/ in place.
"""

import math
import pathlib
import shutil
import struct

HERE = pathlib.Path(__file__).resolve().parent

# Texts a number field may hold, by file name.
TEXTS = {
    "empty": "",
    "spaces": "  ",
    "letters": "abc",
    "large": "1e308",
    "large-negative": "-1e308",
    "overflow": "1e309",
    "subnormal": "1e-320",
    "inf": "inf",
    "nan": "nan",
    "infinity": "infinity",
    "hex": "0x10",
    "plus": "+5",
    "padded": " 5 ",
    "minus-sign": "\u22125",
    "arabic-indic": "\u0661\u0662",
    "nbsp-group": "1\u00a0000",
    "space-group": "1 000",
    "comma": "1,5",
    "point": "1.5",
    "embedded-nul": "1\x002",
    "rtl-mark": "\u200f5",
    # Fifteen digits once rounded the largest doubles past the largest one.
    "largest-double": "1.7976931348623157e308",
    "largest-double-czech": "1,7976931348623157e308",
}

# The command target's header; keep in step with fuzz_command.cpp.
CZECH = 1
RESIZE = 0x10
NONE, CLEAR, ROW1, ROW2, ROW3, SUPERPOSE = range(6)
SEPARATOR = b"\xff"
MAXIMUM_UNITS = 20000

# The window's initial field values.
DEFAULTS = ["1", "0", "20", "2", "0", "20", "3", "0", "20"]


def raw_units(units):
    """The smallest raw 16-bit value the target maps to at least `units`."""
    raw = math.isqrt(units * 0xFFFF * 0xFFFF // MAXIMUM_UNITS)
    while raw * raw * MAXIMUM_UNITS // (0xFFFF * 0xFFFF) < units:
        raw += 1
    return raw


def command(fields, first, second=NONE, czech=False, ratio=0, size=(9000, 4500), resize=None):
    options = (CZECH if czech else 0) | ratio << 1 | (RESIZE if resize else 0)
    header = bytes([options, first, second])
    header += struct.pack("<4H", *(raw_units(u) for u in (*size, *(resize or (0, 0)))))
    return header + SEPARATOR.join(f.encode() for f in fields)


def with_field(index, text):
    fields = list(DEFAULTS)
    fields[index] = text
    return fields


def command_seeds():
    seeds = {
        "clear": command(DEFAULTS, CLEAR),
        "row1": command(DEFAULTS, ROW1),
        "row2-czech": command(DEFAULTS, ROW2, czech=True),
        "row3-then-clear": command(DEFAULTS, ROW3, CLEAR),
        "superpose": command(DEFAULTS, SUPERPOSE),
        "superpose-ratio2": command(DEFAULTS, SUPERPOSE, ratio=3),
        "row1-tiny-area": command(DEFAULTS, ROW1, size=(15, 15)),
        "row1-no-area": command(DEFAULTS, ROW1, size=(0, 0)),
        "clear-then-row1-huge-area": command(DEFAULTS, CLEAR, ROW1, ratio=6, size=(20000, 20000)),
        "amplitude-too-large": command(with_field(2, "1000"), ROW1, size=(3000, 3000)),
        "row1-shrink-then-row2": command(DEFAULTS, ROW1, ROW2, size=(9000, 4500),
                                         resize=(3000, 1500)),
        "row1-grow-then-superpose": command(DEFAULTS, ROW1, SUPERPOSE, size=(3000, 1500),
                                            resize=(15000, 12000)),
    }
    # Each hostile text in turn in a frequency, phase or amplitude field, after a plot so a
    # refused text has a picture to leave alone.
    for i, (name, text) in enumerate(TEXTS.items()):
        field = i % 9
        row_command = ROW1 + field // 3
        second = SUPERPOSE if i % 2 else row_command
        seeds[f"{name}-field{field + 1}"] = command(with_field(field, text), CLEAR, second,
                                                   czech=bool(i % 3 == 0))
    return seeds


def write(directory, files):
    if directory.exists():
        shutil.rmtree(directory)
    directory.mkdir(parents=True)
    for name, data in files.items():
        (directory / name).write_bytes(data)


def main():
    numbertext = {n: t.encode() for n, t in TEXTS.items()}
    # The target also reads a double straight from the first eight bytes.
    numbertext["largest-double-bytes"] = struct.pack("<d", 1.7976931348623157e308)
    write(HERE / "corpus" / "numbertext", numbertext)
    write(HERE / "corpus" / "command", command_seeds())


if __name__ == "__main__":
    main()
