#!/usr/bin/env python3
"""Writes the Quillet Test Signal of quillet_test_signal.lua (same formula, same
double arithmetic, rounded to 32-bit floats) as a stereo float WAV.

Usage: test_signal.py OUT.wav FRAMES"""
import math
import struct
import sys


def pluck(n):
    k = math.floor(n / 12000)
    t = (n - k * 12000) / 48000
    f = 220 * (1 + k % 5)
    e = 0.5 * math.exp(-20 * t)
    return e * math.sin(2 * math.pi * f * t), e * math.cos(2 * math.pi * f * t)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    frames = int(sys.argv[2])
    data = bytearray()
    for n in range(frames):
        data += struct.pack("<ff", *pluck(n))
    fmt = struct.pack("<HHIIHH", 3, 2, 48000, 48000 * 8, 8, 32)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt
    body += b"data" + struct.pack("<I", len(data)) + bytes(data)
    with open(sys.argv[1], "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)


if __name__ == "__main__":
    main()
