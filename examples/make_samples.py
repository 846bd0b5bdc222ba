#!/usr/bin/env python3
"""Writes the example sets that the README's sessions use.

  samples/   five drawings of the invented MVX type (format version 2);
  more/      a new drawing of the same version, and one of version 3;
  other/     a text file, which no drawing definition may match;
  drawings/  40 drawings from several programs, some with optional fields
             filled, for the cross-check;
  set/       40 compiled tables of an invented type in two layouts, 30 of
             the old one (header 1A01) and 10 of the newer (1E02).

Every drawing has the same 64-byte header layout (magic, version, a creator
text), some fields that differ from file to file, and chunks of
pseudo-random data named by four-letter tags. The output is the same on
every run: the pseudo-random bytes come from fixed-seed generators.

Usage: make_samples.py [DIR]   (default: the directory of this script)
"""
import os
import struct
import sys


def lcg(seed):
    state = seed
    while True:
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        yield state >> 16


def drawing(index, size, version=2, creator=b"MavoDraw 3.1", colour=0,
            note=b"Saved by MavoDraw - vector exchange"):
    rand = lcg(index + 1)
    body = bytearray()
    layers = 2 + index % 3
    for layer in range(layers):
        name = b"Layer %d of drawing %d" % (layer + 1, index + 1)
        data = bytes(next(rand) & 0xFF for _ in range(size // layers - 64))
        body += b"LAYR" + struct.pack("<I", len(name) + len(data))
        body += name + b"\x00" + data
    body += b"NOTE" + note + b"\x00"
    body += b"ENDC"
    header = b"MVX\x1a" + struct.pack("<HHI", version, index * 17 + 3,
                                      len(body))
    header += creator.ljust(20, b"\x00")
    # The background colour is an optional field: 0 when none is set.
    header += struct.pack("<II", layers, colour) + bytes(24)
    return header + body


def table(index, newer):
    """A compiled table: a header of six little-endian counts (the newer
    layout adds a fixed extension block), a name, then flags, numbers and
    strings whose sizes the counts give."""
    rand = lcg(1000 + index)
    letters = b"abcdefghijklmnopqrstuvwxyz"
    name = bytes(letters[next(rand) % 26]
                 for _ in range(3 + next(rand) % 12))
    flags = bytes(next(rand) & 0xFF for _ in range(5 + next(rand) % 7))
    numbers = [next(rand) for _ in range(8 + next(rand) % 5)]
    strings = [b"\x1b[%d;%dH" % (next(rand) % 80, next(rand) % 25)
               for _ in range(6 + next(rand) % 4)]
    magic = 0x021E if newer else 0x011A
    width = 4 if newer else 2
    out = struct.pack("<6H", magic, len(name) + 1, len(flags),
                      len(numbers), len(strings),
                      sum(len(s) + 1 for s in strings))
    if newer:
        out += b"EXTB" + struct.pack("<4H", 1, 0, 32, 3) + b"wide numbers"
    out += name + b"\x00" + flags
    if len(out) % 2:
        out += b"\x00"
    out += b"".join(n.to_bytes(width, "little") for n in numbers)
    out += b"".join(struct.pack("<H", 0) for _ in strings)
    out += b"".join(s + b"\x00" for s in strings)
    return out


def sets():
    for i, size in enumerate([2200, 3100, 4000, 5000, 6000]):
        yield "samples/drawing%d.mvx" % (i + 1), drawing(i, size)
    yield "more/new.mvx", drawing(5, 3500)
    yield "more/v3.mvx", drawing(6, 3300, version=3)
    yield "other/notes.txt", (
        b"plain text notes, not a drawing\n"
        b"Layer 1 holds the outline, layer 2 the labels.\n"
        b"Saved by hand.\n")
    creators = [b"MavoDraw 3.1", b"MavoDraw 3.2", b"Vectorist 1.0"]
    rand = lcg(77)
    for i in range(40):
        pick = next(rand)
        creator = creators[0] if pick % 4 else creators[1 + pick % 8 // 4]
        colour = next(rand) % 0xFFFFFF if next(rand) % 16 == 0 else 0
        note = (b"Saved by MavoDraw - vector exchange" if next(rand) % 5
                else b"Exported for print")
        yield ("drawings/d%02d.mvx" % (i + 1),
               drawing(10 + i, 2000 + next(rand) % 3000, creator=creator,
                       colour=colour, note=note))
    for i in range(40):
        yield "set/t%02d" % (i + 1), table(i, newer=i % 4 == 3)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(
        os.path.abspath(__file__))
    for name, data in sets():
        path = os.path.join(out, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)


main()
