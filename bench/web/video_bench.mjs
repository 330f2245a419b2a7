// The video maker's speed: the whole show (or a span: FROM TO in seconds) made in headless
// Chromium in every format at 640x480 and 1280x960, 60 passes a second with the music, beside the
// native --capture of the same span in the same formats, one run each, in one run of this
// script so that the machine's load weighs on each alike. Run after `./run web build` and the
// native build: node bench/web/video_bench.mjs [FROM TO]
import { execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync, statSync } from 'node:fs';
import { loadavg, tmpdir } from 'node:os';
import { join } from 'node:path';
import { setTimeout as sleep } from 'node:timers/promises';
import { startSite, launch, waitForState, NATIVE, DATA } from '../../tests/web/browser.js';

const [from, to] = process.argv.slice(2).map(Number);
const span = Number.isFinite(from) && Number.isFinite(to) ? { from, to } : { from: 0, to: null };
const length = (span.to ?? 196.0167) - span.from;
const SIZES = [[640, 480], [1280, 960]];
const work = mkdtempSync(join(tmpdir(), 'voxelshow-video-bench-'));
const rows = [];

const site = await startSite();
const browser = await launch();
try {
  const page = await browser.newPage();
  await page.goto(site.url);
  await waitForState(page, () => window.voxelshow.phase === 'ready' && window.voxelshow.music === 'ready' && window.voxelshow.video !== undefined);
  for (const format of ['mp4', 'webm']) {
    for (const [width, height] of SIZES) {
      // Started in the page and asked after every second: a video takes longer than one call may.
      await page.evaluate((options) => {
        const started = performance.now();
        window.made = null;
        window.voxelshow.video(options).then((blob) => {
          window.made = { seconds: (performance.now() - started) / 1000, bytes: blob.size, note: window.voxelshow.lastVideo.note };
        }, (error) => { window.made = { error: error.message }; });
      }, { ...span, fps: 60, width, height, format, sound: true });
      let made = null;
      while (made === null) {
        await sleep(1000);
        made = await page.evaluate(() => window.made);
      }
      if (made.error) throw new Error(made.error);
      rows.push({ who: 'browser', format, size: `${width}x${height}`, ...made });
      console.log(JSON.stringify(rows.at(-1)));
    }
  }
  await page.close();
} finally {
  await browser.close();
  site.server.close();
}

for (const format of ['mp4', 'webm']) {
  for (const [width, height] of SIZES) {
    const file = join(work, `show.${format}`);
    const args = ['--capture', file, '--data', DATA, '--fps', '60', '--size', `${width}x${height}`, '-y', '--from', String(span.from)];
    if (span.to !== null) args.push('--to', String(span.to));
    const started = process.hrtime.bigint();
    execFileSync(NATIVE, args, { stdio: 'ignore', timeout: 1800000 });
    const seconds = Number(process.hrtime.bigint() - started) / 1e9;
    rows.push({ who: 'native --capture', format, size: `${width}x${height}`, seconds, bytes: statSync(file).size, note: '' });
    console.log(JSON.stringify(rows.at(-1)));
  }
}
rmSync(work, { recursive: true, force: true });

console.log(`\n${length.toFixed(2)} s of the show from ${span.from} s, 60 passes a second, with sound; load average ${loadavg()[0].toFixed(1)} at the end`);
console.log('| Made by | File | Size | MB | written in | real time |');
console.log('|---|---|---|---|---|---|');
for (const row of rows) {
  console.log(`| ${row.who} | \`.${row.format}\`${row.note ? ` (${row.note})` : ''} | ${row.size} | ${(row.bytes / 1e6).toFixed(1)} | `
    + `${row.seconds.toFixed(1)} s | ${(length / row.seconds).toFixed(2)}x |`);
}
