#!/usr/bin/env python3
"""Checks on the LV2 bundle as lilv's tools show it.

  bundle_checks.py ports < lv2info-output
      every port of lv2info's listing as the plug-in declares it
  bundle_checks.py presets PRESETS.nt
      one line per preset from serdi's N-Triples: SYMBOL<TAB>LABEL<TAB>sym=value ...
"""
import re
import sys

# index: (symbol, name, default, property, scale points) for the parameters.
PARAMS = [
    ("delay", "Delay", 0.0, None, None),
    ("repeat", "Repeat", 0.0, None, None),
    ("level", "Level", 0.0, None, None),
    ("range", "Range", 0.5, "enumeration",
     {0.0: "30-160 ms", 0.5: "120-650 ms", 1.0: "480-2600 ms"}),
    ("mute", "Mute", 0.0, "toggled", None),
    ("dry", "Dry", 1.0, None, None),
    ("pan", "Pan", 0.5, None, None),
    ("x_feed", "X-Feed", 0.0, None, None),
    ("mono_out", "Mono Out", 0.0, "toggled", None),
    ("knob_dust", "KnobDust", 1.0, "toggled", None),
    ("ping_pong", "PingPong", 0.0, "enumeration", {0.0: "normal", 0.5: "ping", 1.0: "pong"}),
]
OTHER = [  # index 11 on: (symbol, types)
    ("in_l", {"AudioPort", "InputPort"}),
    ("in_r", {"AudioPort", "InputPort"}),
    ("out_l", {"AudioPort", "OutputPort"}),
    ("out_r", {"AudioPort", "OutputPort"}),
    ("control", {"AtomPort", "InputPort"}),
    ("host_tempo", {"ControlPort", "OutputPort"}),
]


def parse_ports(text):
    ports = {}
    parts = re.split(r"\n\tPort (\d+):\n", text)
    for i in range(1, len(parts), 2):
        body = parts[i + 1]
        port = {"types": set(re.findall(r"#(\w+)\n", body.split("Symbol:")[0])),
                "points": {}}
        for key in ("Symbol", "Name", "Default", "Minimum", "Maximum", "Properties"):
            m = re.search(r"\t\t%s:\s+(.*)" % key, body)
            port[key] = m.group(1).strip() if m else None
        for value, label in re.findall(r'\t\t\t([-0-9.e]+) = "(.*)"', body):
            port["points"][float(value)] = label
        ports[int(parts[i])] = port
    return ports


def check_ports(text):
    ports = parse_ports(text)
    faults = []
    if sorted(ports) != list(range(17)):
        faults.append("ports %s, want 0..16" % sorted(ports))
    for index, (symbol, name, default, prop, points) in enumerate(PARAMS):
        p = ports.get(index, {})
        want = {"Symbol": symbol, "Name": name}
        for key, value in want.items():
            if p.get(key) != value:
                faults.append("port %d: %s %r, want %r" % (index, key, p.get(key), value))
        if p.get("types") != {"ControlPort", "InputPort"}:
            faults.append("port %d: types %s" % (index, p.get("types")))
        for key, value in (("Default", default), ("Minimum", 0.0), ("Maximum", 1.0)):
            if p.get(key) is None or float(p[key]) != value:
                faults.append("port %d: %s %r, want %r" % (index, key, p.get(key), value))
        got_prop = p.get("Properties")
        if (got_prop or "").rsplit("#", 1)[-1] != (prop or ""):
            faults.append("port %d: properties %r, want %r" % (index, got_prop, prop))
        if p.get("points", {}) != (points or {}):
            faults.append("port %d: scale points %r, want %r" % (index, p.get("points"), points))
    for k, (symbol, types) in enumerate(OTHER):
        p = ports.get(11 + k, {})
        if p.get("Symbol") != symbol or p.get("types") != types:
            faults.append("port %d: %r %s, want %r %s" %
                          (11 + k, p.get("Symbol"), p.get("types"), symbol, types))
    for f in faults:
        print("lv2info: " + f, file=sys.stderr)
    return 1 if faults else 0


def list_presets(path):
    triple = re.compile(r'^(\S+) <([^>]*)> (.*) \.$')
    subjects = {}
    with open(path) as f:
        for line in f:
            m = triple.match(line.strip())
            if m:
                subjects.setdefault(m.group(1), []).append((m.group(2), m.group(3)))
    literal = re.compile(r'^"(.*)"(\^\^<.*>)?$')
    for subject, props in subjects.items():
        if ("http://www.w3.org/1999/02/22-rdf-syntax-ns#type",
                "<http://lv2plug.in/ns/ext/presets#Preset>") not in props:
            continue
        uri = subject.strip("<>")
        label = next(literal.match(o).group(1) for p, o in props if p.endswith("#label"))
        values = []
        for p, node in props:
            if not p.endswith("lv2core#port"):
                continue
            port = dict(subjects[node])
            symbol = literal.match(port["http://lv2plug.in/ns/lv2core#symbol"]).group(1)
            value = literal.match(port["http://lv2plug.in/ns/ext/presets#value"]).group(1)
            values.append("%s=%s" % (symbol, value))
        print("%s\t%s\t%s" % (uri.split("#preset-", 1)[-1], label, " ".join(values)))
    return 0


def main():
    if len(sys.argv) == 2 and sys.argv[1] == "ports":
        return check_ports(sys.stdin.read())
    if len(sys.argv) == 3 and sys.argv[1] == "presets":
        return list_presets(sys.argv[2])
    sys.exit(__doc__)


if __name__ == "__main__":
    sys.exit(main())
