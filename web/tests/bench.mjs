// The web edition's echo module in Node (V8, the engine of Chromium): ns per
// frame in 128-frame quanta at 48 kHz ("Repeat" 0.6, "Level" 1, noise in),
// one frame at a time and in pairs (WebAssembly SIMD), as the native
// web_quantum_bench measures the same. Prints one JSON line per figure.
//   node bench.mjs quillet_echo.wasm [SECONDS]
import fs from 'node:fs';
import { instantiate } from '../site/wasm_imports.js';
import { EchoRunner } from '../site/echo_runner.js';
import { paramTable, paramIndexIn } from '../site/params.js';

const [wasm, seconds = '3'] = process.argv.slice(2);
const module = new WebAssembly.Module(fs.readFileSync(wasm));
const kQuantum = 128;

for (const pairs of [0, 1]) {
  const instance = instantiate(module);
  const table = paramTable(instance.exports);
  const values = table.map((r) => r.defaultValue);
  values[paramIndexIn(table, 'Repeat')] = 0.6;
  values[paramIndexIn(table, 'Level')] = 1;
  const runner = new EchoRunner(instance, 48000, values);
  instance.exports.echo_set_vector_pairs(pairs);
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
  for (let i = 0; i < 2000; ++i) runner.block(left, right, outL, outR, kQuantum);
  // Median of one-second batches.
  const batches = [];
  const end = performance.now() + Number(seconds) * 1000;
  while (performance.now() < end) {
    const t0 = performance.now();
    let blocks = 0;
    while (performance.now() - t0 < 200) {
      for (let i = 0; i < 50; ++i) runner.block(left, right, outL, outR, kQuantum);
      blocks += 50;
    }
    batches.push(((performance.now() - t0) * 1e6) / (blocks * kQuantum));
  }
  batches.sort((a, b) => a - b);
  console.log(JSON.stringify({ name: pairs ? 'wasm pairs' : 'wasm one frame at a time', ns_per_frame: batches[batches.length >> 1] }));
}
