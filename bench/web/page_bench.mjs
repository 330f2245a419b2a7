// The page's figures: the --benchmark run in headless Chromium (one thread, the portable
// renderer), the time from the click on the overlay to the show's first frame, and the size of
// the page's code gzipped. Run after `./run web build`: node bench/web/page_bench.mjs
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';
import { startSite, launch, waitForState, SITE } from '../../tests/web/browser.js';

const CODE = ['voxelshow.wasm', 'voxelshow.js', 'main.js', 'player.js', 'sound.js', 'data.js', 'headless_worker.js', 'index.html',
  'style.css'];
const CLICKS = 5;

const site = await startSite();
const browser = await launch();
try {
  const page = await browser.newPage();
  await page.goto(`${site.url}?benchmark`);
  const done = await waitForState(page, () => ['done', 'error'].includes(window.voxelshow.phase), 600000);
  console.log(done.report || done.message);
  await page.close();

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
