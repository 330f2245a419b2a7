// The page draws the native program's frames: the whole show's hashes and a still pass.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { startSite, launch, waitForState, NATIVE, DATA } from './browser.js';

let site;
let browser;
let work;

before(async () => {
  work = mkdtempSync(join(tmpdir(), 'voxelshow-web-'));
  site = await startSite();
  browser = await launch();
});

after(async () => {
  await browser?.close();
  site?.server.close();
  rmSync(work, { recursive: true, force: true });
});

function native(...args) {
  execFileSync(NATIVE, ['--data', DATA, ...args], { stdio: ['ignore', 'ignore', 'inherit'] });
}

test('?hashes=7 gives the native --hashes --fps 7 text byte for byte', async () => {
  const expected = join(work, 'native7.txt');
  native('--hashes', expected, '--fps', '7');
  const page = await browser.newPage();
  await page.goto(`${site.url}?hashes=7`);
  const state = await waitForState(page, () => ['done', 'error'].includes(window.voxelshow.phase), 300000);
  assert.equal(state.message, '');
  assert.equal(state.report, readFileSync(expected, 'utf8'));
  assert.equal(state.report.split('\n').length - 1, 1373);
  const download = await page.$eval('#report-download', (a) => a.download);
  assert.equal(download, 'voxelshow-hashes-7.txt');
  await page.close();
});

test('the canvas at ?pass=N holds --render-frame N\'s pixels', async () => {
  const pass = 2520;  // the tunnel at 42 s, with the title over it
  const raw = join(work, 'frame.bgra');
  native('--render-frame', String(pass), '--out', raw);
  const bgra = readFileSync(raw);
  const page = await browser.newPage();
  await page.goto(`${site.url}?pass=${pass}`);
  const state = await waitForState(page, () => ['still', 'error'].includes(window.voxelshow.phase));
  assert.equal(state.message, '');
  const rgba = Buffer.from(await page.$eval('#screen', (canvas) => {
    const data = canvas.getContext('2d').getImageData(0, 0, 640, 480).data;
    return Array.from(data);
  }));
  let differing = 0;
  for (let p = 0; p < 640 * 480; ++p) {
    const b = bgra[p * 4], g = bgra[p * 4 + 1], r = bgra[p * 4 + 2];
    if (rgba[p * 4] !== r || rgba[p * 4 + 1] !== g || rgba[p * 4 + 2] !== b || rgba[p * 4 + 3] !== 255) ++differing;
  }
  assert.equal(differing, 0, `${differing} pixels differ from the native frame`);
  await page.close();
});
