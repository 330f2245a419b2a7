// The played page: the overlay, the viewer's keys, scripts and failures shown in the page.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { cpSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { execFileSync } from 'node:child_process';
import { startSite, launch, waitForState, browserFrames, SITE, NATIVE } from './browser.js';

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

const pass = (ms) => Math.ceil((ms * 60) / 1000);  // the first pass of the 60 grid at or after ms
const passMs = (k) => Math.floor((k * 1000) / 60);

async function openPage(url = site.url) {
  const page = await browser.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  await page.goto(url);
  return { page, errors };
}

async function startShow(page) {
  await waitForState(page, () => window.voxelshow.phase === 'ready');
  await page.click('#start');
  return waitForState(page, () => window.voxelshow.phase === 'playing');
}

test('without a click nothing plays and nothing fails', async () => {
  const { page, errors } = await openPage();
  const state = await waitForState(page, () => window.voxelshow.phase === 'ready');
  await browserFrames(page, 10);  // the show stays at its overlay
  const later = await page.evaluate(() => ({ ...window.voxelshow }));
  assert.equal(later.phase, 'ready');
  assert.equal(later.presented, undefined);
  assert.equal(state.message, '');
  assert.equal(await page.$eval('#start', (b) => !b.hidden && b.textContent), 'click to start');
  assert.deepEqual(errors, []);
  await page.close();
});

test('keys pause, step, jump and go back to the start on the passes they should', async () => {
  const { page, errors } = await openPage();
  const started = await startShow(page);
  assert.deepEqual(started.cuts, [51, 57, 90, 159, 183]);
  await page.waitForFunction(() => window.voxelshow.shownMs > 500, { polling: 20 });

  await page.keyboard.press('Space');
  const paused = await waitForState(page, () => window.voxelshow.paused);
  assert.equal(paused.phase, 'paused');
  const held = paused.shownMs;
  await browserFrames(page, 10);
  assert.equal(await page.evaluate(() => window.voxelshow.shownMs), held, 'the picture stands while paused');

  await page.keyboard.press('Period');
  let state = await page.evaluate(() => ({ ...window.voxelshow }));
  const next = passMs(pass(held) === Math.floor((held * 60) / 1000) ? pass(held) + 1 : pass(held));
  assert.equal(state.shownMs, next, 'one pass forward');
  await page.keyboard.press('Comma');
  await page.keyboard.press('Comma');
  state = await page.evaluate(() => ({ ...window.voxelshow }));
  assert.equal(state.shownMs, passMs(pass(next) - 2), 'two passes back');

  const before = state.shownMs;
  await page.keyboard.press('ArrowRight');
  state = await page.evaluate(() => ({ ...window.voxelshow }));
  assert.equal(state.shownMs, before + 5000, 'five seconds forward, landing exactly');
  await page.keyboard.press('PageDown');
  state = await page.evaluate(() => ({ ...window.voxelshow }));
  assert.equal(state.shownMs, before + 35000);
  await page.keyboard.press('Home');
  state = await page.evaluate(() => ({ ...window.voxelshow }));
  assert.equal(state.shownMs, 0);
  assert.ok(state.paused, 'a jump keeps the show paused');
  assert.equal(await page.evaluate(() => window.scrollY), 0, 'the keys do not scroll the page');

  await page.keyboard.press('Space');
  const going = await waitForState(page, () => window.voxelshow.shownMs > 100);
  assert.equal(going.phase, 'playing');
  assert.deepEqual(errors, []);
  await page.close();
});

test('a script with an error shows its line and the old tracks play on; a good one plays', async () => {
  const { page } = await openPage();
  await startShow(page);
  const bad = join(work, 'bad.txt');
  writeFileSync(bad, 'this is not a script\n');
  const input = await page.$('#script-file');
  await input.uploadFile(bad);
  let state = await waitForState(page, () => window.voxelshow.message !== '');
  assert.match(state.message, /^bad\.txt:1: /);
  assert.equal(await page.$eval('#message', (m) => !m.hidden && m.textContent), state.message);
  const shown = state.shownMs;
  await waitForState(page, (from) => window.voxelshow.shownMs > from, 20000, shown);  // the show plays on

  const good = join(work, 'good.txt');
  execFileSync(NATIVE, ['--dump-script', good], { stdio: 'ignore', timeout: 30000 });
  await input.uploadFile(good);
  state = await waitForState(page, () => window.voxelshow.script === 'good.txt');
  assert.equal(state.message, '');
  assert.equal(await page.$eval('#message', (m) => m.hidden), true);
  await page.close();
});

test('a missing data file shows one line naming it', async () => {
  // A copy of the site without one of its maps, as a host missing a file serves it.
  const partial = join(work, 'site');
  cpSync(SITE, partial, { recursive: true, filter: (path) => !path.includes('/data/') && !path.endsWith('/data') });
  rmSync(join(partial, 'data'), { recursive: true, force: true });
  cpSync(join(SITE, 'data'), join(partial, 'data'), { recursive: true, dereference: true,
    filter: (path) => !path.endsWith('waterheight') });
  const other = await startSite(partial);
  try {
    const { page } = await openPage(other.url);
    const state = await waitForState(page, () => window.voxelshow.phase === 'error');
    assert.equal(state.message, 'data/waterheight: not found on the server: build the site again (./run web build) and serve build-web/site');
    assert.equal(await page.$eval('#message', (m) => !m.hidden && m.textContent), state.message);
    assert.equal(await page.$eval('#start', (b) => b.hidden), true);
    await page.close();
  } finally {
    other.server.close();
  }
});

test('without its music the show plays silently on the page\'s clock, which stands still while paused', async () => {
  const silent = join(work, 'silent');
  cpSync(SITE, silent, { recursive: true, dereference: true, filter: (path) => !path.endsWith('.mp3') });
  const other = await startSite(silent);
  try {
    const { page, errors } = await openPage(other.url);
    await waitForState(page, () => window.voxelshow.phase === 'ready');
    const ready = await waitForState(page, () => window.voxelshow.music === 'failed');
    assert.equal(ready.message, 'data/ostrel&vandt_-_cube.mp3: not found on the server: build the site again (./run web build) and serve build-web/site');
    await page.click('#start');
    await waitForState(page, () => window.voxelshow.shownMs > 300);
    await page.keyboard.press('Space');
    const held = (await waitForState(page, () => window.voxelshow.paused)).shownMs;
    await page.evaluate(() => new Promise((done) => setTimeout(done, 1500)));
    await page.keyboard.press('Space');
    const going = await waitForState(page, (from) => window.voxelshow.shownMs > from, 20000, held);
    assert.ok(going.shownMs - held < 1000, `the show goes on from ${held} ms, not past the pause (${going.shownMs} ms)`);
    assert.deepEqual(errors, []);
    await page.close();
  } finally {
    other.server.close();
  }
});

test('at the end the last frame stays with a button that plays the show again', async () => {
  const { page, errors } = await openPage();
  await startShow(page);
  await page.$eval('#seek', (seek) => {
    seek.value = '195700';
    seek.dispatchEvent(new Event('change'));
  });
  const ended = await waitForState(page, () => window.voxelshow.phase === 'ended');
  assert.ok(ended.shownMs >= 195700 && ended.shownMs <= 196000, `the last frame shown is at ${ended.shownMs} ms`);
  const presented = ended.presented;
  await browserFrames(page, 10);
  assert.equal(await page.evaluate(() => window.voxelshow.presented), presented, 'nothing is drawn after the end');
  assert.equal(await page.$eval('#again', (b) => !b.hidden && b.textContent), 'play again');
  await page.click('#again');
  const again = await waitForState(page, () => window.voxelshow.phase === 'playing' && window.voxelshow.shownMs > 0);
  assert.ok(again.shownMs < 5000, `played again from the start (${again.shownMs} ms)`);
  assert.equal(await page.$eval('#again', (b) => b.hidden), true);
  assert.deepEqual(errors, []);
  await page.close();
});

test('the bar hides while the show plays and comes back when the mouse moves; F toggles full screen', async () => {
  const { page, errors } = await openPage();
  await startShow(page);
  const barIdle = (idle) => document.getElementById('bar').classList.contains('idle') === idle;
  await page.mouse.move(10, 10);  // away from the bar, which stays while the pointer is on it
  await page.waitForFunction(barIdle, { timeout: 20000, polling: 50 }, true);
  await page.mouse.move(20, 20);
  await page.waitForFunction(barIdle, { timeout: 5000, polling: 50 }, false);
  await page.keyboard.press('KeyF');
  await page.waitForFunction(() => document.fullscreenElement?.id === 'stage', { timeout: 5000, polling: 50 });
  await page.keyboard.press('KeyF');
  await page.waitForFunction(() => document.fullscreenElement === null, { timeout: 5000, polling: 50 });
  assert.deepEqual(errors, []);
  await page.close();
});
