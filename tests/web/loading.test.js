// Loading the page: a line naming the file for every way the site can be broken, a stalled
// transfer given up with a retry, the progress of the bytes, and a start before the music has
// arrived, which then joins the picture in time.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { cpSync, mkdtempSync, rmSync, writeFileSync, readFileSync } from 'node:fs';
import { createServer, request } from 'node:http';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { startSite, launch, waitForState, ROOT, SITE } from './browser.js';
import { installTap, measure, checkInSync } from './tap.js';

let work;
let browser;

before(async () => {
  work = mkdtempSync(join(tmpdir(), 'voxelshow-loading-'));
  browser = await launch();
});

after(async () => {
  await browser?.close();
  rmSync(work, { recursive: true, force: true });
});

// The site behind a server that passes every request on to `target`, but holds back the body
// of `held` (its headers sent) until `release()`, or, for `stalled`, sends its headers and a
// first part and then nothing until `release()`.
async function startGate(target, { held, stalled }) {
  const waiting = [];
  const upstream = [];  // the site's answers, ended on close even while held
  let open = false;
  const server = createServer((incoming, answer) => {
    const forward = request(new URL(incoming.url, target), { method: incoming.method }, (response) => {
      upstream.push(response);
      answer.writeHead(response.statusCode, response.headers);
      const name = decodeURIComponent(new URL(incoming.url, target).pathname);
      if (open || (name !== held && name !== stalled)) {
        response.pipe(answer);
        return;
      }
      if (name === stalled) {
        response.once('data', (chunk) => answer.write(chunk.subarray(0, 1000)));
        response.pause();
        waiting.push(() => answer.destroy());
        return;
      }
      answer.flushHeaders();
      response.pause();
      waiting.push(() => response.pipe(answer) && response.resume());
    });
    incoming.pipe(forward);
  });
  await new Promise((done) => server.listen(0, '127.0.0.1', done));
  return {
    url: `http://127.0.0.1:${server.address().port}/`,
    release: () => { open = true; waiting.splice(0).forEach((go) => go()); },
    close: () => {
      upstream.forEach((response) => response.destroy());
      server.closeAllConnections();
      server.close();
    },
  };
}

// A copy of the site with `change` made to it, served; `change` gets the copy's folder.
async function brokenSite(name, change) {
  const copy = join(work, name);
  cpSync(SITE, copy, { recursive: true, filter: (path) => !path.includes('/data') });
  cpSync(join(SITE, 'data'), join(copy, 'data'), { recursive: true, dereference: true });
  change(copy);
  return startSite(copy);
}

test('every way the site can be broken gives one line naming the file and what to do', async () => {
  const cases = [
    ['main.js', (dir) => rmSync(join(dir, 'main.js')), /^main\.js: not found on the server: build the site again/],
    ['player.js', (dir) => rmSync(join(dir, 'player.js')), /^player\.js: not found on the server: build the site again/],
    ['truncated player.js', (dir) => writeFileSync(join(dir, 'player.js'), 'export class Player {'),
      /^player\.js: .*: build the site again/],
    ['voxelshow.js', (dir) => rmSync(join(dir, 'voxelshow.js')), /^voxelshow\.js: cannot be loaded: build the site again/],
    ['broken voxelshow.js', (dir) => writeFileSync(join(dir, 'voxelshow.js'), 'var createVoxelshow = ((('),
      /^voxelshow\.js: broken \(it defines no createVoxelshow\): build the site again/],
    ['voxelshow.wasm', (dir) => rmSync(join(dir, 'voxelshow.wasm')), /^voxelshow\.wasm: not found on the server: build the site again/],
    ['broken voxelshow.wasm', (dir) => writeFileSync(join(dir, 'voxelshow.wasm'), readFileSync(join(SITE, 'voxelshow.wasm')).subarray(0, 5000)),
      /^voxelshow\.wasm: not a module this page can run \(.+\): build the site again/],
  ];
  for (const [name, change, line] of cases) {
    const site = await brokenSite(name.replace(/ /g, '-'), change);
    const page = await browser.newPage();
    try {
      await page.goto(site.url);
      const state = await waitForState(page, () => window.voxelshow?.phase === 'error', 30000);
      assert.match(state.message, line, name);
      assert.equal(await page.$eval('#message', (m) => !m.hidden && m.textContent), state.message, name);
      assert.equal(await page.$eval('#loading', (o) => o.hidden), true, `${name}: the loading overlay goes`);
    } finally {
      await page.close();
      site.server.close();
    }
  }
  const page = await browser.newPage();
  await page.goto(`file://${join(SITE, 'index.html')}`);
  const state = await waitForState(page, () => window.voxelshow?.phase === 'error', 30000);
  assert.match(state.message, /^index\.html: opened as a file.*serve its folder \(node web\/serve\.js build-web\/site/);
  await page.close();
});

test('a transfer that stalls ends in a line after the time limit, and the retry button loads the show', async () => {
  const site = await startSite();
  const gate = await startGate(site.url, { stalled: '/data/colormap2' });
  const page = await browser.newPage();
  try {
    await page.goto(gate.url);
    const state = await waitForState(page, () => window.voxelshow?.phase === 'error', 60000);
    assert.match(state.message, /^data\/colormap2: the transfer stalled \(nothing received for 15 s\): check the connection, then retry$/);
    assert.equal(await page.$eval('#retry', (b) => !b.hidden), true);
    gate.release();
    await page.click('#retry');
    await waitForState(page, () => window.voxelshow?.phase === 'ready', 60000);
  } finally {
    await page.close();
    gate.close();
    site.server.close();
  }
});

test('the overlay counts the bytes at once, the show starts before the music arrives, which then plays in time', async (t) => {
  const site = await startSite();
  const gate = await startGate(site.url, { held: '/data/ostrel&vandt_-_cube.mp3' });
  const page = await browser.newPage();
  try {
    // A slow connection, so that the count is seen to grow while the overlay shows it: what the
    // overlay says is sampled from the page's first moment.
    const cdp = await page.createCDPSession();
    await cdp.send('Network.enable');
    await cdp.send('Network.emulateNetworkConditions', { offline: false, latency: 20, downloadThroughput: 1e6, uploadThroughput: 1e6 });
    await page.evaluateOnNewDocument(() => {
      window.overlaySeen = [];
      const sample = () => {
        const overlay = document.getElementById('loading');
        if (overlay && !overlay.hidden && (window.voxelshow?.phase ?? 'loading') === 'loading') {
          window.overlaySeen.push({ text: document.getElementById('loading-text').textContent,
            value: document.getElementById('loading-bar').value, total: window.voxelshow?.total ?? 0 });
        }
        if (window.voxelshow?.phase !== 'ready') setTimeout(sample, 10);
      };
      sample();
    });
    await page.goto(gate.url, { waitUntil: 'domcontentloaded' });
    const ready = await waitForState(page, () => window.voxelshow.phase === 'ready', 120000);
    assert.equal(ready.music, undefined, 'the start is offered before the music is there');
    const seen = await page.evaluate(() => window.overlaySeen);
    assert.equal(seen[0].text, 'loading…', 'the overlay is there before the page\'s code runs');
    const counts = [...new Set(seen.map((sample) => sample.value))];
    assert.ok(counts.length >= 5, `the bar moved as the bytes came (${counts.length} counts seen)`);
    assert.deepEqual(counts, [...counts].sort((a, b) => a - b), 'the count only grows');
    assert.ok(seen.some((sample) => /^loading… \d+\.\d of \d+\.\d MB$/.test(sample.text)));
    assert.ok(Math.max(...seen.map((sample) => sample.total)) >= 8e6, 'the music counts from the start');
    assert.ok(ready.loaded < ready.total);
    await cdp.send('Network.emulateNetworkConditions', { offline: false, latency: 0, downloadThroughput: -1, uploadThroughput: -1 });
    await installTap(page);
    await page.click('#start');
    await waitForState(page, () => window.voxelshow.shownMs > 1000);
    gate.release();
    const joined = await waitForState(page, () => window.voxelshow.music === 'ready', 60000);
    await waitForState(page, (from) => window.voxelshow.shownMs > from + 500, 60000, joined.shownMs);
    checkInSync(t, await measure(page, 1), 'after the music joined');
  } finally {
    await page.close();
    gate.close();
    site.server.close();
  }
});

test('the studio asks the browser early for exactly the data files the show starts with', async () => {
  const { DATA_FILES } = await import(join(ROOT, 'web', 'loading.js'));
  const html = readFileSync(join(ROOT, 'web', 'studio.html'), 'utf8');
  const preloaded = [...html.matchAll(/<link rel="preload" href="data\/([^"]+)" as="fetch" crossorigin="anonymous">/g)]
    .map((match) => decodeURIComponent(match[1]));
  assert.deepEqual(preloaded, DATA_FILES);
});
