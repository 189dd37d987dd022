#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora: texts users type, paste or mistype, and the defaults.

Run from anywhere; rewrites fuzz/corpus/numbertext/ and fuzz/corpus/command/ in place.
"""

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
}

# The command target's header; keep in step with fuzz_command.cpp.
CZECH = 1
NONE, CLEAR, ROW1, ROW2, ROW3, SUPERPOSE = range(6)
SEPARATOR = b"\xff"

# The window's initial field values.
DEFAULTS = ["1", "0", "20", "2", "0", "20", "3", "0", "20"]


def command(fields, first, second=NONE, czech=False, ratio=0, width=9000, height=4500):
    header = bytes([(CZECH if czech else 0) | ratio << 1, first, second])
    header += struct.pack("<HH", width, height)
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
        "row1-tiny-area": command(DEFAULTS, ROW1, width=15, height=15),
        "row1-no-area": command(DEFAULTS, ROW1, width=0, height=0),
        "clear-then-row1-huge-area": command(DEFAULTS, CLEAR, ROW1, ratio=6, width=20000,
                                             height=20000),
        "amplitude-too-large": command(with_field(2, "1000"), ROW1, width=3000, height=3000),
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
    write(HERE / "corpus" / "numbertext", {n: t.encode() for n, t in TEXTS.items()})
    write(HERE / "corpus" / "command", command_seeds())


if __name__ == "__main__":
    main()
