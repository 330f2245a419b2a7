// The studio's figures in headless Chromium, in one run: the time from an edit to the preview
// showing it (the model's check by the program's parser, the tracks registered again, the pass
// reached by a seek and drawn) with the built-in script and with 10,000 rows; the time a seek to
// a pass takes to draw and show its exact frame; the time from opening studio.html on 127.0.0.1
// to the first preview; and the timeline's own cases (timeline_cases.mjs). Run after
// `./run web build`: node bench/web/studio_bench.mjs
import { existsSync } from 'node:fs';
import { fileURLToPath } from 'node:url';
import { startSite, launch } from '../../tests/web/browser.js';

const EDITS = 60;
const SEEKS = 120;
const OPENINGS = 5;

const median = (values) => [...values].sort((a, b) => a - b)[values.length >> 1];
const worst = (values) => Math.max(...values);
const figures = (name, values) => `${name}: median ${median(values).toFixed(2)} ms, slowest ${worst(values).toFixed(2)} ms`;

async function openStudio(browser, url) {
  const context = await browser.createBrowserContext();  // storage of its own: the built-in script
  const page = await context.newPage();
  await page.setViewport({ width: 1400, height: 900 });
  await page.goto(`${url}studio.html`);
  await page.waitForFunction(() => window.studio?.ready, { timeout: 120000, polling: 50 });
  return { page, context };
}

// Times edits that move the first setting's end back and forth, at a pass in the middle of the show.
function timeEdits(page) {
  return page.evaluate((edits) => {
    const { model, state } = window.studio;
    window.studio.seek(5880);
    const row = model.rows.find((r) => !r.clock && r.end > r.start);
    const times = [];
    for (let i = 0; i < edits; ++i) {
      const began = performance.now();
      const result = model.apply({ changes: [{ set: row.id, values: { end: row.end + (i % 2 ? -0.5 : 0.5) } }] });
      if (!result.ok) throw new Error(result.error);
      times.push(performance.now() - began);
    }
    if (state.pass !== 5880) throw new Error(`the preview left pass 5880 for ${state.pass}`);
    return times;
  }, EDITS);
}

function timeSeeks(page) {
  return page.evaluate((seeks) => {
    const last = window.studio.transport.lastPass;
    const times = [];
    for (let k = 0; k < seeks; ++k) {
      const pass = (k * 7919) % last;
      const began = performance.now();
      window.studio.seek(pass);
      times.push(performance.now() - began);
    }
    return times;
  }, SEEKS);
}

function tenThousandRows(builtin) {
  const lines = [];
  for (let i = 0; lines.length < 10000 - 187; ++i) {
    lines.push(`${((i % 1900) / 10).toFixed(1)} ${((i % 1900) / 10 + 2).toFixed(1)} unsigned char layer ${4 + (i % 6)}.amount ${i % 256} ${(i * 7) % 256}`);
  }
  return `${builtin}${lines.join('\n')}\n`;
}

export async function studioCases(browser, url) {
  const out = [];
  const { page, context } = await openStudio(browser, url);
  try {
    out.push(figures('edit to preview, built-in script (187 rows)', await timeEdits(page)));
    out.push(figures('seek to the exact frame of a pass', await timeSeeks(page)));
    const builtin = await page.evaluate(() => window.studio.text());
    const loaded = await page.evaluate((text) => window.studio.setText(text), tenThousandRows(builtin));
    if (!loaded.ok) throw new Error(loaded.error);
    out.push(figures('edit to preview, 10,000 rows', await timeEdits(page)));
  } finally {
    await context.close();
  }
  const openings = [];
  for (let i = 0; i < OPENINGS; ++i) {
    const opened = await openStudio(browser, url);
    openings.push(await opened.page.evaluate(() => window.studio.state.firstPreviewAt));
    await opened.context.close();
  }
  out.push(figures(`opening studio.html to the first preview (${OPENINGS} openings)`, openings));
  return out;
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const site = await startSite();
  const browser = await launch();
  try {
    for (const line of await studioCases(browser, site.url)) console.log(line);
    const timeline = new URL('./timeline_cases.mjs', import.meta.url);
    if (existsSync(fileURLToPath(timeline))) {
      const { timelineCases } = await import(timeline);
      for (const line of await timelineCases(browser, site.url)) console.log(line);
    }
  } finally {
    await browser.close();
    site.server.close();
  }
}
