// The web edition's echo module in Node (V8, the engine of Chromium): ns per
// frame in 128-frame quanta at 48 kHz ("Repeat" 0.6, "Level" 1, noise in),
// driven as the page's AudioWorklet drives it (EchoRunner.block: the copies
// into and out of the module's memory included), as the native
// web_quantum_bench measures the same. Each module given is timed in turn;
// prints one JSON line per module.
//
// The figure is processor time (process.cpuUsage), as Google Benchmark
// reports the native one: on a machine shared with other work the wall
// clock also counts the time the process waits for a core, which inflates
// the figure by the machine's load (seen here: 83 ns by the clock for 21 of
// processor time, load 9). The wall-clock figure is printed beside it.
//   node bench.mjs SECONDS NAME=MODULE.wasm [NAME=MODULE.wasm ...]
import fs from 'node:fs';
import { instantiate } from '../site/wasm_imports.js';
import { EchoRunner } from '../site/echo_runner.js';
import { paramTable, paramIndexIn } from '../site/params.js';

const [seconds, ...modules] = process.argv.slice(2);
const kQuantum = 128;
const kBatchMs = 200;

function median(v) {
  const s = [...v].sort((a, b) => a - b);
  return s[s.length >> 1];
}

function timeModule(path) {
  const instance = instantiate(new WebAssembly.Module(fs.readFileSync(path)));
  const table = paramTable(instance.exports);
  const values = table.map((r) => r.defaultValue);
  values[paramIndexIn(table, 'Repeat')] = 0.6;
  values[paramIndexIn(table, 'Level')] = 1;
  const runner = new EchoRunner(instance, 48000, values);
  if (!runner.running) throw new Error(`${path}: the echo did not start`);
  let noise = 1;
  const fill = (v) => {
    for (let i = 0; i < v.length; ++i) {
      noise = (Math.imul(noise, 1664525) + 1013904223) | 0;
      v[i] = Math.fround(noise * (0.25 / 2147483648));
    }
  };
  const left = new Float32Array(kQuantum);
  const right = new Float32Array(kQuantum);
  fill(left);
  fill(right);
  const outL = new Float32Array(kQuantum);
  const outR = new Float32Array(kQuantum);
  // Lines full of echoes, and V8's optimising tier in place.
  for (let i = 0; i < 4000; ++i) runner.block(left, right, outL, outR, kQuantum);
  const cpu = [];
  const wall = [];
  const end = performance.now() + Number(seconds) * 1000;
  while (performance.now() < end || cpu.length < 3) {
    const t0 = performance.now();
    const c0 = process.cpuUsage();
    let blocks = 0;
    while (performance.now() - t0 < kBatchMs) {
      for (let i = 0; i < 50; ++i) runner.block(left, right, outL, outR, kQuantum);
      blocks += 50;
    }
    const c = process.cpuUsage(c0);
    const frames = blocks * kQuantum;
    cpu.push(((c.user + c.system) * 1e3) / frames);
    wall.push(((performance.now() - t0) * 1e6) / frames);
  }
  return { ns_per_frame: median(cpu), wall_ns_per_frame: median(wall) };
}

for (const spec of modules) {
  const at = spec.indexOf('=');
  const name = spec.slice(0, at);
  console.log(JSON.stringify({ name, ...timeModule(spec.slice(at + 1)) }));
}
