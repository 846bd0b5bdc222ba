#!/usr/bin/env python3
"""Writes the example sample set: five drawings of the invented MVX type.

Every file has the same 64-byte header layout (magic, version, a creator
text), some fields that differ from file to file, and chunks of
pseudo-random data named by four-letter tags. The output is the same on
every run: the pseudo-random bytes come from a fixed-seed generator.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def lcg(seed):
    state = seed
    while True:
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        yield state >> 16


def drawing(index, size):
    rand = lcg(index + 1)
    body = bytearray()
    layers = 2 + index % 3
    for layer in range(layers):
        name = b"Layer %d of drawing %d" % (layer + 1, index + 1)
        data = bytes(next(rand) & 0xFF for _ in range(size // layers - 64))
        body += b"LAYR" + struct.pack("<I", len(name) + len(data))
        body += name + b"\x00" + data
    body += b"NOTE" + b"Saved by MavoDraw - vector exchange\x00"
    body += b"ENDC"
    header = b"MVX\x1a" + struct.pack("<HHI", 2, index * 17 + 3, len(body))
    header += b"MavoDraw 3.1".ljust(20, b"\x00")
    header += struct.pack("<I", layers) + bytes(28)
    return header + body


for i, size in enumerate([2200, 3100, 4000, 5000, 6000]):
    path = os.path.join(HERE, "samples", "drawing%d.mvx" % (i + 1))
    with open(path, "wb") as f:
        f.write(drawing(i, size))
