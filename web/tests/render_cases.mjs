// The renders both web checks compare with quillet-host's: the values each
// starts with, the ramps quillet-host sets at every block's start (--ramp),
// and the tail. render_check.mjs renders them with quillet-host and in
// Node, browser_check.mjs in Chromium.

export const kBlock = 128;

// A ramp as quillet-host's --ramp NAME=FROM:TO@T0:T1 sets it at every
// block's start (host/plugin/parameters.cpp: ParamRamp::valueAt).
export function rampValue(r, seconds) {
  if (seconds <= r.t0) return r.from;
  if (seconds >= r.t1 || r.t1 <= r.t0) return r.to;
  const f = (seconds - r.t0) / (r.t1 - r.t0);
  return Math.fround(r.from + Math.fround(r.to - r.from) * f);
}

const ramp = (name, from, to, t0, t1) => ({
  name, from: Math.fround(from), to: Math.fround(to), fromText: String(from), toText: String(to), t0, t1,
});

// The cases: the demo as scripts/demo.sh renders it; a scenario that moves
// the values at known frames (a Delay ride that stretches the lines, Repeat
// into self-oscillation and saturation, ping-pong, cross-feed, Mute on and
// off, the range switched); the same at 44100 Hz.
export const cases = [
  { name: 'demo-48000', rate: 48000, sets: { Delay: 0.6, Repeat: 0.45, Level: 0.8 }, ramps: [], tail: 4 },
  {
    name: 'scenario-48000', rate: 48000,
    sets: { Level: 0.9, Dry: 0.7, Pan: 0.3, KnobDust: 0 },
    ramps: [
      ramp('Delay', 0.2, 0.9, 0.5, 3.5), ramp('Repeat', 0.3, 0.97, 1, 6), ramp('X-Feed', 0, 0.8, 2, 4),
      ramp('PingPong', 0, 1, 4.2, 4.2), ramp('Mute', 0, 1, 6.5, 6.5), ramp('Range', 0.5, 0.9, 5, 5),
    ],
    tail: 3,
  },
  {
    name: 'scenario-44100', rate: 44100, sets: { Level: 1, 'Mono Out': 1, KnobDust: 1 },
    ramps: [ramp('Delay', 0.9, 0.1, 0.2, 5), ramp('Repeat', 0.6, 0.9, 0, 4)], tail: 2,
  },
];


// The changes the page's echo is given for a case: every ramp's value at
// every block's start, as quillet-host stores them.
export function changesFor(c, paramIndex, totalFrames) {
  const changes = [];
  for (let frame = 0; frame < totalFrames; frame += kBlock) {
    for (const r of c.ramps) changes.push({ frame, index: paramIndex(r.name), value: rampValue(r, frame / c.rate) });
  }
  return changes;
}
