// The studio's edit model on the real core (the WebAssembly module, run by Node): edits written
// into the text as the program's parser reads them, refused edits changing nothing, undo back to
// the opened text byte for byte, and the pass grid's time texts.
import { test, before } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join } from 'node:path';
import { SITE } from './browser.js';

const require = createRequire(import.meta.url);
let core;
let model;
let numbers;

before(async () => {
  const createVoxelshow = require(join(SITE, 'voxelshow.js'));
  const module = await createVoxelshow({ wasmBinary: readFileSync(join(SITE, 'voxelshow.wasm')), print: () => {}, printErr: () => {} });
  const { StudioCore } = await import(join(SITE, 'studio', 'core.js'));
  model = await import(join(SITE, 'studio', 'model.js'));
  numbers = await import(join(SITE, 'studio', 'numbers.js'));
  core = new StudioCore(module);
});

// A script as people write them: a byte-order mark, Windows line ends, comments, tabs, blank
// lines, unaligned columns and a last line without its newline.
const HAND_WRITTEN = '\uFEFF# opening\r\n'
  + '0\t196 float  wave.phase clock   # runs with the clock\r\n'
  + '\r\n'
  + '0 1   char landscape.enabled 1 1\r\n'
  + '0  10  unsigned   char  layer 3.amount  255 0\r\n'
  + '7 8 float landscape.pathPhaseX pi/2 pi/2';

function opened(text) {
  const script = new model.ScriptModel(core);
  assert.deepEqual(script.open(text), { ok: true });
  return script;
}

test('rows come with the parser\'s values, their words as written, their lines and lanes', () => {
  const script = opened(HAND_WRITTEN);
  assert.equal(script.text, HAND_WRITTEN);
  assert.equal(script.rows.length, 4);
  const [clock, enabled, amount, phase] = script.rows;
  assert.equal(clock.clock, true);
  assert.equal(clock.from, null);
  assert.equal(clock.line, 2);
  assert.equal(enabled.line, 4);
  assert.deepEqual({ ...amount.text }, { start: '0', end: '10', type: 'unsigned   char', target: 'layer 3.amount', from: '255', to: '0' });
  assert.equal(amount.type, 'unsigned char');
  assert.equal(amount.target, 'layer 3.amount');
  assert.equal(amount.layer, 3);
  assert.equal(phase.from, Math.fround(Math.fround(3.141592654) / 2));  // pi/2 in single precision
  assert.equal(phase.text.from, 'pi/2');
  // The built-in script is the program's own text: 187 rows.
  const builtin = opened(core.builtinText());
  assert.equal(builtin.rows.length, 187);
  assert.ok(builtin.rows.every((row, i) => row.index === i && builtin.rowById(row.id) === row));
});

test('an edit rewrites only its row\'s words, keeping the line\'s layout, comment and line end', () => {
  const script = opened(HAND_WRITTEN);
  const [clock, enabled, amount, phase] = script.rows;
  assert.equal(script.apply({ label: 'move', changes: [{ set: amount.id, values: { start: 2, end: '12.5', to: 128 } }] }).ok, true);
  const lines = script.text.split('\n');
  assert.equal(lines[4], '2  12.5  unsigned   char  layer 3.amount  255 128\r');
  assert.equal(script.text.replace(lines[4], ''), HAND_WRITTEN.replace(HAND_WRITTEN.split('\n')[4], ''));
  // The row keeps its id and takes the new values; the other records are the same objects.
  const moved = script.rowById(amount.id);
  assert.equal(moved.start, 2);
  assert.equal(moved.end, 12.5);
  assert.equal(moved.to, 128);
  assert.equal(script.rows[0], clock);
  // Keys written as numbers come out as the writer puts them; a clock row given keys loses "clock".
  script.apply({ changes: [{ set: phase.id, values: { from: -Math.fround(Math.fround(3.141592654) / 4) } }, { set: clock.id, values: { from: 0.5 } }] });
  assert.match(script.text.split('\n')[5], /^7 8 float landscape\.pathPhaseX -pi\/4 pi\/2$/);
  assert.match(script.text.split('\n')[1], /^0\t196 float {2}wave\.phase 0\.5 {2}0\.5 {3}# runs with the clock\r$/);
  assert.equal(script.rowById(enabled.id).line, 4);
});

test('inserted, removed and moved rows change the order that decides which row wins', () => {
  const script = opened(core.builtinText());
  const [first, second, third] = script.rows;
  const count = script.rows.length;
  const result = script.apply({
    label: 'several', changes: [
      { insert: { start: 1, end: 2, type: 'float', target: 'landscape.scaleX', from: 3, to: 4 }, before: second.id },
      { insert: { start: 5, end: 6, type: 'unsigned char', target: 'layer 2.amount', clock: true } },
      { remove: third.id },
      { move: first.id },
    ],
  });
  assert.equal(result.ok, true);
  assert.equal(result.ids.length, 2);
  assert.equal(script.rows.length, count + 1);
  assert.equal(script.rows[0].id, result.ids[0]);
  assert.equal(script.rows[1].id, second.id);
  assert.equal(script.rowById(third.id), undefined);
  // Appended rows go after the last row, in the order given: the new clock row, then the moved one.
  assert.equal(script.rows[count - 1].id, result.ids[1]);
  assert.equal(script.rows[count].id, first.id);
  // A new row takes the columns of its neighbour (the built-in script's are aligned).
  const line = script.text.split('\n')[script.rows[0].line - 1];
  const neighbour = script.text.split('\n')[script.rows[1].line - 1];
  assert.equal(line.indexOf('landscape.scaleX'), neighbour.indexOf('landscape.'));
});

test('a refused edit changes nothing and names the line and the reason', () => {
  const script = opened(HAND_WRITTEN);
  const before = script.text;
  const revision = script.revision;
  const amount = script.rows[2];
  assert.deepEqual(script.apply({ changes: [{ set: amount.id, values: { to: 256 } }] }),
    { ok: false, error: '5: value 256 is outside the range of unsigned char (0 to 255)' });
  assert.match(script.apply({ changes: [{ set: amount.id, values: { start: 11 } }] }).error, /^5: start 11 is after end 10/);
  assert.match(script.apply({ changes: [{ set: amount.id, values: { type: 'unsigned short' } }] }).error, /^5: unsigned short does not fit layer 3\.amount/);
  // A text typed in the pane that does not parse is refused too, and said so to listeners.
  const told = [];
  script.subscribe((change) => told.push(change.kind));
  assert.equal(script.setText(before.replace('pi/2 pi/2', 'pi/2 banana')).ok, false);
  assert.match(script.error, /^6: the to value 'banana' is not a number/);
  assert.deepEqual(told, ['refused']);
  assert.equal(script.text, before);
  assert.equal(script.revision, revision + 1);  // the refusal itself is news; nothing else changed
  assert.equal(script.canUndo, false);
});

test('undo goes back to the opened text byte for byte, and redo forward again', () => {
  const script = opened(HAND_WRITTEN);
  const texts = [script.text];
  const [clock, enabled, amount] = script.rows;
  script.apply({ changes: [{ set: amount.id, values: { start: 3 } }] });
  texts.push(script.text);
  script.apply({ changes: [{ remove: enabled.id }, { insert: { start: 9, end: 9, type: 'char', target: 'landscape.enabled', from: 0, to: 0 } }] });
  texts.push(script.text);
  script.setText(script.text.replace('wave.phase clock', 'wave.phase   clock'));
  texts.push(script.text);
  script.apply({ changes: [{ move: clock.id }] });
  texts.push(script.text);
  assert.equal(new Set(texts).size, texts.length);
  for (let i = texts.length - 2; i >= 0; --i) {
    assert.equal(script.undo(), true);
    assert.equal(script.text, texts[i]);
  }
  assert.equal(script.undo(), false);
  assert.equal(script.text, HAND_WRITTEN);
  assert.equal(script.rows.length, 4);
  assert.equal(script.rows[0].id, clock.id);  // ids come back with their lines
  for (let i = 1; i < texts.length; ++i) {
    assert.equal(script.redo(), true);
    assert.equal(script.text, texts[i]);
  }
  assert.equal(script.redo(), false);
  // A new edit after an undo drops what could have been redone.
  script.undo();
  script.apply({ changes: [{ set: amount.id, values: { end: 20 } }] });
  assert.equal(script.canRedo, false);
});

test('pass times on the 60 grid read back as the pass\'s exact float, and times find their passes', () => {
  const { passMs, passSeconds, passTimeText, firstPassAtOrAfter, lastPassAtOrBefore, formatNumber, formatKey } = numbers;
  for (let pass = 0; pass <= 11760; pass += 7) {
    const text = passTimeText(pass);
    assert.equal(Math.fround(Number(text)), passSeconds(pass), `pass ${pass}: ${text}`);
    assert.equal(passSeconds(pass), Math.fround(passMs(pass) / 1000));
    assert.equal(firstPassAtOrAfter(passSeconds(pass)), pass);
    assert.equal(lastPassAtOrBefore(passSeconds(pass)), pass);
    if (pass > 0) assert.equal(firstPassAtOrAfter(passSeconds(pass) - 0.0001), pass);
  }
  assert.equal(passTimeText(61), '1.016');
  assert.equal(lastPassAtOrBefore(1.02), 61);
  assert.equal(formatNumber(Math.fround(0.1)), '0.1');
  assert.equal(formatNumber(255), '255');
  assert.equal(formatKey(Math.fround(Math.fround(3.141592654) / 2)), 'pi/2');
  assert.equal(formatKey(-Math.fround(3.141592654)), '-pi');
  // The program's parser reads every such text as the same float: the writer's and ours agree.
  const values = [0.1, 1 / 3, 39.5, 1e-7, 123456.789, 3e10].map(Math.fround);
  const text = values.map((v, i) => `0 1 float landscape.scaleX ${formatNumber(v)} ${formatKey(values[(i + 1) % values.length])}`).join('\n');
  const { records } = core.check(text);
  assert.deepEqual(records.map((r) => r.from), values);
});
