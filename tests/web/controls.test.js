// The played page as a visitor drives it: the keys and the key list, links to a moment and the
// memory of one, the seek bar, the bar on a phone (taps, double taps, its size), drops at every
// phase, scripts kept in memory, and the end.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { execFileSync } from 'node:child_process';
import { startSite, launch, waitForState, NATIVE } from './browser.js';

let site;
let browser;
let work;
let goodScript;

before(async () => {
  work = mkdtempSync(join(tmpdir(), 'voxelshow-controls-'));
  goodScript = join(work, 'good.txt');
  execFileSync(NATIVE, ['--dump-script', goodScript], { stdio: 'ignore', timeout: 30000 });
  site = await startSite();
  browser = await launch();
});

after(async () => {
  await browser?.close();
  site?.server.close();
  rmSync(work, { recursive: true, force: true });
});

const state = (page) => page.evaluate(() => ({ ...window.voxelshow }));

async function openPage(url = site.url, setUp = async () => {}) {
  const page = await browser.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  await setUp(page);
  await page.goto(url);
  return { page, errors };
}

async function startShow(page) {
  await waitForState(page, () => window.voxelshow.phase === 'ready');
  await page.click('#start');
  return waitForState(page, () => window.voxelshow.phase === 'playing');
}

// Pauses the show (by key), so that the moments the keys land on are exact.
async function pause(page) {
  await page.keyboard.press('KeyK');
  return waitForState(page, () => window.voxelshow.paused);
}

test('the keys jump where they say, mute, list themselves, and keep to their own', async () => {
  const { page, errors } = await openPage();
  await startShow(page);
  await waitForState(page, () => window.voxelshow.shownMs > 200);
  const held = (await pause(page)).shownMs;
  assert.equal(await page.$eval('#pause-sign', (s) => !s.hidden), true, 'a pause by key shows its sign');
  const jumps = [
    ['KeyL', held + 10000], ['KeyJ', held], ['ArrowRight', held + 5000], ['ArrowLeft', held],
    ['PageDown', held + 30000], ['PageUp', held], ['Digit5', 98000], ['Digit0', 0], ['Digit9', 176400],
    ['Home', 0],
  ];
  for (const [key, expected] of jumps) {
    await page.keyboard.press(key);
    assert.equal((await state(page)).shownMs, expected, key);
  }
  assert.ok((await state(page)).paused, 'jumps keep the show paused');
  await page.keyboard.press('KeyM');
  assert.equal((await state(page)).muted, true);
  assert.equal(await page.$eval('#mute', (b) => b.getAttribute('aria-pressed')), 'true');
  await page.keyboard.press('KeyM');
  assert.equal((await state(page)).muted, false);
  await page.keyboard.press('?');
  assert.equal(await page.$eval('#keys', (k) => !k.hidden && k.textContent.includes('10 s back, forward')), true);
  await page.keyboard.press('Escape');
  assert.equal(await page.$eval('#keys', (k) => k.hidden), true);
  await page.keyboard.press('Space');
  await waitForState(page, () => !window.voxelshow.paused && window.voxelshow.shownMs > 300);
  assert.equal(await page.$eval('#pause-sign', (s) => s.hidden), true);
  await page.keyboard.press('End');
  const ended = await waitForState(page, () => window.voxelshow.phase === 'ended');
  assert.equal(await page.$eval('#time', (t) => t.textContent), '3:16.0 / 3:16.0');
  assert.equal(await page.$eval('#play', (b) => b.textContent), 'play again');
  assert.equal(ended.shownMs <= 196000, true);
  await page.keyboard.press('Space');
  const again = await waitForState(page, () => window.voxelshow.phase === 'playing');
  assert.ok(again.shownMs < 2000, `Space at the end plays again from the start (${again.shownMs} ms)`);
  assert.deepEqual(errors, []);
  await page.close();
});

test('every control is reachable by Tab and labelled, a press keeps the focus, the slider reads a time', async () => {
  const { page, errors } = await openPage();
  await startShow(page);
  const reached = [];
  for (let i = 0; i < 12; ++i) {
    await page.keyboard.press('Tab');
    reached.push(await page.evaluate(() => document.activeElement.id));
  }
  for (const id of ['seek', 'play', 'mute', 'volume', 'open', 'copy-link', 'keys-button', 'fullscreen']) {
    assert.ok(reached.includes(id), `${id} is reached by Tab (${reached.join(', ')})`);
  }
  assert.ok(!reached.includes('again') && !reached.includes('start') && !reached.includes('script-file'), 'no hidden control');
  const unlabelled = await page.$$eval('#bar button, #bar input:not([hidden])',
    (controls) => controls.filter((c) => !(c.getAttribute('aria-label') || c.textContent.trim())).map((c) => c.id));
  assert.deepEqual(unlabelled, []);
  // The key list, opened by its button, gives the focus back to it when Escape closes it: a focus
  // left on the list's hidden close button would take the next Space there.
  await page.focus('#keys-button');
  await page.keyboard.press('Enter');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'keys-close');
  await page.keyboard.press('Escape');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'keys-button');
  assert.equal(await page.$eval('#keys', (k) => k.hidden), true);
  await page.focus('#play');
  await page.keyboard.press('Enter');
  assert.equal((await waitForState(page, () => window.voxelshow.paused)).paused, true);
  assert.equal(await page.evaluate(() => document.activeElement.id), 'play', 'the focus stays on the button');
  assert.equal(await page.$eval('#play', (b) => b.getAttribute('aria-label')), 'play');
  await page.keyboard.press('ArrowRight');
  const shown = (await state(page)).shownMs;
  assert.match(await page.$eval('#seek', (s) => s.getAttribute('aria-valuetext')), new RegExp(`^${Math.floor(shown / 60000)}:\\d\\d\\.\\d of 3:16\\.0$`));
  assert.deepEqual(errors, []);
  await page.close();
});

test('the seek bar: its cut marks sit where the thumb is at their times, the frame follows a drag, the pointer shows its time', async () => {
  const { page, errors } = await openPage();
  const started = await startShow(page);
  await pause(page);
  // Each mark's centre, against the thumb's centre with the slider at the mark's time.
  for (const seconds of started.cuts) {
    const [markX, thumbX] = await page.evaluate((ms) => {
      const seek = document.getElementById('seek');
      const mark = [...document.querySelectorAll('#cuts span')].find((m) => m.title === `${Math.floor(ms / 60000)}:${String(((ms % 60000) / 1000).toFixed(1)).padStart(4, '0')}`);
      const box = mark.getBoundingClientRect();
      const seekBox = seek.getBoundingClientRect();
      const fraction = ms / 196000;
      return [box.left + box.width / 2, seekBox.left + 8 + fraction * (seekBox.width - 16)];
    }, seconds * 1000);
    assert.ok(Math.abs(markX - thumbX) < 1.5, `the ${seconds} s mark is at ${markX}, the thumb at ${thumbX}`);
  }
  const box = await page.$eval('#seek', (s) => { const b = s.getBoundingClientRect(); return { x: b.left, y: b.top, w: b.width, h: b.height }; });
  const xAt = (ms) => box.x + 8 + (ms / 196000) * (box.w - 16);
  await page.mouse.move(xAt(98000), box.y + box.h / 2);
  assert.equal(await page.$eval('#hover-time', (h) => !h.hidden && h.textContent), '1:38.0');
  // A drag: the frame shown follows the thumb before the button is let go.
  await page.mouse.move(xAt(0) + 1, box.y + box.h / 2);
  await page.mouse.down();
  await page.mouse.move(xAt(60000), box.y + box.h / 2, { steps: 5 });
  const during = await waitForState(page, () => Math.abs(window.voxelshow.shownMs - 60000) < 1500);
  assert.equal(during.shownMs, await page.$eval('#seek', (s) => Number(s.value)), 'the frame is the thumb\'s');
  await page.mouse.move(xAt(120000), box.y + box.h / 2, { steps: 5 });
  await waitForState(page, () => Math.abs(window.voxelshow.shownMs - 120000) < 1500);
  await page.mouse.up();
  assert.deepEqual(errors, []);
  await page.close();
});

test('links start at their moment, a copied link holds the moment shown, and a reload goes on from there', async () => {
  const context = await browser.createBrowserContext();
  await context.overridePermissions(site.url, ['clipboard-read', 'clipboard-write', 'clipboard-sanitized-write']);
  const page = await context.newPage();
  await page.goto(`${site.url}#t=1:23.5`);
  await waitForState(page, () => window.voxelshow.phase === 'ready');
  assert.equal(await page.$eval('#start', (b) => b.textContent), 'click to play from 1:23.5');
  await page.click('#start');
  assert.equal((await waitForState(page, () => window.voxelshow.phase === 'playing')).startedFrom, 83500);
  const held = (await pause(page)).shownMs;
  await page.keyboard.press('KeyL');
  await page.click('#copy-link');
  // The link is set before the clipboard has it: the notice comes once the copy is done or failed.
  const copied = await waitForState(page, () => window.voxelshow.notice !== undefined);
  assert.equal(copied.link, `${site.url}#t=${(held + 10000) / 1000}`);
  assert.equal(await page.evaluate(() => navigator.clipboard.readText()), copied.link);
  await page.evaluate(() => { location.hash = 't=120'; });
  await waitForState(page, () => window.voxelshow.shownMs === 120000);
  // A reload of the page without the moment in its address goes on from where the show was.
  await page.keyboard.press('KeyJ');
  await page.goto(site.url);  // the address without its moment (which changes only the fragment)
  await page.reload();
  await waitForState(page, () => window.voxelshow.phase === 'ready');
  assert.equal(await page.$eval('#start', (b) => b.textContent), 'click to play from 1:50.0');
  // Only the fragment changes: the page stays ready and says so when its hashchange comes.
  await page.goto(`${site.url}#t=999`);
  const refused = await waitForState(page, () => window.voxelshow.phase === 'ready' && window.voxelshow.message !== '');
  assert.equal(refused.message, "#t=999: past the show's end");
  await context.close();
});

// Two taps at (x, y), sent together so that a busy machine does not draw them apart.
async function doubleTap(page, x, y) {
  const cdp = await page.createCDPSession();
  const point = [{ x, y }];
  await Promise.all(['touchStart', 'touchEnd', 'touchStart', 'touchEnd'].map((type) =>
    cdp.send('Input.dispatchTouchEvent', { type, touchPoints: type === 'touchStart' ? point : [] })));
  await cdp.detach();
}

test('on a phone a tap on the faded bar only brings it back, taps show and hide it, double taps jump', async () => {
  // A phone's screen: touch, and a coarse pointer that does not hover.
  const { page, errors } = await openPage(site.url,
    (p) => p.setViewport({ width: 390, height: 844, deviceScaleFactor: 1, isMobile: true, hasTouch: true }));
  await startShow(page);
  await waitForState(page, () => window.voxelshow.shownMs > 300);
  await page.screenshot({ path: join(work, 'phone.png') });
  const small = await page.$$eval('#bar button, #seek, #volume', (controls) => controls
    .map((c) => ({ id: c.id, box: c.getBoundingClientRect() })).filter(({ box }) => box.height < 44 || (box.width < 44))
    .map(({ id, box }) => `${id} ${box.width}x${box.height}`));
  assert.deepEqual(small, [], 'every target is at least 44 px');
  await waitForState(page, () => window.voxelshow.barIdle === true, 20000);
  const before = (await state(page)).shownMs;
  const seekBox = await page.$eval('#seek', (s) => { const b = s.getBoundingClientRect(); return { x: b.right - 20, y: b.top + b.height / 2 }; });
  await page.touchscreen.tap(seekBox.x, seekBox.y);  // where the slider's end would be
  const shown = await waitForState(page, () => window.voxelshow.barIdle === false);
  assert.ok(shown.shownMs - before < 3000, `the tap did not jump (from ${before} to ${shown.shownMs} ms)`);
  assert.equal(shown.paused, false);

  const screen = await page.$eval('#screen', (s) => { const b = s.getBoundingClientRect(); return { x: b.left, y: b.top, w: b.width, h: b.height }; });
  await page.touchscreen.tap(screen.x + screen.w / 2, screen.y + screen.h / 2);
  await waitForState(page, () => window.voxelshow.barIdle === true, 5000);
  await page.touchscreen.tap(screen.x + screen.w / 2, screen.y + screen.h / 2);
  await waitForState(page, () => window.voxelshow.barIdle === false, 5000);

  await pause(page);
  const paused = (await state(page)).shownMs;
  await doubleTap(page, screen.x + screen.w * 0.9, screen.y + screen.h / 2);
  await waitForState(page, (from) => window.voxelshow.shownMs === from + 10000, 5000, paused);
  await doubleTap(page, screen.x + screen.w * 0.1, screen.y + screen.h / 2);
  await waitForState(page, (from) => window.voxelshow.shownMs === from, 5000, paused);
  assert.deepEqual(errors, []);
  await page.close();
});

// Drops a file (or none) on the page as a browser delivers a drop; true when the page took it
// (the browser would otherwise open the file in place of the show).
function drop(page, name, text) {
  return page.evaluate((fileName, content) => {
    const data = new DataTransfer();
    if (fileName !== null) data.items.add(new File([content], fileName));
    return !document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true, cancelable: true }));
  }, name, text);
}

test('drops are taken at every phase: before the click the script plays from the start, after it at once', async () => {
  const { readFileSync } = await import('node:fs');
  const script = readFileSync(goodScript, 'utf8');
  const page = await browser.newPage();
  await page.goto(site.url, { waitUntil: 'domcontentloaded' });
  await page.waitForFunction(() => window.droppedItems !== undefined, { polling: 10 });
  assert.equal(await drop(page, 'early.txt', script), true, 'a drop while loading');
  await waitForState(page, () => window.voxelshow.phase === 'ready');
  assert.equal((await state(page)).pendingScript, 'early.txt');
  assert.equal(await drop(page, 'ready.txt', script), true, 'a drop before the click');
  await page.click('#start');
  let shown = await waitForState(page, () => window.voxelshow.phase === 'playing');
  assert.equal(shown.script, 'ready.txt');
  assert.equal(await drop(page, 'bad.txt', 'not a script\n'), true);
  shown = await waitForState(page, () => window.voxelshow.message !== '');
  assert.match(shown.message, /^bad\.txt:1: /);
  assert.equal(await drop(page, null, ''), true);
  shown = await waitForState(page, () => window.voxelshow.message.startsWith('only'));
  assert.equal(shown.message, 'only a scene script file can be dropped on the show');
  await page.evaluate(() => window.takeDrop({ file: { name: 'maps' }, folder: true }));
  assert.equal((await state(page)).message, 'maps: a folder; drop a scene script file');
  await page.close();
});

test('only the playing script stays in memory, however many are opened, and a file too large is never read', async () => {
  const page = await browser.newPage();
  await page.goto(site.url);
  await startShow(page);
  const measure = () => page.evaluate(async () => {
    const module = window.voxelshow.module;
    return { wasm: module.HEAPU8.length, files: module.FS.readdir('/scripts').length - 2 };
  });
  const cdp = await page.createCDPSession();
  const heap = async () => {
    await cdp.send('HeapProfiler.collectGarbage');
    return (await cdp.send('Runtime.getHeapUsage')).usedSize;
  };
  await page.evaluate(() => window.voxelshow.player.openScript(new File(['x'], 'first.txt')));
  const heapBefore = await heap();
  const wasmBefore = (await measure()).wasm;
  const opened = await page.evaluate(async () => {
    const megabyte = 'not a script '.repeat(80000);
    let refused = 0;
    for (let i = 0; i < 200; ++i) {
      if (!(await window.voxelshow.player.openScript(new File([megabyte], `s${i}.txt`)))) ++refused;
    }
    return refused;
  });
  assert.equal(opened, 200);
  const after = await measure();
  assert.equal(after.files, 0, 'the refused scripts are gone from the module\'s files');
  assert.ok(after.wasm - wasmBefore <= 16 * 1024 * 1024, `the module's memory grew from ${wasmBefore} to ${after.wasm}`);
  const heapAfter = await heap();
  assert.ok(heapAfter - heapBefore < 20e6, `the page's heap grew from ${heapBefore} to ${heapAfter}`);
  const big = await page.evaluate(async () => {
    const ok = await window.voxelshow.player.openScript(new File([new Uint8Array(50e6)], 'huge.txt'));
    return { ok, message: window.voxelshow.message, wasm: window.voxelshow.module.HEAPU8.length };
  });
  assert.equal(big.ok, false);
  assert.equal(big.message, 'huge.txt: 50000000 bytes, larger than a script can be (8388608 bytes)');
  assert.equal(big.wasm, after.wasm, 'the module\'s memory did not grow');
  const good = await page.evaluate(async (text) => {
    await window.voxelshow.player.openScript(new File([text], 'good.txt'));
    return window.voxelshow.module.FS.readdir('/scripts').filter((name) => !name.startsWith('.'));
  }, (await import('node:fs')).readFileSync(goodScript, 'utf8'));
  assert.deepEqual(good, ['good.txt']);
  await page.close();
});
