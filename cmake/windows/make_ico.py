#!/usr/bin/env python3
"""Writes a Windows .ico from PNG files (one image each, any square size).

Usage: make_ico.py OUT.ico IN.png...   The PNGs are stored as they are, which
every Windows since Vista reads.
"""
import struct
import sys


def size_of(png):
    if png[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit("not a PNG")
    return struct.unpack(">II", png[16:24])


def main(out, inputs):
    images = [open(p, "rb").read() for p in inputs]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, data = b"", b""
    for png in images:
        w, h = size_of(png)
        entries += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(png), offset + len(data))
        data += png
    with open(out, "wb") as f:
        f.write(header + entries + data)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2:])
