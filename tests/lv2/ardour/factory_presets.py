"""The factory presets as the VST 2.4 edition's .fxp files hold them, and
their values as Ardour shows the VST3 edition's parameters."""
import os
import struct

# Parameter kinds in table order: knobs, "n/y" switches, "typ" selectors.
KINDS = ("knob", "knob", "knob", "selector", "switch", "knob", "knob", "knob",
         "switch", "switch", "selector")


def from_fxp_files(folder):
    """{name: (symbol, [eleven floats])} of every .fxp chunk program there."""
    presets = {}
    for file in sorted(os.listdir(folder)):
        if not file.endswith(".fxp"):
            continue
        data = open(os.path.join(folder, file), "rb").read()
        if data[0:4] != b"CcnK" or data[8:12] != b"FPCh":
            raise ValueError(file + ": not a chunk program")
        name = data[28:56].split(b"\0", 1)[0].decode("ascii")
        (size,) = struct.unpack(">I", data[56:60])
        values = list(struct.unpack("<11f", data[60:60 + size][:44]))
        presets[name] = (file[:-4], values)
    return presets


def as_ardour_shows_vst3(values):
    """Knobs as they are; a stepped parameter by its step, as Ardour shows
    (and sets) VST3 parameters with steps: a switch 0 or 1, a selector
    0, 1 or 2, split where the echo splits them."""
    shown = []
    for kind, v in zip(KINDS, values):
        v32 = struct.unpack("f", struct.pack("f", v))[0]
        if kind == "switch":
            shown.append(1.0 if v32 > 0.5 else 0.0)
        elif kind == "selector":
            third = struct.unpack("f", struct.pack("f", 0.33333334))[0]
            two_thirds = struct.unpack("f", struct.pack("f", 0.6666666))[0]
            shown.append(0.0 if v32 < third else 1.0 if v32 < two_thirds else 2.0)
        else:
            shown.append(v32)
    return shown
