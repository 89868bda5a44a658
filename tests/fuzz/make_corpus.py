#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_change into corpus/ beside this script.

Each seed follows the input layout of fuzz_change.cpp: format byte, calls byte, 748 bytes
XORed onto the format's initial record (zero = keep the default), then samples.
"""
import math
import os
import random
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus")
RECORD = 748
FLAG = {1: 0, 2: 332, 3: 220, 4: 400, 5: 384, 6: 308, 7: 208, 8: 236, 9: 284, 10: 424,
        11: 260, 12: 352, 13: 448, 14: 468, 15: 492, 16: 480}
NAMES = {1: "eq", 2: "compressor", 3: "pitch", 4: "distortion", 5: "overdrive", 6: "am", 7: "echo",
         8: "drift", 9: "phaser", 10: "denoise", 11: "chorus", 12: "reverb", 13: "wah", 14: "bass",
         15: "invert", 16: "vibrato"}


def fmt(rate_index, stereo, shown=False):
    return rate_index | (0x20 if stereo else 0) | (0x40 if shown else 0)


def delta(on):
    """Switch the given effects on; the default chain (1..16) stays as it is."""
    d = bytearray(RECORD)
    for t in on:
        d[FLAG[t]] ^= 1
    return d


def samples(kind, frames, channels, seed=1):
    rnd = random.Random(seed)
    out = []
    for i in range(frames):
        for _ in range(channels):
            if kind == "sine":
                v = int(12000 * math.sin(2 * math.pi * 440 * i / 44100))
            elif kind == "square":
                v = 32767 if (i // 40) % 2 else -32768
            elif kind == "impulse":
                v = 32767 if i % 500 == 0 else 0
            else:
                v = rnd.randint(-32768, 32767)
            out.append(v)
    return struct.pack("<%dh" % len(out), *out)


def write(name, format_byte, calls, rec, pcm):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(bytes([format_byte, calls]) + bytes(rec) + pcm)


def main():
    os.makedirs(OUT, exist_ok=True)
    everything = list(range(1, 17))
    for r, rate in enumerate((11025, 22050, 44100, 48000)):
        for stereo in (False, True):
            ch = 2 if stereo else 1
            write("all_on_%d_%dch" % (rate, ch), fmt(r, stereo, r == 2), 0, delta(everything),
                  samples("noise" if stereo else "sine", 1024, ch, r))
    for t in everything:
        write("alone_%s" % NAMES[t], fmt(2, True), 1, delta([t]), samples("noise", 512, 2, t))
    # Long buffer in pieces, odd byte count, an unsupported rate, a chain with duplicates.
    write("sliced_square", fmt(3, True), 0x0C | 0x10, delta(everything), samples("square", 4200, 2))
    write("odd_bytes", fmt(0, False), 0, delta([2, 7, 12]), samples("impulse", 300, 1) + b"\x7f")
    write("rate_32000", 0x1C | 0x20, 0, delta(everything), samples("sine", 800, 2))
    dup = delta([3, 11, 12])
    for i, t in enumerate([12, 12, 3, 11, 0, 40, 11]):
        dup[493 + i] ^= t ^ (i + 1)
    write("duplicate_rows", fmt(1, True), 2, dup, samples("noise", 700, 2, 9))
    # A closed and reopened session, a second begin, records and display calls between pieces,
    # and hostile byte counts with a buffer repeated to several slices.
    write("close_begin", fmt(2, True) | 0x80, 0, delta(everything), samples("sine", 600, 2))
    write("second_begin", fmt(3, False) | 0x80 | 0x18, 0, delta([1, 3, 7]), samples("noise", 600, 1, 4))
    write("mid_stream", fmt(2, True), 0x0C | 0x20 | 0x40, delta(everything), samples("noise", 2000, 2, 5))
    write("hostile_counts", fmt(1, True), 0x80 | 0x04, delta([3, 5, 12]), samples("square", 500, 2) + b"\x0b")


if __name__ == "__main__":
    main()
