// What the browser tests share: the built site served on a free loopback port as a static host
// serves it, and Debian's Chromium driven headless by puppeteer-core (nothing downloaded).
import { execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { fileURLToPath } from 'node:url';
import { dirname, join } from 'node:path';

export const ROOT = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
const root = ROOT;
const require = createRequire(join(root, 'web', 'package.json'));
const puppeteer = require('puppeteer-core');
const { serve } = await import(join(root, 'web', 'serve.js'));

export const SITE = join(root, 'build-web', 'site');
export const NATIVE = join(root, 'build', 'voxelshow');
export const DATA = join(root, 'build', 'data');

export async function startSite(site = SITE) {
  const server = await serve(site, '127.0.0.1', 0);
  return { server, url: `http://127.0.0.1:${server.address().port}/` };
}

export async function launch(extraArgs = []) {
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--headless=new', '--autoplay-policy=no-user-gesture-required',
      '--mute-audio', ...extraArgs],
  });
  // VOXELSHOW_CPU_SLOWDOWN=N runs every page's main thread N times slower (as a slow or very busy
  // machine does), which brings out the races between a page's work and its clocks.
  const rate = Number(process.env.VOXELSHOW_CPU_SLOWDOWN ?? 0);
  if (rate > 1) {
    browser.on('targetcreated', async (target) => {
      if (target.type() !== 'page') return;
      const session = await target.createCDPSession().catch(() => null);
      await session?.send('Emulation.setCPUThrottlingRate', { rate }).catch(() => {});
    });
  }
  return browser;
}

// Waits until `predicate` (run in the page with `args`) holds of its state, window.voxelshow.
export async function waitForState(page, predicate, timeout = 120000, ...args) {
  await page.waitForFunction(predicate, { timeout, polling: 50 }, ...args);
  return page.evaluate(() => ({ ...window.voxelshow }));
}

// Resolves once `count` frames of the browser have gone by in the page: as many turns of its
// drawing loops, however slowly a busy machine gives them (a fixed time may hold none).
export function browserFrames(page, count) {
  return page.evaluate((left) => new Promise((done) => {
    const tick = () => (--left === 0 ? done() : requestAnimationFrame(tick));
    requestAnimationFrame(tick);
  }), count);
}

// A test file's site, browser and folder for its files, made before its tests and closed after.
export async function openSite(prefix) {
  const work = mkdtempSync(join(tmpdir(), prefix));
  return { work, site: await startSite(), browser: await launch() };
}

export async function closeSite({ site, browser, work } = {}) {
  await browser?.close();
  site?.server.close();
  if (work) rmSync(work, { recursive: true, force: true });
}

// The native program on the show's data; gives what it writes to standard output.
export function native(...args) {
  return execFileSync(NATIVE, ['--data', DATA, ...args],
    { stdio: ['ignore', 'pipe', 'inherit'], timeout: 300000, maxBuffer: 1 << 26 });
}
