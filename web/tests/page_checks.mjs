// What both browser checks (browser_check.mjs in Chromium,
// firefox_check.mjs in Firefox) ask of a page: that it reports no problem,
// and that its offline render equals quillet-host's.
import fs from 'node:fs';
import path from 'node:path';
import { decodeWavFloat } from '../site/wav.js';
import { changesFor } from './render_cases.mjs';

// Notes in `problems` every console error, script error, failed request and
// answer of 400 or more on `page`.
export function watchProblems(page, problems) {
  page.on('console', (m) => {
    if (m.type() === 'error') problems.push(`console: ${m.text()}`);
  });
  page.on('pageerror', (e) => problems.push(`script: ${e.message}`));
  page.on('requestfailed', (r) => problems.push(`request: ${r.url()} ${r.failure()?.errorText}`));
  page.on('response', (r) => {
    if (r.status() >= 400) problems.push(`request: ${r.url()} answered ${r.status()}`);
  });
}

// Renders case `c` (render_cases.mjs) in `page` (OfflineAudioContext, the
// echo's AudioWorklet) and compares it with quillet-host's render in
// `rendersDir`, sample for sample: {ok, line}.
export async function renderMatchesHost(page, c, rendersDir, label) {
  const host = decodeWavFloat(fs.readFileSync(path.join(rendersDir, `${c.name}.wav`)).buffer);
  const result = await page.evaluate(
    async (c, changesOf) => {
      const q = window.quillet;
      const table = q.state.table;
      const values = table.map((row) => row.defaultValue);
      for (const [k, v] of Object.entries(c.sets)) values[q.paramIndex(k)] = Math.fround(v);
      const input = await q.loadDemo();
      const tail = Math.floor(c.tail * c.rate);
      const changes = changesOf.map(([frame, name, value]) => ({ frame, index: q.paramIndex(name), value }));
      const out = await q.renderOffline({ input, rate: c.rate, values, changes, tailSeconds: c.tail });
      const bytes = (a) => {
        const u = new Uint8Array(a.buffer, a.byteOffset, a.byteLength);
        let s = '';
        for (let i = 0; i < u.length; i += 0x8000) s += String.fromCharCode(...u.subarray(i, i + 0x8000));
        return btoa(s);
      };
      return { frames: out[0].length, expected: input[0].length + tail, left: bytes(out[0]), right: bytes(out[1]) };
    },
    c,
    changesFor(c, (name) => name, host.channels[0].length).map((x) => [x.frame, x.index, x.value]),
  );
  const web = [result.left, result.right].map((b) => new Uint32Array(new Uint8Array(Buffer.from(b, 'base64')).buffer));
  let differ = 0;
  let first = -1;
  for (let ch = 0; ch < 2; ++ch) {
    const want = new Uint32Array(host.channels[ch].buffer);
    for (let i = 0; i < want.length; ++i) {
      if (want[i] !== web[ch][i]) {
        if (differ++ === 0) first = i;
      }
    }
  }
  const sameLength = result.frames === host.channels[0].length;
  return {
    ok: sameLength && differ === 0,
    line: `${label} of ${c.name}: ${result.frames} frames` +
      (sameLength ? '' : ` (quillet-host: ${host.channels[0].length})`) +
      (differ ? `, ${differ} samples differ, the first at frame ${first}` : ', equal to quillet-host sample for sample'),
  };
}

