// The web edition in a second engine: the built site served on the loopback
// address, Debian's Firefox ESR driven headless (puppeteer-core over WebDriver
// BiDi; no browser is downloaded). Firefox has its own WebAssembly compiler
// and its own Web Audio, so the bits are held again there:
//  - the page loads and runs without a console error or a failed request;
//  - an offline render of the scenario whose values move at known frames
//    equals quillet-host's render of QTAP_x64.so sample for sample.
//
//   node firefox_check.mjs SITE-DIR HOST-RENDERS-DIR
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';
import { cases } from './render_cases.mjs';
import { renderMatchesHost, watchProblems } from './page_checks.mjs';
import { serve } from './serve.mjs';

const [siteDir, rendersDir] = process.argv.slice(2);
if (!rendersDir) {
  console.error('usage: node firefox_check.mjs SITE-DIR HOST-RENDERS-DIR');
  process.exit(2);
}
const kWait = 60000; // generous: a loaded 2-core machine
let failed = 0;
const report = (ok, line) => {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${line}`);
  if (!ok) ++failed;
};

const { server, url } = await serve(siteDir);
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'quillet-web-firefox-'));
const browser = await puppeteer.launch({
  browser: 'firefox',
  executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
  userDataDir: profile,
  headless: true,
  protocolTimeout: 180000,
  // A fresh profile that asks nothing of the network.
  extraPrefsFirefox: {
    'app.update.enabled': false,
    'browser.shell.checkDefaultBrowser': false,
    'datareporting.policy.dataSubmissionEnabled': false,
    'network.captive-portal-service.enabled': false,
    'network.connectivity-service.enabled': false,
  },
});
const problems = [];
try {
  const page = await browser.newPage();
  watchProblems(page, problems);
  await page.setViewport({ width: 1000, height: 900 });
  await page.goto(url, { waitUntil: 'load' });
  await page.waitForFunction(() => document.body.classList.contains('ready'), { timeout: kWait });
  const agent = await page.evaluate(() => navigator.userAgent);
  report(true, `the page is ready in ${agent.match(/Firefox\/[\d.]+/)?.[0] || agent}`);
  const c = cases.find((k) => k.name === 'scenario-48000');
  const { ok, line } = await renderMatchesHost(page, c, rendersDir, "Firefox's offline render");
  report(ok, line);
  await page.close();
  report(problems.length === 0, problems.length ? `the page reported: ${problems.join(' | ')}` : 'no console error, failed request or script error');
} catch (error) {
  report(false, error.stack || String(error));
} finally {
  await browser.close();
  server.close();
  fs.rmSync(profile, { recursive: true, force: true });
}
process.exit(failed ? 1 : 0);
