// The studio timeline's figures in headless Chromium: frames a second while the view scrolls
// and zooms on every frame of the browser (lanes, time, zoom in turn, each by a wheel event to
// the timeline), with the built-in script and with 65,535 rows, and the time a scrub move takes
// to draw the exact frame at the pass under the mouse. studio_bench.mjs runs these with the
// studio's other figures; alone: node bench/web/timeline_cases.mjs (after ./run web build).
import { fileURLToPath } from 'node:url';
import { startSite, launch } from '../../tests/web/browser.js';

const FRAMES = 240;  // about four seconds at 60 frames a second
const MOVES = 120;

async function openStudio(browser, url) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport({ width: 1400, height: 900 });
  await page.goto(`${url}studio.html`);
  await page.waitForFunction(() => window.studio?.ready && window.studio.timeline, { timeout: 120000, polling: 50 });
  return { page, close: () => context.close() };
}

// Frames a second and the median and slowest drawing times while a wheel event reaches the
// timeline at every frame of the browser.
function scrolling(page) {
  return page.evaluate((frames) => new Promise((done) => {
    const timeline = window.studio.timeline;
    const canvas = document.getElementById('timeline');
    const box = canvas.getBoundingClientRect();
    const draws = [];
    const draw = timeline.draw.bind(timeline);
    timeline.draw = () => {
      draw();
      draws.push(timeline.state.drawMs);
    };
    let frame = 0;
    const began = performance.now();
    const step = () => {
      const kind = Math.floor(frame / 20) % 4;
      const wheel = {
        clientX: box.left + 700, clientY: box.top + 150, bubbles: true, cancelable: true,
        deltaY: [60, 0, -120, 120][kind], deltaX: kind === 1 ? 80 : 0, ctrlKey: kind >= 2,
      };
      canvas.dispatchEvent(new WheelEvent('wheel', wheel));
      if (++frame < frames) {
        requestAnimationFrame(step);
        return;
      }
      requestAnimationFrame(() => {
        const seconds = (performance.now() - began) / 1000;
        timeline.draw = draw;
        draws.sort((a, b) => a - b);
        done({ fps: draws.length / seconds, median: draws[draws.length >> 1], worst: draws.at(-1) });
      });
    };
    requestAnimationFrame(step);
  }), FRAMES);
}

// The browser's own frames a second with nothing to draw: what the figures above can reach on
// the machine as loaded.
function idle(page) {
  return page.evaluate((frames) => new Promise((done) => {
    let frame = 0;
    let began = 0;
    const step = (now) => {
      if (frame === 0) began = now;
      if (++frame <= frames) requestAnimationFrame(step);
      else done((frames * 1000) / (now - began));
    };
    requestAnimationFrame(step);
  }), FRAMES);
}

// The median and slowest time from a scrub move to the exact frame shown, over moves across
// the whole show.
function scrubbing(page) {
  return page.evaluate((moves) => {
    const timeline = window.studio.timeline;
    const { view } = timeline.state;
    const times = [];
    for (let k = 0; k < moves; ++k) {
      const x = 230 + ((k * 7919) % moves) / moves * (view.width - 240);
      const began = performance.now();
      timeline.scrubTo(x);
      times.push(performance.now() - began);
    }
    times.sort((a, b) => a - b);
    return { median: times[times.length >> 1], worst: times.at(-1) };
  }, MOVES);
}

function manyRows() {
  const fields = ['layer 3.amount', 'layer 4.amount', 'wave.amplitude', 'landscape.colourSource', 'layer 5.visible'];
  const types = ['unsigned char', 'unsigned char', 'short', 'unsigned char', 'unsigned char'];
  const lines = [];
  for (let i = 0; i < 65535; ++i) {
    const f = i % 5;
    lines.push(`${(i * 0.0029).toFixed(4)} ${(i * 0.0029 + 0.5).toFixed(4)} ${types[f]} ${fields[f]} ${i % 100} ${(i * 7) % 100}`);
  }
  return `${lines.join('\n')}\n`;
}

// The figures as lines of text, from the site at `url` in `browser`.
export async function timelineCases(browser, url) {
  const out = [];
  const { page, close } = await openStudio(browser, url);
  try {
    // The music decoded and its waveform worked out first, so that neither falls in a run.
    await page.waitForFunction(() => window.studio.timeline.state.peaks !== null, { timeout: 120000, polling: 100 });
    out.push(`the browser's frames a second with nothing to draw: ${(await idle(page)).toFixed(1)}`);
    const builtIn = await scrolling(page);
    out.push(`timeline scrolling and zooming, built-in script: ${builtIn.fps.toFixed(1)} frames/s, draw median `
      + `${builtIn.median.toFixed(2)} ms, slowest ${builtIn.worst.toFixed(2)} ms`);
    const scrub = await scrubbing(page);
    out.push(`scrub move to exact frame, built-in script: median ${scrub.median.toFixed(2)} ms, slowest ${scrub.worst.toFixed(2)} ms`);
    await page.evaluate((text) => window.studio.setText(text), manyRows());
    await page.waitForFunction(() => window.studio.timeline.state.rows.length === 65535, { timeout: 120000 });
    await page.evaluate(() => window.studio.timeline.state.folded.clear());
    const many = await scrolling(page);
    out.push(`timeline scrolling and zooming, 65,535 rows: ${many.fps.toFixed(1)} frames/s, draw median `
      + `${many.median.toFixed(2)} ms, slowest ${many.worst.toFixed(2)} ms`);
  } finally {
    await close();
  }
  return out;
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const site = await startSite();
  const browser = await launch();
  try {
    for (const line of await timelineCases(browser, site.url)) console.log(line);
  } finally {
    await browser.close();
    site.server.close();
  }
}
