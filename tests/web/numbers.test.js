// The WebAssembly build reads a script's numbers as the native build does: the same table of
// edge numbers that the native tests read (tests/data/number_edges.txt).
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { startSite, launch, ROOT } from './browser.js';

test('the page reads the shared table of edge numbers as the native build does', async () => {
  const rows = readFileSync(join(ROOT, 'tests', 'data', 'number_edges.txt'), 'utf8').split('\n')
    .filter((line) => line !== '' && !line.startsWith('#')).map((line) => line.split('\t'));
  assert.ok(rows.length > 40);
  const site = await startSite();
  const browser = await launch();
  try {
    const page = await browser.newPage();
    await page.goto(`${site.url}?pass=0`);
    const outcomes = await page.evaluate(async (texts) => {
      const module = await createVoxelshow({ printErr: () => {} });
      const bits = new Uint32Array(1);
      const float = new Float32Array(bits.buffer);
      return texts.map((text) => {
        const status = module.ccall('web_read_number', 'number', ['string'], [text]);
        if (status !== 0) return ['', 'not-a-number', 'out-of-range'][status];
        float[0] = module._web_number_read();
        return `ok ${bits[0].toString(16).padStart(8, '0')}`;
      });
    }, rows.map(([text]) => text));
    const differing = rows.flatMap(([text, expected], i) =>
      (outcomes[i] === expected ? [] : [`${text}: ${outcomes[i]}, native ${expected}`]));
    assert.deepEqual(differing, []);
  } finally {
    await browser.close();
    site.server.close();
  }
});
