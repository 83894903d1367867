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
import { cases, changesFor, kBlock } from './render_cases.mjs';
import { paramTable, paramIndexIn } from '../site/params.js';

const [siteDir, hostPath, pluginPath, workDir] = process.argv.slice(2);
if (!workDir) {
  console.error('usage: node render_check.mjs SITE-DIR QUILLET-HOST PLUGIN WORK-DIR');
  process.exit(2);
}
fs.mkdirSync(workDir, { recursive: true });
const module = new WebAssembly.Module(fs.readFileSync(path.join(siteDir, 'quillet_echo.wasm')));
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
  const changes = changesFor({ rate, ramps }, paramIndex, left.length + tail);
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
