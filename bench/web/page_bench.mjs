// The page's figures: the --benchmark run in headless Chromium on one thread, with the renderer's
// vectors (WebAssembly's 128-bit ones through its SSE2 steps) and without them, beside the native
// program's runs at the same levels, all in one run so that the machine's load weighs on each
// alike; then the time from the click on the overlay to the show's first frame, and the size of
// the page's code gzipped. Run after `./run web build` and the native build:
// node bench/web/page_bench.mjs
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';
import { startSite, launch, waitForState, SITE, NATIVE, DATA } from '../../tests/web/browser.js';

const CODE = ['voxelshow.wasm', 'voxelshow.js', 'main.js', 'player.js', 'sound.js', 'loading.js', 'headless_worker.js', 'index.html',
  'style.css'];
const CLICKS = 5;

// The figures' "whole pass" row: passes, mean ms, median ms.
function wholePass(report) {
  const row = report.split('\n').find((line) => line.startsWith('whole pass'));
  const [passes, mean, median] = row.trim().split(/\s+/).slice(2).map(Number);
  return { passes, mean, median };
}

function nativeBenchmark(args) {
  return execFileSync(NATIVE, ['--benchmark', '--data', DATA, ...args], { encoding: 'utf8', timeout: 600000 });
}

const site = await startSite();
const browser = await launch();
try {
  const runs = [];
  for (const simd of ['sse2', 'portable']) {
    const page = await browser.newPage();
    await page.goto(`${site.url}?benchmark&simd=${simd}`);
    const done = await waitForState(page, () => ['done', 'error'].includes(window.voxelshow.phase), 600000);
    await page.close();
    if (done.phase === 'error') throw new Error(done.message);
    console.log(done.report);
    runs.push({ name: `headless Chromium, 1 thread, ${simd}`, ...wholePass(done.report) });
  }
  for (const args of [['--threads', '1', '--simd', 'sse2'], ['--threads', '1', '--simd', 'portable'], []]) {
    const report = nativeBenchmark(args);
    const figures = report.slice(report.indexOf('renderer:'));
    console.log(figures);
    runs.push({ name: `native, ${figures.split('\n')[0].replace('renderer: fast, ', '')}`, ...wholePass(figures) });
  }
  console.log('ms per pass        median    mean');
  for (const run of runs) {
    console.log(`${run.median.toFixed(4).padStart(8)} ${run.mean.toFixed(4).padStart(8)}  ${run.name}`);
  }

  const clicks = [];
  for (let i = 0; i < CLICKS; ++i) {
    const player = await browser.newPage();
    await player.goto(site.url);
    await waitForState(player, () => window.voxelshow.phase === 'ready');
    await player.click('#start');
    const state = await waitForState(player, () => window.voxelshow.phase === 'playing');
    clicks.push(state.firstFrameAt - state.clickedAt);
    await player.close();
  }
  clicks.sort((a, b) => a - b);
  console.log(`click to first frame, ms: median ${clicks[CLICKS >> 1].toFixed(1)}, worst ${clicks.at(-1).toFixed(1)}`);

  let raw = 0;
  let gzipped = 0;
  for (const name of CODE) {
    const bytes = readFileSync(join(SITE, name));
    raw += bytes.length;
    gzipped += gzipSync(bytes, { level: 9 }).length;
  }
  console.log(`page code: ${(raw / 1024).toFixed(1)} KB, gzipped ${(gzipped / 1024).toFixed(1)} KB`);
} finally {
  await browser.close();
  site.server.close();
}
