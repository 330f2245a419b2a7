// How soon the page offers its start button: from the page being opened (navigation start) to
// the button, with nothing cached, over several loads from the loopback server, then once on a
// throttled connection (about Chromium's "Fast 3G": 1.6 Mbit/s down, 150 ms latency), where it
// also gives when the music had arrived. Prints each figure's minimum, median and maximum. Run
// after `./run web build`: node bench/web/page_load.mjs [LOADS]
import { startSite, launch, waitForState } from '../../tests/web/browser.js';

const LOADS = Number(process.argv[2] ?? 15);

async function load(browser, url, throttle) {
  const context = await browser.createBrowserContext();  // a cache of its own, empty
  const page = await context.newPage();
  if (throttle) {
    const cdp = await page.createCDPSession();
    await cdp.send('Network.enable');
    await cdp.send('Network.emulateNetworkConditions', {
      offline: false, latency: 150, downloadThroughput: (1.6e6 / 8) * 0.9, uploadThroughput: (750e3 / 8) * 0.9,
    });
  }
  await page.goto(url, { waitUntil: 'domcontentloaded' });
  const ready = await waitForState(page, () => ['ready', 'error'].includes(window.voxelshow?.phase), 600000);
  if (ready.phase === 'error') throw new Error(ready.message);
  let musicAt = null;
  if (throttle) {
    const done = await waitForState(page, () => window.voxelshow.music !== undefined, 600000);
    musicAt = done.musicAt;
  }
  await context.close();
  return { readyMs: ready.readyAt, musicMs: musicAt };
}

const figures = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const at = (q) => sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
  return `min ${sorted[0].toFixed(0)}  median ${at(0.5).toFixed(0)}  max ${sorted[sorted.length - 1].toFixed(0)} ms`;
};

const site = await startSite();
const browser = await launch();
try {
  const loads = [];
  for (let i = 0; i < LOADS; ++i) loads.push((await load(browser, site.url, false)).readyMs);
  console.log(`start button offered, 127.0.0.1, nothing cached (${LOADS} loads): ${figures(loads)}`);
  const slow = await load(browser, site.url, true);
  console.log(`throttled (1.6 Mbit/s, 150 ms): start button at ${(slow.readyMs / 1000).toFixed(1)} s, ` +
    `music decoded at ${(slow.musicMs / 1000).toFixed(1)} s`);
} finally {
  await browser.close();
  site.server.close();
}
