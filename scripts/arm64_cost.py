#!/usr/bin/env python3
"""The echo's cost per frame on arm64, in instructions, as qemu-user counts them.

Debian's qemu-user ships no TCG plugins (no libinsn.so; qemu-user-static cannot load
any), so the count comes from qemu's own log instead: "-d in_asm" lists the
instructions of each block of code as it is translated, "-d exec" with "nochain"
names each block every time it runs; their product, summed, is every instruction
the program ran (the same count as "-singlestep", where each block is one
instruction, gives). The figure per frame is the count of a long run less that of
a short one, over the frames between them, so that setting up and loading cancel.

Usage: arm64_cost.py QEMU BUILD-ARM64
"""
import subprocess
import sys

SHORT, LONG = 2048, 6144


def instructions(qemu, program, frames, *args):
    run = subprocess.Popen([qemu, "-d", "in_asm,exec,nochain", program, str(frames), *args],
                           stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, bufsize=1 << 20)
    sizes, total = {}, 0
    first, count, inside = None, 0, False
    for line in run.stderr:
        head = line[:1]
        if head == b"T" and line.startswith(b"Trace "):
            # Trace 0: 0x... [00000000/PC/...] : the block at PC runs.
            total += sizes[int(line.split(b"/", 2)[1], 16)]
        elif head == b"0" and inside:
            if first is None:
                first = int(line.split(b":", 1)[0], 16)
            count += 1
        elif line.startswith(b"IN:"):
            first, count, inside = None, 0, True
        elif inside and not line.strip():
            if first is not None:
                sizes[first] = count
            inside = False
    if run.wait() != 0:
        sys.exit(f"{program} failed under qemu")
    return total


def per_frame(qemu, program, *args):
    return (instructions(qemu, program, LONG, *args) -
            instructions(qemu, program, SHORT, *args)) / (LONG - SHORT)


def main():
    qemu, build = sys.argv[1], sys.argv[2]
    for label, args in (("controls steady", ()), ("a control gliding", ("glide",))):
        neon = per_frame(qemu, f"{build}/tests/arm64/arm64_frame_cost", *args)
        portable = per_frame(qemu, f"{build}/tests/arm64/arm64_frame_cost_portable", *args)
        print(f"echo, 48 kHz, blocks of 128, {label}: {neon:.1f} instructions per frame on "
              f"the NEON loops, {portable:.1f} on the portable ones ({portable / neon:.2f}x)")


if __name__ == "__main__":
    main()
