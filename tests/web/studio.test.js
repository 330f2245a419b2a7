// The studio page in Chromium, driven with real keys and clicks: its preview against the native
// program's frames, export, the text pane, storage and links, the transport keys and music.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { openSite, closeSite, native, browserFrames, NATIVE, DATA } from './browser.js';

let site;
let browser;
let work;

before(async () => {
  ({ site, browser, work } = await openSite('voxelshow-studio-'));
});

after(() => closeSite({ site, browser, work }));


function dumpedScript() {
  return execFileSync(NATIVE, ['--dump-script', '-'], { stdio: ['ignore', 'pipe', 'inherit'], timeout: 60000 }).toString();
}

// The studio in a browser context of its own (its own storage), ready to use.
async function openStudio(context, hash = '') {
  const page = await context.newPage();
  await page.setViewport({ width: 1400, height: 900 });
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  await page.goto(`${site.url}studio.html${hash}`);
  await waitReady(page);
  return { page, errors };
}

// A tab opened by the page starts at about:blank, and a wait begun there in the page missed
// the studio's document now and then (it timed out with the studio ready): asked from here
// instead, until the studio's document answers.
async function waitReadyAfterOpening(page) {
  const until = Date.now() + 120000;
  const answered = () => page.evaluate(() => Boolean(window.studio?.ready || window.studio?.state.phase === 'error'));
  while (!(await answered().catch(() => false))) {
    assert.ok(Date.now() < until, 'the studio opened by the edit button never became ready');
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  await waitReady(page);
}

async function waitReady(page) {
  await page.waitForFunction(() => window.studio?.ready || window.studio?.state.phase === 'error', { timeout: 120000, polling: 50 });
  assert.equal(await page.evaluate(() => window.studio.state.message), '');
}

const studioState = (page) => page.evaluate(() => ({ ...window.studio.state, music: window.studio.state.music?.name ?? null }));
const studioText = (page) => page.evaluate(() => window.studio.text());

// Waits until the autosaves that the calls made so far started have completed.
async function waitSaved(page) {
  await page.waitForFunction(() => window.studio.state.saved > 0 && !window.studio.storage.writing && !window.studio.storage.pending,
    { timeout: 30000, polling: 50 });
}

// Downloads of the page's context land in `folder`; resolves with the text of the next one named `name`.
async function downloadsTo(page, folder) {
  const session = await page.createCDPSession();
  await session.send('Browser.setDownloadBehavior',
    { behavior: 'allow', downloadPath: folder, browserContextId: page.browserContext().id });
  return async (name, act) => {
    rmSync(join(folder, name), { force: true });
    await act();
    const deadline = Date.now() + 60000;
    while (!existsSync(join(folder, name)) || readdirSync(folder).some((f) => f.endsWith('.crdownload'))) {
      if (Date.now() > deadline) throw new Error(`no download ${name} in ${readdirSync(folder)}`);
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
    return readFileSync(join(folder, name), 'utf8');
  };
}

// The canvas's pixels against a native .bgra frame: the number that differ.
async function differingPixels(page, bgraPath) {
  const bgra = readFileSync(bgraPath);
  const rgba = Buffer.from(await page.$eval('#preview', (canvas) => Array.from(canvas.getContext('2d').getImageData(0, 0, 640, 480).data)));
  let differing = 0;
  for (let p = 0; p < 640 * 480; ++p) {
    if (rgba[p * 4] !== bgra[p * 4 + 2] || rgba[p * 4 + 1] !== bgra[p * 4 + 1] || rgba[p * 4 + 2] !== bgra[p * 4] || rgba[p * 4 + 3] !== 255) ++differing;
  }
  return differing;
}

const COLOUR_ROW = /^(0 +1 +unsigned char +landscape\.colourSource +)3( +)3$/m;
const FADE_ROW = /^(0 +)6( +unsigned char +layer 3\.amount +255 +0)$/m;

test('the preview draws the native program\'s frames and hashes of the exported script, after edits, undos and a reload', async () => {
  const context = await browser.createBrowserContext();
  let { page, errors } = await openStudio(context);
  const builtin = await studioText(page);
  // Three edits through the text pane's surface, one refused, one undone.
  const red = builtin.replace(COLOUR_ROW, '$15$25');
  assert.notEqual(red, builtin);
  assert.equal((await page.evaluate((t) => window.studio.setText(t), red)).ok, true);
  const shorter = red.replace(FADE_ROW, '$13$2');
  assert.notEqual(shorter, red);
  await page.evaluate((t) => window.studio.setText(t), shorter);
  assert.equal((await page.evaluate((t) => window.studio.setText(t), shorter.replace('255    0', '256    0'))).ok, false);
  await page.evaluate((t) => window.studio.setText(t), shorter.replace('pi/2   pi/2', 'pi/4   pi/2'));
  assert.equal(await page.evaluate(() => window.studio.undo()), true);
  assert.equal(await studioText(page), shorter);
  await page.evaluate(() => window.studio.seek(150));
  await waitSaved(page);
  // The studio reopens where it was.
  await page.reload();
  await waitReady(page);
  assert.equal(await studioText(page), shorter);
  assert.equal(await page.evaluate(() => window.studio.pass()), 150);
  // Exported with Ctrl+S, the script draws the same frames natively.
  const download = await downloadsTo(page, work);
  await page.click('#preview');
  const exported = await download('script.txt', async () => {
    await page.keyboard.down('Control');
    await page.keyboard.press('s');
    await page.keyboard.up('Control');
  });
  assert.equal(exported, shorter);
  const script = join(work, 'edited.txt');
  writeFileSync(script, exported);
  const passes = [150, 300, 2520];
  native('--render-frame', passes.join(','), '--script', script, '--out', join(work, 'edited%d.bgra'), '-y');
  const hashes = new Map(native('--hashes', '-', '--script', script).toString().trim().split('\n').map((line) => line.split(' ')));
  for (const pass of passes) {
    await page.evaluate((p) => window.studio.seek(p), pass);
    assert.equal(await differingPixels(page, join(work, `edited${pass}.bgra`)), 0, `pass ${pass}`);
    const shown = await page.evaluate(() => [window.studio.hash(), document.getElementById('hash').textContent]);
    assert.deepEqual(shown, [hashes.get(String(pass)), hashes.get(String(pass))]);
  }
  // The edits show: the built-in script's frame at 150 is another one.
  const builtinHashes = native('--hashes', '-').toString().split('\n');
  assert.notEqual(builtinHashes[150].split(' ')[1], hashes.get('150'));
  assert.deepEqual(errors, []);
  await context.close();
});

test('export: the built-in script is --dump-script\'s text byte for byte, an opened file exports as it was read', async () => {
  const context = await browser.createBrowserContext();
  const { page, errors } = await openStudio(context);
  const download = await downloadsTo(page, work);
  const builtin = await download('script.txt', () => page.click('#export'));
  assert.equal(builtin, dumpedScript());
  // A script people wrote: a byte-order mark, Windows line ends, comments, no last newline.
  const handWritten = '\uFEFF# mine\r\n0 196 float wave.phase clock # runs\r\n\r\n0  1 char landscape.enabled 1 1';
  const file = join(work, 'mine.txt');
  writeFileSync(file, handWritten);
  const input = await page.$('#open-file');
  await input.uploadFile(file);
  await page.waitForFunction(() => window.studio.state.name === 'mine.txt', { timeout: 30000, polling: 50 });
  assert.equal(await download('mine.txt', () => page.click('#export')), handWritten);
  // A file with an error is named with its line and reason, and the script stays.
  const broken = join(work, 'broken.txt');
  writeFileSync(broken, '0 1 char landscape.enabled 1 1\n0 1 char landscape.nothing 1 1\n');
  await input.uploadFile(broken);
  await page.waitForFunction(() => window.studio.state.message !== '', { timeout: 30000, polling: 50 });
  assert.equal(await page.$eval('#message', (m) => m.textContent), 'broken.txt:2: unknown field \'landscape.nothing\'');
  assert.equal(await studioText(page), handWritten);
  assert.deepEqual(errors, []);
  await context.close();
});

test('the text pane: typing takes a text once it parses, an error shows LINE: reason at its line, undo and redo keys', async () => {
  const context = await browser.createBrowserContext();
  const { page, errors } = await openStudio(context);
  const opened = await studioText(page);
  await page.evaluate(() => window.studio.seek(150));  // the landscape shows through the fade-in
  const hash = await page.evaluate(() => window.studio.hash());
  await page.click('#script-text');
  await page.keyboard.down('Control');
  await page.keyboard.press('End');
  await page.keyboard.up('Control');
  await page.keyboard.type('0 1 unsigned char landscape.colourSource 300 5');
  await page.waitForFunction(() => !document.getElementById('text-error').hidden, { timeout: 30000, polling: 50 });
  const line = opened.split('\n').length;
  assert.equal(await page.$eval('#text-error', (e) => e.textContent), `${line}: value 300 is outside the range of unsigned char (0 to 255)`);
  // The box stands beside its line, which the pane has scrolled into view at the bottom.
  const placed = await page.evaluate(() => {
    const pane = document.getElementById('script-text');
    const box = document.getElementById('text-error');
    return { top: box.offsetTop, height: pane.clientHeight, scrolled: pane.scrollTop > 0 };
  });
  assert.ok(placed.scrolled && placed.top > placed.height / 2, JSON.stringify(placed));
  // The last good script stays, and so does its frame.
  assert.equal(await studioText(page), opened);
  assert.equal(await page.evaluate(() => window.studio.hash()), hash);
  for (let i = 0; i < 5; ++i) await page.keyboard.press('Backspace');
  await page.keyboard.type('5 5');
  await page.waitForFunction(() => document.getElementById('text-error').hidden, { timeout: 30000, polling: 50 });
  const typed = `${opened}0 1 unsigned char landscape.colourSource 5 5`;
  await page.waitForFunction((t) => window.studio.text() === t, { timeout: 30000, polling: 50 }, typed);
  assert.notEqual(await page.evaluate(() => window.studio.hash()), hash);  // another colour map
  // Ctrl+Z back to the opened text byte for byte, Ctrl+Y and Ctrl+Shift+Z forward again.
  const keys = async (...combo) => {
    for (const key of combo) await page.keyboard.down(key);
    for (const key of combo.reverse()) await page.keyboard.up(key);
  };
  await page.click('#preview');
  while (await page.evaluate(() => window.studio.model.canUndo)) await keys('Control', 'z');
  assert.equal(await studioText(page), opened);
  await page.waitForFunction((t) => document.getElementById('script-text').value === t, { timeout: 30000, polling: 50 }, opened);
  assert.equal(await page.evaluate(() => window.studio.hash()), hash);
  await keys('Control', 'y');
  assert.equal(await studioText(page), typed);
  await keys('Control', 'z');
  await keys('Control', 'Shift', 'Z');
  assert.equal(await studioText(page), typed);
  assert.deepEqual(errors, []);
  await context.close();
});

test('links and storage: a share link opens the script and time in a fresh browser and in the player, whose edit button opens the studio; built-in starts again', async () => {
  const context = await browser.createBrowserContext();
  const { page, errors } = await openStudio(context);
  const edited = (await studioText(page)).replace(COLOUR_ROW, '$14$24');
  await page.evaluate((t) => window.studio.setText(t), edited);
  await page.evaluate(() => window.studio.seek(3000));
  await page.click('#share');
  await page.waitForFunction(() => window.studio.state.shareLink !== '', { timeout: 30000, polling: 50 });
  const link = await page.evaluate(() => window.studio.state.shareLink);
  assert.match(link, /studio\.html#t=50&script=[\w-]+$/);
  assert.equal(await page.$eval('#share-link', (input) => input.value), link);
  const hash = await page.evaluate(() => window.studio.hash());
  const fresh = await browser.createBrowserContext();
  const opened = await openStudio(fresh, link.slice(link.indexOf('#')));
  assert.equal(await studioText(opened.page), edited);
  assert.equal(await opened.page.evaluate(() => window.studio.pass()), 3000);
  assert.equal(await opened.page.evaluate(() => window.studio.hash()), hash);
  // The # is cleared once read, so that a reload opens what was saved since.
  assert.equal(await opened.page.evaluate(() => location.hash), '');
  // Opened where work was saved, the link's script comes as an edit: undo brings the work back.
  const saved = `${edited}0 1 char landscape.enabled 1 1\n`;
  await opened.page.evaluate((t) => window.studio.setText(t), saved);
  await waitSaved(opened.page);
  await opened.page.goto('about:blank');
  await opened.page.goto(link);
  await waitReady(opened.page);
  assert.equal(await studioText(opened.page), edited);
  await opened.page.evaluate(() => window.studio.undo());
  assert.equal(await studioText(opened.page), saved);
  // The player plays the link's script; its "edit" button opens the studio there with it.
  const player = await fresh.newPage();
  await player.goto(`${site.url}index.html${link.slice(link.indexOf('#'))}`);
  await player.waitForFunction(() => window.voxelshow.phase === 'ready', { timeout: 120000, polling: 50 });
  assert.equal(await player.evaluate(() => window.voxelshow.script), 'shared.txt');
  await player.click('#start');
  await player.waitForFunction(() => window.voxelshow.phase === 'playing', { timeout: 60000, polling: 50 });
  await player.keyboard.press('Space');  // paused, so that the moment stays
  await player.waitForFunction(() => window.voxelshow.paused, { timeout: 60000, polling: 50 });
  const shownMs = await player.evaluate(() => window.voxelshow.shownMs);
  const studioOpens = browser.waitForTarget((target) => target.opener() === player.target(), { timeout: 60000 });
  await player.$eval('#bar', (bar) => { bar.hidden = false; });
  await player.click('#edit');
  const edit = await (await studioOpens).page();
  await waitReadyAfterOpening(edit);
  assert.equal(await studioText(edit), edited);
  assert.equal(await edit.evaluate(() => window.studio.pass()), Math.ceil((shownMs * 60) / 1000));
  await fresh.close();
  // "built-in script" starts again from the program's own, undoably.
  await page.click('#builtin');
  assert.equal(await studioText(page), dumpedScript());
  await page.evaluate(() => window.studio.undo());
  assert.equal(await studioText(page), edited);
  // A link whose script is damaged says so and opens the saved script.
  await waitSaved(page);
  await page.goto('about:blank');  // a new document, not a move within the same one
  await page.goto(`${link.replace(/#t=50&/, '#t=1&').slice(0, -12)}`);  // cut short
  await page.waitForFunction(() => window.studio?.ready, { timeout: 120000, polling: 50 });
  assert.match(await page.evaluate(() => window.studio.state.message), /^the link's script cannot be read: /);
  assert.equal(await studioText(page), edited);
  assert.equal(await page.evaluate(() => window.studio.pass()), 60);
  assert.deepEqual(errors, []);
  await context.close();
});

test('keys: Space plays from the playhead and stops, comma and period step a pass, Home and End', async () => {
  const context = await browser.createBrowserContext();
  const { page, errors } = await openStudio(context);
  await page.click('#preview');
  await page.keyboard.press('.');
  await page.keyboard.press('.');
  assert.equal(await page.evaluate(() => window.studio.pass()), 2);
  await page.keyboard.press(',');
  assert.equal(await page.evaluate(() => window.studio.pass()), 1);
  await page.keyboard.press('End');
  assert.equal(await page.evaluate(() => window.studio.pass()), 11760);
  await page.keyboard.press('Home');
  assert.equal(await page.evaluate(() => window.studio.pass()), 0);
  await page.evaluate(() => window.studio.seek(600));
  await page.keyboard.press('Space');
  await page.waitForFunction(() => window.studio.state.playing && window.studio.pass() > 640, { timeout: 60000, polling: 50 });
  await page.keyboard.press('Space');
  const stopped = await studioState(page);
  assert.equal(stopped.playing, false);
  // Stopped, the playhead stays where the music was, and the frame shown is that pass's.
  await browserFrames(page, 10);
  assert.equal(await page.evaluate(() => window.studio.pass()), stopped.pass);
  const shown = await page.evaluate(() => window.studio.hash());
  await page.evaluate((p) => window.studio.seek(p), stopped.pass);
  assert.equal(await page.evaluate(() => window.studio.hash()), shown);
  // Keys typed in the text pane are text, not the transport's.
  await page.click('#script-text');
  await page.keyboard.press('.');
  assert.equal(await page.evaluate(() => window.studio.pass()), stopped.pass);
  assert.deepEqual(errors, []);
  await context.close();
});

// The square-wave module of the native tests: one pattern, a note on row 0, silence from row 32.
function squareModule() {
  const bytes = [];
  const text = (s, n) => { for (let i = 0; i < n; ++i) bytes.push(i < s.length ? s.charCodeAt(i) : 0); };
  const word = (v) => bytes.push((v >> 8) & 0xff, v & 0xff);
  text('square', 20);
  text('', 22); word(32); bytes.push(0, 0x40); word(0); word(32);
  for (let s = 1; s < 31; ++s) { text('', 22); word(0); bytes.push(0, 0); word(0); word(1); }
  bytes.push(1, 127); text('', 128); text('M.K.', 4);
  for (let cell = 0; cell < 64 * 4; ++cell) {
    if (cell === 0) bytes.push(1, 428 & 0xff, 0x1f, 0x01);
    else if (cell === 32 * 4) bytes.push(0, 0, 0x0c, 0);
    else bytes.push(0, 0, 0, 0);
  }
  for (let i = 0; i < 64; ++i) bytes.push(i < 32 ? 100 : 256 - 100);
  return Uint8Array.from(bytes);
}

test('another music: an MP3 dropped on the page, a module chosen, a broken file named', async () => {
  const context = await browser.createBrowserContext();
  const { page, errors } = await openStudio(context);
  await page.waitForFunction(() => window.studio.state.music !== null, { timeout: 60000, polling: 50 });
  const mp3 = readFileSync(join(DATA, 'ostrel&vandt_-_cube.mp3')).toString('base64');
  const drop = (name, base64) => page.evaluate((n, b) => {
    const bytes = Uint8Array.from(atob(b), (c) => c.charCodeAt(0));
    const transfer = new DataTransfer();
    transfer.items.add(new File([bytes], n));
    document.getElementById('preview').dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }, name, base64);
  await drop('other.mp3', mp3);
  await page.waitForFunction(() => window.studio.state.music.name === 'other.mp3', { timeout: 60000, polling: 50 });
  const module = join(work, 'square.mod');
  writeFileSync(module, squareModule());
  await (await page.$('#music-file')).uploadFile(module);
  await page.waitForFunction(() => window.studio.state.music.name === 'square.mod', { timeout: 60000, polling: 50 });
  const music = await page.evaluate(() => {
    const { buffer } = window.studio.state.music;
    const samples = buffer.getChannelData(0);
    return { seconds: buffer.duration, peak: samples.reduce((m, v) => Math.max(m, Math.abs(v)), 0), playing: window.studio.sound.buffer === buffer };
  });
  assert.ok(music.seconds > 1 && music.seconds < 2, JSON.stringify(music));  // 64 rows at one tick per row
  assert.ok(music.peak > 0.1, JSON.stringify(music));
  assert.equal(music.playing, true);
  await drop('broken.ogg', Buffer.from('not music at all').toString('base64'));
  await page.waitForFunction(() => window.studio.state.message !== '', { timeout: 60000, polling: 50 });
  assert.match(await page.evaluate(() => window.studio.state.message), /^broken\.ogg: cannot decode: /);
  assert.equal((await studioState(page)).music, 'square.mod');
  assert.deepEqual(errors, []);
  await context.close();
});

test('a script of 65,535 rows loads and an edit of it reaches the preview; one more row is refused', async () => {
  const context = await browser.createBrowserContext();
  const { page, errors } = await openStudio(context);
  const builtin = await studioText(page);
  const extra = [];
  for (let i = 0; extra.length < 65535 - 187; ++i) extra.push(`${(i % 1960) / 10} ${(i % 1960) / 10 + 0.1} unsigned char layer 1.amount ${i % 256} 0`);
  const large = `${builtin}${extra.join('\n')}\n`;
  assert.equal((await page.evaluate((t) => window.studio.setText(t), large)).ok, true);
  assert.equal(await page.evaluate(() => window.studio.model.rows.length), 65535);
  await page.evaluate(() => window.studio.seek(150));
  const hash = await page.evaluate(() => window.studio.hash());
  const red = large.replace(COLOUR_ROW, '$15$25');
  assert.equal((await page.evaluate((t) => window.studio.setText(t), red)).ok, true);
  assert.notEqual(await page.evaluate(() => window.studio.hash()), hash);
  const over = await page.evaluate((t) => window.studio.setText(t), `${red}0 1 char landscape.enabled 1 1\n`);
  assert.deepEqual(over, { ok: false, error: `${65535 + 4}: more than 65535 tracks: the track list holds no more` });
  await waitSaved(page);
  assert.deepEqual(errors, []);
  await context.close();
});
