// The page draws the native program's frames: the whole show's hashes and a still pass.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { openSite, closeSite, native, waitForState } from './browser.js';

let site;
let browser;
let work;

before(async () => {
  ({ site, browser, work } = await openSite('voxelshow-web-'));
});

after(() => closeSite({ site, browser, work }));


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

// The pixels of the canvas at `query` that differ from --render-frame's with `args`.
async function differingFromNative(query, args) {
  const raw = join(work, 'frame.bgra');
  native(...args, '--out', raw, '-y');
  const bgra = readFileSync(raw);
  const page = await browser.newPage();
  await page.goto(`${site.url}${query}`);
  const state = await waitForState(page, () => ['still', 'error'].includes(window.voxelshow.phase));
  assert.equal(state.message, '', query);
  const rgba = Buffer.from(await page.$eval('#screen', (canvas) => {
    const data = canvas.getContext('2d').getImageData(0, 0, 640, 480).data;
    return Array.from(data);
  }));
  await page.close();
  let differing = 0;
  for (let p = 0; p < 640 * 480; ++p) {
    const b = bgra[p * 4], g = bgra[p * 4 + 1], r = bgra[p * 4 + 2];
    if (rgba[p * 4] !== r || rgba[p * 4 + 1] !== g || rgba[p * 4 + 2] !== b || rgba[p * 4 + 3] !== 255) ++differing;
  }
  return differing;
}

test('the canvas at ?pass=N (and &seed=S) holds --render-frame N\'s pixels, also where the wave jitters', async () => {
  // The tunnel at 42 s with the title over it; two passes under the wave, whose jitter the seed
  // drives: seed 0 as natively headless, and another seed given to both.
  for (const [query, args] of [
    ['?pass=2520', ['--render-frame', '2520']],
    ['?pass=2040', ['--render-frame', '2040']],
    ['?pass=3300', ['--render-frame', '3300']],
    ['?pass=3300&seed=77', ['--render-frame', '3300', '--seed', '77']],
  ]) {
    assert.equal(await differingFromNative(query, args), 0, `${query}: pixels differ from the native frame`);
  }
});

test('a ?pass, ?seed or ?simd the native program would refuse is one line naming it', async () => {
  const page = await browser.newPage();
  const lines = {};
  for (const query of ['?pass=11761', '?pass=1e99', '?pass=', '?pass=0x10', '?pass=4294967296', '?pass=-1',
    '?pass=1&seed=x', '?simd=foo']) {
    await page.goto(`${site.url}${query}`);
    const state = await waitForState(page, () => window.voxelshow?.phase === 'error');
    lines[query] = state.message;
  }
  await page.close();
  const last = /pass number from 0 to (\d+)/.exec(lines['?pass=1e99'])?.[1];
  assert.equal(last, '11760', lines['?pass=1e99']);
  assert.deepEqual(lines, {
    '?pass=11761': `?pass=11761: the show ends after pass ${last} at 60 fps; pass 11761 is never drawn`,
    '?pass=1e99': `?pass takes a pass number from 0 to ${last}, not '1e99'`,
    '?pass=': `?pass takes a pass number from 0 to ${last}, not ''`,
    '?pass=0x10': `?pass takes a pass number from 0 to ${last}, not '0x10'`,
    '?pass=4294967296': `?pass=4294967296: the show ends after pass ${last} at 60 fps; pass 4294967296 is never drawn`,
    '?pass=-1': `?pass takes a pass number from 0 to ${last}, not '-1'`,
    '?pass=1&seed=x': "?seed takes a whole number from 0 to 4294967295, not 'x'",
    '?simd=foo': "?simd=foo: applies only to ?benchmark, which it sets the renderer's vectors of",
  });
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
