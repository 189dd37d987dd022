#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the fuzz targets' seed corpora: texts users type, paste or mistype, and the defaults;
lesson files, the examples and one for each reason a file is refused; command lines.

Run from anywhere; rewrites fuzz/corpus/numbertext/, command/, lessonfile/ and commandline/ in
place.
"""

import json
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


# The examples of the menu "Příklady": title and the nine texts, row by row.
EXAMPLES = {
    "beats": ("Rázy", ["8", "0", "50", "9", "0", "50", "1", "0", "0"]),
    "constructive": ("Konstruktivní interference", ["2", "0", "40", "2", "0", "20", "1", "0", "0"]),
    "destructive": ("Destruktivní interference", ["2", "0", "40", "2", "180", "40", "1", "0", "0"]),
    "phase-shift": ("Fázový posun", ["2", "0", "40", "2", "90", "40", "1", "0", "0"]),
    "three-harmonics": ("Tři harmonické", DEFAULTS),
    "square-wave": ("Obdélníkový průběh", ["1", "0", "60", "3", "0", "20", "5", "0", "12"]),
}
KEYS = ["frequency", "phase", "amplitude"]


def row(texts):
    return dict(zip(KEYS, texts))


def lesson(heading, texts, **changes):
    """A lesson file as the program writes it, with keys changed (None leaves one out)."""
    document = {"format": "vibraton-hodnoty", "version": 1, "title": heading,
                "rows": [row(texts[i:i + 3]) for i in range(0, 9, 3)]}
    for key, value in changes.items():
        if value is None:
            document.pop(key)
        else:
            document[key] = value
    return json.dumps(document, ensure_ascii=False, indent=4).encode()


def lesson_seeds():
    seeds = {name: lesson(*example) for name, example in EXAMPLES.items()}
    default_rows = [row(DEFAULTS[i:i + 3]) for i in range(0, 9, 3)]
    # One file for each reason a file's contents are refused (a file larger than 1 MB is left
    # out: the smoke run's inputs are far shorter).
    seeds.update({
        "empty": b"",
        "not-json": b"f = 8 Hz",
        "not-json-after-czech-letters": "{\"title\": \"Žluťoučký kůň\",\n \"řada\": 1 ]}".encode(),
        "not-utf8": lesson("R_zy", DEFAULTS).replace(b"R_zy", b"R\xe1zy"),
        "a-list": b'["vibraton-hodnoty", 1]',
        "no-format": lesson("", DEFAULTS, format=None),
        "another-format": lesson("", DEFAULTS, format="geogebra"),
        "no-version": lesson("", DEFAULTS, version=None),
        "version-not-whole": lesson("", DEFAULTS, version=1.5),
        "version-text": lesson("", DEFAULTS, version="1"),
        "newer-version": lesson("", DEFAULTS, version=2),
        "newer-version-beyond-a-double": b'{"format": "vibraton-hodnoty", "version": 1e400}',
        "version-below-a-double": b'{"format": "vibraton-hodnoty", "version": -1e-400}',
        "unknown-key": lesson("", DEFAULTS, colour="red"),
        "title-not-text": lesson("", DEFAULTS, title=7),
        "no-rows": lesson("", DEFAULTS, rows=None),
        "rows-not-a-list": lesson("", DEFAULTS, rows=default_rows[0]),
        "two-rows": lesson("", DEFAULTS, rows=default_rows[:2]),
        "row-not-an-object": lesson("", DEFAULTS, rows=[DEFAULTS[:3]] + default_rows[1:]),
        "unknown-row-key": lesson("", DEFAULTS, rows=[{**default_rows[0], "amplitud": "1"}]
                                  + default_rows[1:]),
        "no-frequency": lesson("", DEFAULTS, rows=[{"phase": "0", "amplitude": "20"}]
                               + default_rows[1:]),
        "amplitude-a-number": lesson("", DEFAULTS, rows=default_rows[:2]
                                     + [{"frequency": "3", "phase": "0", "amplitude": 20}]),
        "frequency-beyond-a-double": lesson("", DEFAULTS).replace(b'"1"', b"1e999", 1),
        "bom-windows-line-ends": b"\xef\xbb\xbf" + lesson("Rázy", DEFAULTS).replace(b"\n", b"\r\n"),
    })
    return seeds


def command_line_seeds():
    """Arguments after the program's name, each ended by a zero byte."""
    lines = {
        "no-arguments": [],
        "a-file": ["hodina.vibraton"],
        "help": ["--help"],
        "h-with-a-file": ["x.vibraton", "-h"],
        "version": ["--version"],
        "v": ["-v"],
        "unknown-option": ["--bogus"],
        "unknown-option-czech": ["--přehrát", "-barva=modrá"],
        "value-missing": ["-platform"],
        "two-files": ["a.vibraton", "b.vibraton"],
        "an-empty-name": [""],
        "a-file-named-like-an-option": ["--", "-h.vibraton"],
        "qt-options": ["-platform", "xcb", "-reverse", "x.vibraton", "--style=fusion"],
        "qt-x11-options": ["-display", ":0", "-geometry", "100x100", "-sync", "-session", "s",
                           "x.vibraton"],
    }
    seeds = {name: b"".join(a.encode() + b"\0" for a in args) for name, args in lines.items()}
    # Names that aren't UTF-8, as Linux hands them on.
    seeds["latin-1-name"] = b"lat\xe9n.vibraton\0"
    seeds["encoded-surrogate-name"] = b"\xed\xb3\x80.vibraton\0"
    seeds["overlong-name"] = b"a\xc0\xaf.vibraton\0"
    # Findings, kept: an unknown option with a line end made its refusal two lines.
    seeds["finding-unknown-option-line-end"] = b"--he\n\0\0\0es\xf7" + b"\xff" * 20 + b"a\xc0"
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
    write(HERE / "corpus" / "lessonfile", lesson_seeds())
    write(HERE / "corpus" / "commandline", command_line_seeds())


if __name__ == "__main__":
    main()
