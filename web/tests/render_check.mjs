// The web edition's echo against the VST 2.4 edition, sample for sample:
// quillet_echo.wasm run in Node by the page's own block driver
// (site/echo_runner.js), and `quillet-host render` of QTAP_x64.so with the
// same values at 128-frame blocks (the AudioWorklet's quantum) and the fixed
// clock the web echo seeds its stretch noise from. Also holds the module's
// erf to the native C library's on a sweep of arguments.
//
//   node render_check.mjs SITE-DIR QUILLET-HOST PLUGIN WORK-DIR
// Prints one line per check and "N passed, M failed".
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { instantiate } from '../site/wasm_imports.js';
import { EchoRunner, renderThrough } from '../site/echo_runner.js';
import { decodeWavFloat } from '../site/wav.js';
import { paramTable, paramIndexIn } from '../site/params.js';

const [siteDir, hostPath, pluginPath, workDir] = process.argv.slice(2);
if (!workDir) {
  console.error('usage: node render_check.mjs SITE-DIR QUILLET-HOST PLUGIN WORK-DIR');
  process.exit(2);
}
fs.mkdirSync(workDir, { recursive: true });
const module = new WebAssembly.Module(fs.readFileSync(path.join(siteDir, 'quillet_echo.wasm')));
const kBlock = 128;
const table = paramTable(instantiate(module).exports);
const paramIndex = (name) => {
  const i = paramIndexIn(table, name);
  if (i < 0) throw new Error(`no parameter ${name}`);
  return i;
};
const defaultValues = () => table.map((row) => row.defaultValue);
let passed = 0;
let failed = 0;
const report = (ok, line) => {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${line}`);
  if (ok) ++passed;
  else ++failed;
};

function demoAt(rate) {
  const bytes = fs.readFileSync(path.join(workDir, `demo-${rate}.f32`));
  const all = new Float32Array(bytes.buffer, bytes.byteOffset, bytes.length / 4);
  const frames = all.length / 2;
  return [all.slice(0, frames), all.slice(frames)];
}

// A ramp as quillet-host's --ramp NAME=FROM:TO@T0:T1 sets it at every
// block's start (host/plugin/parameters.cpp: ParamRamp::valueAt).
function rampValue(r, seconds) {
  if (seconds <= r.t0) return r.from;
  if (seconds >= r.t1 || r.t1 <= r.t0) return r.to;
  const f = (seconds - r.t0) / (r.t1 - r.t0);
  return Math.fround(r.from + Math.fround(r.to - r.from) * f);
}

function hostRender(name, rate, sets, ramps, tailSeconds, input) {
  const out = path.join(workDir, `${name}.wav`);
  const args = ['render', pluginPath];
  if (input) args.push(input);
  args.push('-o', out, '--block', String(kBlock), '--fixed-clock', '--format', 'float',
    '--tail', String(tailSeconds));
  if (!input) args.push('--rate', String(rate));
  for (const [k, v] of Object.entries(sets)) args.push('--set', `${k}=${v}`);
  for (const r of ramps) args.push('--ramp', `${r.name}=${r.fromText}:${r.toText}@${r.t0}:${r.t1}`);
  execFileSync(hostPath, args, { stdio: ['ignore', 'ignore', 'inherit'] });
  return decodeWavFloat(fs.readFileSync(out).buffer);
}

function webRender(rate, sets, ramps, tailSeconds, left, right) {
  const values = defaultValues();
  for (const [k, v] of Object.entries(sets)) values[paramIndex(k)] = Math.fround(v);
  const runner = new EchoRunner(instantiate(module), rate, values);
  if (!runner.running) throw new Error(`the echo does not run at ${rate} Hz`);
  const tail = Math.floor(tailSeconds * rate);
  const changes = [];
  for (let frame = 0; frame < left.length + tail; frame += kBlock) {
    for (const r of ramps) changes.push({ frame, index: paramIndex(r.name), value: rampValue(r, frame / rate) });
  }
  return renderThrough(runner, left, right, tail, kBlock, changes);
}

function compare(name, host, web) {
  let first = -1;
  let count = 0;
  const frames = Math.max(host.channels[0].length, web[0].length);
  for (let c = 0; c < 2; ++c) {
    const a = new Uint32Array(host.channels[c].buffer);
    const b = new Uint32Array(web[c].buffer);
    for (let i = 0; i < frames; ++i) {
      if (a[i] !== b[i]) {
        ++count;
        if (first < 0) first = i;
      }
    }
  }
  const same = host.channels[0].length === web[0].length;
  report(same && count === 0,
    `${name}: ${web[0].length} frames` +
      (same ? '' : ` (quillet-host: ${host.channels[0].length})`) +
      (count ? `, ${count} samples differ, the first at frame ${first}` : ', equal sample for sample'));
}

const ramp = (name, from, to, t0, t1) => ({
  name, from: Math.fround(from), to: Math.fround(to), fromText: String(from), toText: String(to), t0, t1,
});

// The cases: the demo as scripts/demo.sh renders it; a scenario that moves
// the values at known frames (a Delay ride that stretches the lines, Repeat
// into self-oscillation and saturation, ping-pong, cross-feed, Mute on and
// off, the range switched); the same at 44100 Hz.
const cases = [
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

for (const rate of new Set(cases.map((c) => c.rate))) {
  execFileSync(path.join(workDir, '..', 'write_demo'), [String(rate), path.join(workDir, `demo-${rate}.f32`)]);
}
for (const c of cases) {
  const [left, right] = demoAt(c.rate);
  const host = hostRender(c.name, c.rate, c.sets, c.ramps, c.tail);
  compare(c.name, host, webRender(c.rate, c.sets, c.ramps, c.tail, left, right));
}

// The vector erf must be in use, and erf must be the native library's.
const probe = instantiate(module).exports;
report(probe.echo_vector_erf() === 1, 'the echo loops take the vector erf (its load-time check passed)');
const native = execFileSync(path.join(workDir, '..', 'erf_sweep'), { maxBuffer: 1 << 28 });
const sweep = new Float64Array(native.buffer, native.byteOffset, native.length / 8);
const n = sweep.length / 2;
const chunk = 4096;
const xs = probe.echo_erf_arguments();
let differ = 0;
for (let s = 0; s < n; s += chunk) {
  const m = Math.min(chunk, n - s);
  const x = new Float64Array(probe.memory.buffer, xs, m);
  for (let i = 0; i < m; ++i) x[i] = sweep[2 * (s + i)];
  probe.echo_erf(m);
  const y = new BigUint64Array(probe.memory.buffer, xs, m);
  const want = new BigUint64Array(sweep.buffer, sweep.byteOffset, sweep.length);
  for (let i = 0; i < m; ++i) {
    if (y[i] !== want[2 * (s + i) + 1]) {
      if (++differ <= 3) console.log(`     erf(${sweep[2 * (s + i)]}): ${new Float64Array(y.buffer, y.byteOffset + 8 * i, 1)[0]}, native ${sweep[2 * (s + i) + 1]}`);
    }
  }
}
report(differ === 0, `erf on ${n} arguments: ${differ ? `${differ} differ from` : 'the bits of'} the native C library`);

console.log(`${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
