#!/usr/bin/env python3
"""Largest difference between two float WAV files of the same shape.

Usage: compare-wav.py A.wav B.wav [LIMIT]; exits 1 when the files differ in
shape or by more than LIMIT (default 1e-6) on any sample."""
import struct
import sys


def read_float_wav(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        sys.exit(f"{path}: not a WAV file")
    pos, fmt, samples = 12, None, None
    while pos + 8 <= len(data):
        tag, size = data[pos:pos + 4], struct.unpack_from("<I", data, pos + 4)[0]
        body = data[pos + 8:pos + 8 + size]
        if tag == b"fmt ":
            fmt = struct.unpack_from("<HHIIHH", body)
        elif tag == b"data":
            samples = body
            break
        pos += 8 + size + (size & 1)
    if not fmt or samples is None:
        sys.exit(f"{path}: no format or no data")
    code, channels, rate, _, _, bits = fmt
    if code == 0xFFFE:
        code = struct.unpack_from("<H", data, data.find(b"fmt ") + 8 + 24)[0]
    if code != 3 or bits != 32:
        sys.exit(f"{path}: not 32-bit float samples")
    count = len(samples) // 4
    return channels, rate, struct.unpack(f"<{count}f", samples[:count * 4])


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    limit = float(sys.argv[3]) if len(sys.argv) > 3 else 1e-6
    ca, ra, a = read_float_wav(sys.argv[1])
    cb, rb, b = read_float_wav(sys.argv[2])
    if (ca, ra, len(a)) != (cb, rb, len(b)):
        print(f"shapes differ: {ca} ch {ra} Hz {len(a)} vs {cb} ch {rb} Hz {len(b)}")
        return 1
    worst, where, differing = 0.0, 0, 0
    for i, (x, y) in enumerate(zip(a, b)):
        d = abs(x - y)
        if d:
            differing += 1
            if d > worst:
                worst, where = d, i
    frame, channel = divmod(where, ca)
    print(f"{len(a) // ca} frames x {ca} ch: largest difference {worst:.3g} "
          f"(frame {frame}, channel {channel}), {differing} samples differ")
    return 0 if worst <= limit else 1


if __name__ == "__main__":
    sys.exit(main())
