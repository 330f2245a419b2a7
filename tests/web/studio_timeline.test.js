// The studio's timeline and inspector driven with the mouse and the keyboard in Chromium: drags
// with and without snapping, the inspector's values (refused ones too), adding, deleting,
// copying, pasting, duplicating and reordering rows, time inserted at the playhead, scrubbing,
// and 65,535 rows; the preview after a drag checked against the native program's frame.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { openSite, closeSite, native } from './browser.js';
import { passMs, passTimeText } from '../../web/studio/numbers.js';

let site;
let browser;
let work;

before(async () => {
  ({ site, browser, work } = await openSite('voxelshow-timeline-'));
});

after(() => closeSite({ site, browser, work }));

// The studio in a context of its own (storage empty: the built-in script), its timeline ready.
async function openStudio() {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  await page.setViewport({ width: 1400, height: 900 });
  await page.goto(`${site.url}studio.html`);
  await page.waitForFunction(() => window.studio?.ready && window.studio.timeline, { timeout: 120000, polling: 50 });
  return { page, errors, close: () => context.close() };
}

const text = (page) => page.evaluate(() => window.studio.text());
const lineOf = (page, n) => page.evaluate((k) => window.studio.text().split('\n')[k - 1], n);
const words = (line) => line.trim().split(/\s+/).join(' ');

// Waits until the timeline has drawn what it was told (drawing waits for the browser's frame).
async function drawn(page) {
  await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
}

// Puts the playhead at `pass` and zooms about it with the `+` key, `times` times.
async function zoomAt(page, pass, times) {
  await page.evaluate((p) => window.studio.seek(p), pass);
  await page.focus('#timeline');
  for (let i = 0; i < times; ++i) await page.keyboard.press('+');
  await drawn(page);
}

// Where on the page the row of text line `line` is: its bar's start, middle and end and its
// lane's height, the lane scrolled into view by the wheel first.
async function bar(page, line) {
  for (let attempt = 0; attempt < 200; ++attempt) {
    const place = await page.evaluate((n) => {
      const { state } = window.studio.timeline;
      const row = state.rows.find((r) => r.line === n);
      const k = state.lines.findIndex((l) => l.lane?.target === row.target);
      const box = document.getElementById('timeline').getBoundingClientRect();
      const { view } = state;
      const x = (s) => box.left + 230 + (s - view.left) * view.pxPerSecond;
      const y = box.top + 66 + k * 20 - view.scrollY;
      return { start: x(row.start), end: x(row.end), y: y + 12, top: box.top + 66, bottom: box.bottom, left: box.left };
    }, line);
    if (place.y > place.top + 10 && place.y < place.bottom - 10) return place;
    await page.mouse.move(place.left + 400, place.top + 100);
    await page.mouse.wheel({ deltaY: place.y < place.top + 10 ? -100 : 100 });
    await drawn(page);
  }
  throw new Error(`line ${line} does not come into view`);
}

async function drag(page, from, to, { shift = false, y } = {}) {
  await page.mouse.move(from, y);
  if (shift) await page.keyboard.down('Shift');
  await page.mouse.down();
  for (let k = 1; k <= 8; ++k) await page.mouse.move(from + ((to - from) * k) / 8, y);
  await page.mouse.up();
  if (shift) await page.keyboard.up('Shift');
  await drawn(page);
}


// How many pixels of the preview differ from the native program's --render-frame of `script`.
async function differingFromNative(page, script, pass) {
  const file = join(work, `script-${pass}.txt`);
  const raw = join(work, `frame-${pass}.bgra`);
  writeFileSync(file, script);
  native('--render-frame', String(pass), '--script', file, '--out', raw);
  const bgra = readFileSync(raw);
  const rgba = Buffer.from(await page.$eval('#preview', (canvas) => Array.from(canvas.getContext('2d').getImageData(0, 0, 640, 480).data)));
  let differing = 0;
  for (let p = 0; p < 640 * 480; ++p) {
    if (rgba[p * 4] !== bgra[p * 4 + 2] || rgba[p * 4 + 1] !== bgra[p * 4 + 1] || rgba[p * 4 + 2] !== bgra[p * 4]) ++differing;
  }
  return differing;
}

test('a bar dragged by 30 passes moves in the text, and the preview is the native frame of the export', async () => {
  const { page, errors, close } = await openStudio();
  const opened = await text(page);
  assert.equal(words(await lineOf(page, 60)), '27 28 unsigned char layer 2.amount 255 0');
  await zoomAt(page, 1620, 10);
  const place = await bar(page, 60);
  const pxPerPass = await page.evaluate(() => window.studio.timeline.state.view.pxPerSecond / 60);
  const middle = (place.start + place.end) / 2;
  await drag(page, middle, middle + 30 * pxPerPass, { y: place.y });
  assert.equal(words(await lineOf(page, 60)), '27.5 28.5 unsigned char layer 2.amount 255 0');
  assert.equal((await text(page)).split('\n').filter((l, i) => l !== opened.split('\n')[i]).length, 1, 'one line changed');
  // The moved flash is white at 27.5 s; the preview draws the export's frame there exactly.
  await page.evaluate(() => window.studio.seek(1650));
  assert.equal(await differingFromNative(page, await text(page), 1650), 0);
  assert.notEqual(await page.evaluate(() => window.studio.hash()), await page.evaluate(async () => {
    window.studio.undo();
    return window.studio.hash();
  }), 'the frame at 27.5 s differs without the move');
  assert.equal(await text(page), opened);
  assert.deepEqual(errors, []);
  await close();
});

test('a dragged end snaps to another row\'s edge, and with Shift lands on the millisecond', async () => {
  const { page, errors, close } = await openStudio();
  // Line 82: a ramp of wave.amplitude over 39 to 39.5 s; rows on other lanes end at 40 s.
  await zoomAt(page, 2370, 9);
  let place = await bar(page, 82);
  const pxPerSecond = await page.evaluate(() => window.studio.timeline.state.view.pxPerSecond);
  const at40 = place.end + 0.5 * pxPerSecond;
  await drag(page, place.end - 1, at40 + 3, { y: place.y });
  assert.equal(words(await lineOf(page, 82)), '39 40 short wave.amplitude 0 64');
  place = await bar(page, 82);
  await drag(page, place.end - 1, place.end - 1 + 0.25 * pxPerSecond + 3, { shift: true, y: place.y });
  const [, end] = words(await lineOf(page, 82)).split(' ');
  const endMs = Math.round(Number(end) * 1000);
  assert.ok(Math.abs(endMs - (40250 + (3 * 1000) / pxPerSecond)) <= 2000 / pxPerSecond, `end ${end}`);
  assert.notEqual(endMs % 1000, 250, 'not snapped to the quarter');
  // Not past the start: the start dragged beyond the end stops on it.
  place = await bar(page, 82);
  await drag(page, place.start + 1, place.end + 50, { y: place.y });
  assert.equal(words(await lineOf(page, 82)).split(' ')[0], end);
  assert.deepEqual(errors, []);
  await close();
});

test('the inspector edits the selected rows\' values and shows the parser\'s reason for refused ones', async () => {
  const { page, errors, close } = await openStudio();
  await zoomAt(page, 1620, 6);
  const place = await bar(page, 60);
  await page.mouse.click((place.start + place.end) / 2, place.y);
  const field = (name) => page.$eval(`#inspector [name=${name}]`, (input) => input.value);
  assert.deepEqual(await Promise.all(['start', 'end', 'type', 'target', 'from', 'to'].map(field)),
    ['27', '28', 'unsigned char', 'layer 2.amount', '255', '0']);
  const type = async (name, value) => {
    await page.click(`#inspector [name=${name}]`, { clickCount: 3 });
    await page.keyboard.type(value);
    await page.keyboard.press('Enter');
    await drawn(page);
  };
  await type('to', '128');
  assert.equal(words(await lineOf(page, 60)), '27 28 unsigned char layer 2.amount 255 128');
  const edited = await text(page);
  const refusals = [
    ['from', '256', '60: value 256 is outside the range of unsigned char (0 to 255)'],
    ['start', '29', '60: start 29 is after end 28'],
    ['target', 'layer 12.amount', '60: '],
    ['end', '1e', '60: '],
  ];
  for (const [name, value, reason] of refusals) {
    await type(name, value);
    assert.equal(await text(page), edited, `${name} ${value} refused`);
    const shown = await page.$eval('#inspector .inspector-error', (p) => p.textContent);
    assert.ok(shown.startsWith(reason), `${name} ${value}: ${shown}`);
    assert.equal(await field(name), name === 'start' ? '27' : name === 'from' ? '255' : name === 'end' ? '28' : 'layer 2.amount');
  }
  await page.select('#inspector [name=type]', 'float');
  assert.equal(await text(page), edited);
  assert.match(await page.$eval('#inspector .inspector-error', (p) => p.textContent), /^60: float does not fit layer 2.amount/);
  // A clock row: the keys give way to "clock", and back to the value the field has at its start.
  await page.click('#inspector [name=clock]');
  assert.equal(words(await lineOf(page, 60)), '27 28 unsigned char layer 2.amount clock');
  assert.equal(await page.$eval('#inspector [name=from]', (input) => input.disabled), true);
  await page.click('#inspector [name=clock]');
  const value = await page.evaluate(() => window.studio.core.fieldValue('layer', 2, 'amount', 1620));
  assert.equal(words(await lineOf(page, 60)), `27 28 unsigned char layer 2.amount ${value} ${value}`);
  assert.deepEqual(errors, []);
  await close();
});

test('adding, deleting, copying, pasting, duplicating and reordering rows with the mouse and keys', async () => {
  const { page, errors, close } = await openStudio();
  const opened = await text(page);
  const lines = () => text(page).then((t) => t.split('\n').filter((l) => l.trim() && !l.startsWith('#')).map(words));
  const count = (await lines()).length;
  // Double-click on empty lane space: a setting of the value the field has at that pass.
  await zoomAt(page, 6000, 4);
  let place = await bar(page, 60);
  const pxPerSecond = await page.evaluate(() => window.studio.timeline.state.view.pxPerSecond);
  const x100 = place.start + 73 * pxPerSecond;
  await page.mouse.click(x100, place.y, { clickCount: 2 });
  const pass = await page.evaluate(() => window.studio.pass());
  assert.ok(Math.abs(pass - 6000) <= 60 / pxPerSecond + 1, `double-click at pass ${pass}`);
  const value = await page.evaluate((p) => window.studio.core.fieldValue('layer', 2, 'amount', p), pass);
  assert.equal((await lines()).at(-1),
    `${passTimeText(pass)} ${passTimeText(pass + 60)} unsigned char layer 2.amount ${value} ${value}`);
  // Delete removes it (the new row is selected): the text is the opened one again.
  await page.keyboard.press('Delete');
  assert.equal(await text(page), opened);

  // Copy the flash at 27 s (the view follows the playhead there), paste it at the playhead
  // (100 s), duplicate the copy.
  await page.evaluate(() => window.studio.seek(1620));
  place = await bar(page, 60);
  await page.mouse.click((place.start + place.end) / 2, place.y);
  await page.keyboard.down('Control');
  await page.keyboard.press('c');
  await page.keyboard.up('Control');
  await page.evaluate(() => window.studio.seek(6000));
  await page.keyboard.down('Control');
  await page.keyboard.press('v');
  await page.keyboard.press('d');
  await page.keyboard.up('Control');
  assert.deepEqual((await lines()).slice(count), ['100 101 unsigned char layer 2.amount 255 0',
    '101 102 unsigned char layer 2.amount 255 0']);
  // Pasted onto another lane of the same type (its name clicked), and refused on a float lane.
  const lane = async (target) => {
    const y = (await bar(page, (await page.evaluate((t) => window.studio.timeline.state.rows.find((r) => r.target === t).line, target)))).y;
    await page.mouse.click(60, y);
  };
  await lane('layer 4.amount');
  await page.keyboard.down('Control');
  await page.keyboard.press('v');
  await page.keyboard.up('Control');
  assert.equal((await lines()).at(-1), '100 101 unsigned char layer 4.amount 255 0');
  const before = await text(page);
  await lane('wave.frequency');
  await page.keyboard.down('Control');
  await page.keyboard.press('v');
  await page.keyboard.up('Control');
  assert.equal(await text(page), before);
  assert.equal(await page.evaluate(() => window.studio.state.message),
    'unsigned char rows cannot go onto wave.frequency, which is float');
  // Ctrl+X cuts the selection (the pasted row): gone from the text.
  await page.keyboard.down('Control');
  await page.keyboard.press('x');
  await page.keyboard.up('Control');
  assert.equal((await lines()).at(-1), '101 102 unsigned char layer 2.amount 255 0');

  // Reorder: line 49 (layer 4.amount, 17 to 18 s) lowered before line 48, its field's previous row.
  await page.evaluate(() => window.studio.seek(1050));
  place = await bar(page, 49);
  await page.mouse.click((place.start + place.end) / 2, place.y);
  await page.keyboard.press('[');
  assert.equal(words(await lineOf(page, 48)), '17 18 unsigned char layer 4.amount 128 128');
  assert.equal(words(await lineOf(page, 49)), '16 17 unsigned char layer 4.amount 0 128');
  await page.keyboard.press(']');
  assert.equal(words(await lineOf(page, 49)), '17 18 unsigned char layer 4.amount 128 128');
  assert.deepEqual(errors, []);
  await close();
});

test('time inserted and removed at the playhead moves every later edge, groups fold; undo gives the opened text back', async () => {
  const { page, errors, close } = await openStudio();
  const opened = await text(page);
  await page.evaluate(() => window.studio.seek(6000));
  await page.click('#timeline-tools [name=length]', { clickCount: 3 });
  await page.keyboard.type('2.5');
  const [insert] = await page.$$('xpath/.//button[text()="insert time"]');
  await insert.click();
  assert.equal(words(await lineOf(page, 4)), '0 198.5 float wave.phase clock');
  assert.equal(words(await lineOf(page, 122)), '90 112.5 unsigned char layer 3.amount 255 0');
  assert.equal(words(await lineOf(page, 123)), '112.5 113.5 unsigned char layer 3.visible 0 0');
  assert.equal(words(await lineOf(page, 60)), '27 28 unsigned char layer 2.amount 255 0');
  const [remove] = await page.$$('xpath/.//button[text()="remove time"]');
  await remove.click();
  assert.equal(await text(page), opened, 'removing what was inserted');
  // Removing a span drops the rows wholly inside it and brings in the edges in it.
  await page.click('#timeline-tools [name=length]', { clickCount: 3 });
  await page.keyboard.type('11');
  await remove.click();
  assert.equal(words(await lineOf(page, 122)), '90 100 unsigned char layer 3.amount 255 0');
  assert.equal(words(await lineOf(page, 123)), '111 112 float landscape.scaleY 999 999');
  // A bad length is refused where it was typed.
  await page.click('#timeline-tools [name=length]', { clickCount: 3 });
  await page.keyboard.type('-1');
  const now = await text(page);
  await remove.click();
  assert.equal(await text(page), now);
  assert.match(await page.$eval('#timeline-tools .tools-error', (s) => s.textContent), /length "-1" is not a positive number/);
  // A group's heading folds its lanes away and back.
  const lines = () => page.evaluate(() => window.studio.timeline.state.lines.map((l) => l.heading ?? l.lane.target));
  const all = await lines();
  const box = await page.$eval('#timeline', (c) => { const r = c.getBoundingClientRect(); return { left: r.left, top: r.top }; });
  await page.mouse.click(box.left + 40, box.top + 66 + 10);
  assert.deepEqual(await lines(), ['landscape', ...all.filter((l) => !l.startsWith('landscape'))]);
  await page.mouse.click(box.left + 40, box.top + 66 + 10);
  assert.deepEqual(await lines(), all);
  for (let i = 0; i < 3; ++i) {
    await page.keyboard.down('Control');
    await page.keyboard.press('z');
    await page.keyboard.up('Control');
  }
  assert.equal(await text(page), opened);
  assert.deepEqual(errors, []);
  await close();
});

test('scrubbing on the ruler shows the exact pass under the mouse at every move, with grains of music', async () => {
  const { page, errors, close } = await openStudio();
  await page.waitForFunction(() => window.studio.state.music !== null, { timeout: 60000 });
  await zoomAt(page, 3000, 5);
  const box = await page.$eval('#timeline', (c) => { const r = c.getBoundingClientRect(); return { left: r.left, top: r.top }; });
  await page.mouse.move(box.left + 500, box.top + 10);
  await page.mouse.down();
  const seen = [];
  for (let k = 0; k <= 10; ++k) {
    const x = box.left + 500 + k * 37;
    await page.mouse.move(x, box.top + 10 + (k % 3));
    const expected = await page.evaluate((px) => {
      const { view } = window.studio.timeline.state;
      const seconds = view.left + (px - 230) / view.pxPerSecond;
      return seconds;
    }, x - box.left);
    const shown = await page.evaluate(() => ({ pass: window.studio.pass(), hash: window.studio.hash() }));
    assert.ok(Math.abs(passMs(shown.pass) / 1000 - expected) <= 1 / 60, `pass ${shown.pass} at ${expected} s`);
    seen.push(shown);
  }
  await page.mouse.up();
  assert.ok(new Set(seen.map((s) => s.pass)).size >= 10, 'a new pass at each move');
  // Each hash is the one that pass has when sought directly.
  for (const { pass, hash } of seen.slice(0, 3)) {
    assert.equal(await page.evaluate((p) => { window.studio.seek(p); return window.studio.hash(); }, pass), hash);
  }
  assert.ok(await page.evaluate(() => window.studio.timeline.grains.played) >= 10, 'grains played');
  assert.deepEqual(errors, []);
  await close();
});

test('65,535 rows load into the timeline and scroll and zoom with the wheel', async () => {
  const { page, errors, close } = await openStudio();
  const rows = [];
  const fields = ['layer 3.amount', 'layer 4.amount', 'layer 5.amount', 'layer 6.amount', 'layer 2.amount'];
  for (let i = 0; i < 65535; ++i) {
    rows.push(`${(i * 0.0029).toFixed(4)} ${(i * 0.0029 + 0.5).toFixed(4)} unsigned char ${fields[i % 5]} ${i % 200} ${(i * 7) % 256}`);
  }
  await page.evaluate((script) => window.studio.setText(script), `${rows.join('\n')}\n`);
  await page.waitForFunction(() => window.studio.timeline.state.rows.length === 65535, { timeout: 60000 });
  const state = () => page.evaluate(() => {
    const { view, drawn } = window.studio.timeline.state;
    return { left: view.left, pxPerSecond: view.pxPerSecond, drawn };
  });
  const box = await page.$eval('#timeline', (c) => { const r = c.getBoundingClientRect(); return { left: r.left, top: r.top }; });
  await page.mouse.move(box.left + 600, box.top + 100);
  const whole = await state();
  await page.keyboard.down('Control');
  for (let i = 0; i < 10; ++i) await page.mouse.wheel({ deltaY: -100 });
  await page.keyboard.up('Control');
  await drawn(page);
  const zoomed = await state();
  assert.ok(zoomed.pxPerSecond > whole.pxPerSecond * 5, `zoomed to ${zoomed.pxPerSecond} px/s`);
  for (let i = 0; i < 10; ++i) await page.mouse.wheel({ deltaX: 200 });
  await drawn(page);
  const scrolled = await state();
  assert.ok(scrolled.left > zoomed.left, 'scrolled later in time');
  assert.ok(scrolled.drawn > whole.drawn + 5, 'drawn again while scrolling');
  // The bars are there: the lanes' pixels are not all background.
  const coloured = await page.$eval('#timeline', (c) => {
    const data = c.getContext('2d').getImageData(300, 100, 400, 100).data;
    let count = 0;
    for (let i = 0; i < data.length; i += 4) if (data[i + 2] > 120) ++count;
    return count;
  });
  assert.ok(coloured > 1000, `${coloured} bar pixels`);
  assert.deepEqual(errors, []);
  await close();
});
