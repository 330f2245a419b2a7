// The sound the page plays, taken from an AudioWorklet between the music and the output: the
// decoded music, at the moment of the show that the picture shows, after the start and jumps.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { startSite, launch, waitForState } from './browser.js';
import { installTap, measure, checkInSync } from './tap.js';

let site;
let browser;

before(async () => {
  site = await startSite();
  browser = await launch();
});

after(async () => {
  await browser?.close();
  site?.server.close();
});

test('the page plays the decoded music at the time the picture shows, after the start and after a jump', async (t) => {
  const page = await browser.newPage();
  await page.goto(site.url);
  await waitForState(page, () => window.voxelshow.phase === 'ready' && window.voxelshow.music === 'ready');
  await installTap(page);
  await page.click('#start');
  await waitForState(page, () => window.voxelshow.shownMs > 2000);
  checkInSync(t, await measure(page, 1), 'after the start');
  await page.keyboard.press('PageDown');
  const landed = await page.evaluate(() => window.voxelshow.shownMs);
  await waitForState(page, (from) => window.voxelshow.shownMs > from + 500, 120000, landed);
  checkInSync(t, await measure(page, 1), 'after a jump');
  // A jump that keeps the page busy past the music's lead, as a slow or busy machine does: the
  // music still starts where the picture is.
  await page.evaluate(() => {
    const module = window.voxelshow.module;
    const command = module._web_command;
    module._web_command = (...args) => {
      for (const until = performance.now() + 250; performance.now() < until;);
      return command(...args);
    };
  });
  await page.keyboard.press('PageDown');
  const late = await page.evaluate(() => window.voxelshow.shownMs);
  await waitForState(page, (from) => window.voxelshow.shownMs > from + 500, 120000, late);
  checkInSync(t, await measure(page, 1), 'after a jump that took the page 250 ms');
  await page.close();
});
