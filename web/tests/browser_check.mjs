// The web edition in a real browser: the built site served on the loopback
// address, Debian's Chromium driven headless through its DevTools protocol
// (puppeteer-core; no browser is downloaded). Checks:
//  - the page loads and runs without a console error or a failed request;
//  - an offline render (OfflineAudioContext, the echo's AudioWorklet) of the
//    demo, and of the scenario whose values move at known frames, equals
//    quillet-host's render of QTAP_x64.so (made by render_check.mjs) sample
//    for sample;
//  - a drag on the canvas moves Delay, and its value shows on the page;
//  - the panel's menu sets a factory preset's values, and so does the
//    page's preset list;
//  - a finger (CDP touch events) dragged on a knob moves it, and a finger
//    held still opens the panel's menu, whose preset the keys then set;
//  - the address gives a setting, shows it, and a reload keeps it;
//  - the panel at device pixel ratio 1 and 2, and its menu, are the panel's
//    own golden pictures (tests/editor/golden), pixel for pixel: the menu
//    without the standalone program's MIDI learning;
//  - the page is an installable web app (Chromium finds nothing missing: the
//    manifest and its PNG icons, of the sizes the manifest says), and once
//    loaded it reloads and renders the demo, sample for sample, with the
//    network off and the server gone (the service worker's cache).
//
//   node browser_check.mjs SITE-DIR HOST-RENDERS-DIR GOLDEN-DIR SHOTS-DIR
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';
import { cases } from './render_cases.mjs';
import { renderMatchesHost, watchProblems } from './page_checks.mjs';
import { differingPixels, readPng } from './png.mjs';
import { serve } from './serve.mjs';

const [siteDir, rendersDir, goldenDir, shotsDir] = process.argv.slice(2);
if (!shotsDir) {
  console.error('usage: node browser_check.mjs SITE-DIR HOST-RENDERS-DIR GOLDEN-DIR SHOTS-DIR');
  process.exit(2);
}
fs.mkdirSync(shotsDir, { recursive: true });
const kWait = 60000; // generous: a loaded 2-core machine
let passed = 0;
let failed = 0;
const report = (ok, line) => {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${line}`);
  if (ok) ++passed;
  else ++failed;
};
async function check(name, body) {
  try {
    await body();
  } catch (error) {
    report(false, `${name}: ${error.stack || error}`);
  }
}

const { server, url } = await serve(siteDir);
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'quillet-web-chromium-'));
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  userDataDir: profile,
  headless: true,
  protocolTimeout: 180000,
  args: [
    '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--force-color-profile=srgb', '--autoplay-policy=no-user-gesture-required',
  ],
});

const problems = [];
async function openPage(address, ratio = 1) {
  const page = await browser.newPage();
  watchProblems(page, problems);
  await page.setViewport({ width: 1000, height: 900, deviceScaleFactor: ratio });
  await page.goto(url + address, { waitUntil: 'load' });
  await page.waitForFunction(() => document.body.classList.contains('ready'), { timeout: kWait });
  return page;
}

async function checkRender(page, c, label) {
  const { ok, line } = await renderMatchesHost(page, c, rendersDir, label);
  report(ok, line);
}

// A digest of the canvas' pixels: a menu drawn over the panel changes it.
const canvasDigest = (page) =>
  page.evaluate(() => {
    const c = document.getElementById('panel');
    const d = c.getContext('2d', { willReadFrequently: true }).getImageData(0, 0, c.width, c.height).data;
    let h = 0;
    for (let i = 0; i < d.length; i += 4) h = (Math.imul(h, 31) + d[i] + d[i + 1] * 3 + d[i + 2] * 7) | 0;
    return h;
  });
// Waits, one animation frame at a time, until the canvas differs from `from`.
async function waitForCanvasChange(page, from) {
  const end = Date.now() + kWait;
  while ((await canvasDigest(page)) === from) {
    if (Date.now() > end) throw new Error(`the canvas did not change within ${kWait} ms`);
    await nextFrames(page);
  }
}
const nextFrames = (page) =>
  page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));

const values = (page) => page.evaluate(() => [...window.quillet.state.values]);
const shownText = (page, symbol) => page.$eval(`#value-${symbol}`, (e) => e.textContent);

try {
  // ---- renders -------------------------------------------------------------
  const page = await openPage('');
  for (const c of cases.filter((k) => k.rate === 48000)) {
    await check(`render ${c.name}`, () => checkRender(page, c, "Chromium's offline render"));
  }

  // ---- a drag on Delay ------------------------------------------------------
  await check('drag', async () => {
    const before = (await values(page))[0];
    const beforeText = await shownText(page, 'delay');
    const box = await (await page.$('#panel')).boundingBox();
    // The Delay knob: 100 by 100 pixels from (50, 40) at 100 %.
    const x = box.x + 100;
    const y = box.y + 90;
    await page.mouse.move(x, y);
    await page.mouse.down();
    for (let dy = 10; dy <= 100; dy += 10) await page.mouse.move(x, y - dy);
    await page.mouse.up();
    await page.waitForFunction((b) => window.quillet.state.values[0] !== b, { timeout: kWait }, before);
    await page.waitForFunction((t) => document.getElementById('value-delay').textContent !== t, { timeout: kWait }, beforeText);
    const after = (await values(page))[0];
    const text = await shownText(page, 'delay');
    const readout = await page.$eval('#readout', (e) => e.textContent);
    const address = await page.evaluate(() => location.search);
    // 100 pixels up of the knob's 400 are a quarter of its range.
    report(Math.abs(after - before - 0.25) < 0.02 && readout.startsWith('Delay: ') && address.includes(`delay=${Number(after.toPrecision(9))}`.slice(0, 10)),
      `a drag of 100 pixels up moves Delay from ${before} to ${after}, the page shows "${text}" ("${readout}")`);
  });

  // ---- presets --------------------------------------------------------------
  await check('preset menu', async () => {
    const presets = await page.evaluate(() => window.quillet.state.presets);
    const box = await (await page.$('#panel')).boundingBox();
    // A right-click on the background opens the menu; the keys pick a row:
    // Right to "Presets", Down to its second row, Return.
    await nextFrames(page);
    const closed = await canvasDigest(page);
    await page.mouse.click(box.x + 190, box.y + 345, { button: "right" });
    await page.focus('#panel');
    await waitForCanvasChange(page, closed);
    for (const key of ['ArrowRight', 'ArrowDown', 'ArrowDown', 'Enter']) await page.keyboard.press(key);
    await page.waitForFunction(() => document.getElementById('preset').value !== '', { timeout: kWait });
    const chosen = Number(await page.$eval('#preset', (e) => e.value));
    const now = await values(page);
    const same = presets[chosen].values.every((v, i) => v === now[i]);
    report(same, `the panel's menu set the preset "${presets[chosen].name}": ${same ? 'all eleven values' : `values ${now} against ${presets[chosen].values}`}`);
    // The page's own list, by name.
    const other = (chosen + 3) % presets.length;
    await page.select('#preset', String(other));
    await page.waitForFunction((v) => window.quillet.state.values.every((x, i) => x === v[i]), { timeout: kWait }, presets[other].values);
    report(true, `the page's preset list set "${presets[other].name}"`);
  });

  // ---- touch ----------------------------------------------------------------
  await check('touch', async () => {
    // A page of its own, Delay where the link puts it, a touch screen.
    const touched = await openPage('?delay=0.3');
    const cdp = await touched.createCDPSession();
    await cdp.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 1 });
    const finger = (type, x, y) =>
      cdp.send('Input.dispatchTouchEvent', { type, touchPoints: type === 'touchEnd' ? [] : [{ x, y }] });
    const box = await (await touched.$('#panel')).boundingBox();
    // A finger on Delay, dragged 100 pixels up.
    const before = (await values(touched))[0];
    const x = box.x + 100;
    const y = box.y + 90;
    await finger('touchStart', x, y);
    for (let dy = 10; dy <= 100; dy += 10) await finger('touchMove', x, y - dy);
    await finger('touchEnd');
    await touched.waitForFunction((b) => window.quillet.state.values[0] !== b, { timeout: kWait }, before);
    const after = (await values(touched))[0];
    report(Math.abs(before - 0.3) < 1e-6 && Math.abs(after - before - 0.25) < 0.02,
      `a finger dragged 100 pixels up on Delay moves it from ${before} to ${after} ("${await shownText(touched, 'delay')}")`);

    // A finger held still on the panel's background opens the menu; the
    // keys then move from the marked preset to the next one and take it.
    const presets = await touched.evaluate(() => window.quillet.state.presets);
    await nextFrames(touched);
    const closed = await canvasDigest(touched);
    await finger('touchStart', box.x + 190, box.y + 345);
    await waitForCanvasChange(touched, closed);
    await finger('touchEnd');
    const marked = Number(await touched.$eval('#preset', (e) => e.value || -1));
    // The menu starts on the marked preset, or on the first without one.
    const from = Math.max(marked, 0);
    const down = from + 1 < presets.length;
    const wanted = down ? from + 1 : from - 1;
    const keys = [down ? 'ArrowDown' : 'ArrowUp', 'Enter'];
    await touched.focus('#panel');
    for (const key of keys) await touched.keyboard.press(key);
    await touched.waitForFunction((v) => window.quillet.state.values.every((x, i) => x === v[i]), { timeout: kWait }, presets[wanted].values);
    report(true, `a finger held on the panel opens its menu, and its preset "${presets[wanted].name}" sets the values`);
    await touched.close();
  });

  // ---- the address ------------------------------------------------------------
  await check('address', async () => {
    const linked = await openPage('?preset=Dub%20Throw&delay=0.25&level=0.625&tempo=100');
    const v = await values(linked);
    const text = await shownText(linked, 'level');
    const tempo = await linked.$eval('#tempo-field', (e) => e.value);
    const first = v[0] === 0.25 && v[2] === 0.625 && tempo === '100';
    report(first, `a link with ?preset=Dub Throw&delay=0.25&level=0.625&tempo=100 opens with Delay ${v[0]}, Level ${v[2]} ("${text}"), tempo ${tempo}`);
    const search = await linked.evaluate(() => location.search);
    report(search.includes('delay=0.25') && search.includes('level=0.625') && search.includes('tempo=100'),
      `the address shows the setting: ${search}`);
    await linked.goto(url, { waitUntil: 'load' });
    await linked.waitForFunction(() => document.body.classList.contains('ready'), { timeout: kWait });
    const kept = await values(linked);
    report(kept.every((x, i) => x === v[i]), `a reload without the address keeps the values (${kept[0]}, ${kept[2]})`);
    await linked.close();
  });
  await page.close();

  // ---- the panel's pictures ---------------------------------------------------
  for (const [ratio, golden] of [[1, 'panel_default.png'], [2, 'panel_default_200.png']]) {
    await check(`picture at ${ratio}`, async () => {
      // A fresh profile's page: default values (the storage is cleared first).
      const shot = await openPage('?delay=0&repeat=0&level=0&range=0.5&mute=0&dry=1&pan=0.5&x_feed=0&mono_out=0&knob_dust=1&ping_pong=0', ratio);
      await shot.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
      const canvas = await shot.$('#panel');
      const file = path.join(shotsDir, `panel-dpr${ratio}.png`);
      await canvas.screenshot({ path: file });
      const taken = readPng(fs.readFileSync(file));
      const want = readPng(fs.readFileSync(path.join(goldenDir, golden)));
      const d = differingPixels(taken, want);
      report(d.count === 0,
        `the panel at device pixel ratio ${ratio}: ${taken.width} x ${taken.height}, ` +
          (d.count === 0 ? `the golden ${golden} pixel for pixel` : d.count < 0 ? `not ${want.width} x ${want.height}` : `${d.count} pixels differ from ${golden}, the first at ${d.first.x},${d.first.y}`));
      await shot.close();
    });
  }

  // ---- the menu as the plug-ins show it ---------------------------------------
  await check('menu picture', async () => {
    // No MIDI learning on the page: a right-click on a knob is the knob's
    // (nothing), and the background's menu holds sizes and presets alone,
    // the plug-ins' picture of it pixel for pixel.
    const held = await openPage('?preset=Quarter%20Note%20Echo');
    const presets = await held.evaluate(() => window.quillet.state.presets);
    const v = await values(held);
    if (!presets[3].values.every((x, i) => x === v[i])) throw new Error(`the link did not set "${presets[3].name}": ${v}`);
    const box = await (await held.$('#panel')).boundingBox();
    await nextFrames(held);
    const closed = await canvasDigest(held);
    await held.mouse.click(box.x + 290, box.y + 90, { button: 'right' }); // Repeat
    await held.mouse.click(box.x + 20, box.y + 200, { button: 'right' });
    await waitForCanvasChange(held, closed);
    await nextFrames(held);
    const file = path.join(shotsDir, 'menu-presets.png');
    await (await held.$('#panel')).screenshot({ path: file });
    const d = differingPixels(readPng(fs.readFileSync(file)), readPng(fs.readFileSync(path.join(goldenDir, 'menu_presets.png'))));
    report(d.count === 0,
      "a right-click on Repeat, then on the panel: the plug-ins' menu (sizes, presets, no MIDI learning)" +
        (d.count === 0 ? ', menu_presets.png pixel for pixel' : d.count < 0 ? ', not its size' : `, ${d.count} pixels differ from menu_presets.png, the first at ${d.first.x},${d.first.y}`));
    await held.close();
  });

  // ---- installable, and offline ---------------------------------------------
  await check('installable', async () => {
    const app = await openPage('');
    const cdp = await app.createCDPSession();
    const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
    report(installabilityErrors.length === 0,
      installabilityErrors.length
        ? `Chromium would not install the page: ${JSON.stringify(installabilityErrors)}`
        : 'Chromium finds the page installable (manifest, icons, service worker)');
    const manifest = JSON.parse(fs.readFileSync(path.join(siteDir, 'manifest.webmanifest'), 'utf8'));
    const icons = manifest.icons.filter((i) => i.type === 'image/png');
    const wrong = icons.filter((i) => {
      const png = readPng(fs.readFileSync(path.join(siteDir, i.src)));
      return i.sizes !== `${png.width}x${png.height}`;
    });
    const sizes = icons.map((i) => i.sizes);
    report(sizes.includes('192x192') && sizes.includes('512x512') && wrong.length === 0,
      `the manifest's PNG icons: ${sizes.join(', ')}` +
        (wrong.length ? `; not of their stated size: ${wrong.map((i) => i.src).join(', ')}` : ', each of its stated size'));

    // Offline: the server stops and the network is cut; the page must come
    // from the service worker's cache whole, and still sound the same.
    await app.waitForFunction(() => navigator.serviceWorker.controller !== null, { timeout: kWait });
    server.closeAllConnections();
    await new Promise((resolve) => server.close(resolve));
    await cdp.send('Network.enable');
    await cdp.send('Network.emulateNetworkConditions', { offline: true, latency: 0, downloadThroughput: -1, uploadThroughput: -1 });
    await app.reload({ waitUntil: 'load' });
    await app.waitForFunction(() => document.body.classList.contains('ready'), { timeout: kWait });
    report(!(await app.evaluate(() => navigator.onLine)), 'the page reloads with the network offline and the server stopped');
    await checkRender(app, cases.find((k) => k.name === 'demo-48000'), 'offline, the page\'s render');
    await app.close();
  });

  report(problems.length === 0, problems.length ? `the pages reported: ${problems.join(' | ')}` : 'no console error, failed request or script error on any page');
} finally {
  await browser.close();
  server.close();
  fs.rmSync(profile, { recursive: true, force: true });
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
