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
  execFileSync(NATIVE, ['--data', DATA, ...args], { stdio: ['ignore', 'ignore', 'inherit'], timeout: 120000 });
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

// The RGBA pixels of PNG files as the browser decodes them.
async function decodePngs(page, files) {
  return page.evaluate(async (encoded) => Promise.all(encoded.map(async (base64) => {
    const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
    const bitmap = await createImageBitmap(new Blob([bytes], { type: 'image/png' }));
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const context = canvas.getContext('2d');
    context.drawImage(bitmap, 0, 0);
    return { width: bitmap.width, height: bitmap.height,
      data: Array.from(context.getImageData(0, 0, bitmap.width, bitmap.height).data) };
  })), files.map((file) => file.toString('base64')));
}

test('a screenshot of the page at ?pass=N, where the picture is 640x480, is --render-frame N\'s PNG', async () => {
  const pass = 7500;  // the tunnel at 125 s
  const png = join(work, 'frame.png');
  native('--render-frame', String(pass), '--out', png);
  const page = await browser.newPage();
  await page.setViewport({ width: 640, height: 480, deviceScaleFactor: 1 });
  await page.goto(`${site.url}?pass=${pass}`);
  await waitForState(page, () => ['still', 'error'].includes(window.voxelshow.phase));
  const shot = await page.screenshot({ type: 'png', clip: { x: 0, y: 0, width: 640, height: 480 } });
  const [seen, expected] = await decodePngs(page, [shot, readFileSync(png)]);
  assert.equal(`${seen.width}x${seen.height}`, '640x480');
  let differing = 0;
  for (let i = 0; i < expected.data.length; ++i) differing += seen.data[i] !== expected.data[i];
  assert.equal(differing, 0, `${differing} bytes of the screenshot differ from the native PNG`);
  await page.close();
});
