// The timeline's edit operations, lanes and snapping as pure functions on rows (no browser).
import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  timeText, moveRows, setEdge, removeRows, copyRows, pasteRows, duplicateRows, reorderRows, insertTime, removeTime,
  stretchRows, addSetting,
} from '../../web/studio/edits.js';
import { ScriptModel } from '../../web/studio/model.js';
import { TYPES, OBJECTS } from '../../web/studio/core.js';
import { buildLanes, visibleLines } from '../../web/studio/timeline_lanes.js';
import { snapTargets, snapMs, snapShift } from '../../web/studio/timeline_snap.js';
import { nearestPass } from '../../web/studio/timeline_view.js';
import { passMs } from '../../web/studio/numbers.js';

// The model with a stand-in for the core's parser that reads plain numbers and clock rows, enough
// for these scripts (the program's own parser is tested through the page).
function checkText(text) {
  const records = [];
  const lines = text.split('\n');
  for (let n = 0; n < lines.length; ++n) {
    const words = lines[n].replace(/#.*/, '').trim().split(/\s+/).filter(Boolean);
    if (words.length === 0) continue;
    const [start, end] = words.splice(0, 2).map((w) => Math.fround(Number(w)));
    const type = words[0] === 'unsigned' ? `${words.shift()} ${words.shift()}` : words.shift();
    const target = words[0] === 'layer' ? `${words.shift()} ${words.shift()}` : words.shift();
    const object = target.slice(0, target.indexOf('.')).split(' ');
    if (start > end) return { error: `${n + 1}: start ${start} is after end ${end}` };
    const clock = words[0] === 'clock';
    records.push({
      line: n + 1, start, end, type: TYPES.indexOf(type), target: OBJECTS.indexOf(object[0]), layer: Number(object[1] ?? 0),
      from: clock ? Infinity : Math.fround(Number(words[0])), to: clock ? Infinity : Math.fround(Number(words[1])),
    });
  }
  return { records };
}

function modelOf(text) {
  const model = new ScriptModel({ check: checkText });
  assert.deepEqual(model.open(text), { ok: true });
  return model;
}

// The model after an edit, which must have been taken.
function applied(model, result) {
  const outcome = model.apply(result);
  assert.equal(outcome.ok, true, outcome.error);
  return model;
}

const spans = (model) => model.rows.map((r) => `${r.text.start}-${r.text.end}`);
const idsOf = (model, ...indices) => indices.map((i) => model.rows[i].id);

const SCRIPT = [
  '# the clocks',
  '0  196  float  wave.phase  clock',
  '0  1  unsigned char  layer 3.amount  255  255',
  '7  7.99  unsigned char  layer 3.amount  255  0   # the fade',
  '10.5  12  unsigned char  layer 2.amount  0  200',
  '',
].join('\n');

test('time texts read back as the clock\'s own float seconds, shortest first', () => {
  for (let ms = 0; ms < 200000; ms += 7) {
    const text = timeText(ms);
    assert.equal(Math.fround(Number(text)), Math.fround(ms / 1000), `${ms} ms written ${text}`);
    assert.ok(!/e/.test(text) && !/\.\d*0$/.test(text), text);
  }
  assert.equal(timeText(83500), '83.5');
  assert.equal(timeText(passMs(1)), '0.016');
});

test('moving rows keeps their lengths, the other columns and lines as they were written', () => {
  const model = modelOf(SCRIPT);
  const edit = moveRows(model.rows, idsOf(model, 2, 3), 1500);
  assert.deepEqual(edit.select, idsOf(model, 2, 3));
  applied(model, edit);
  assert.deepEqual(spans(model), ['0-196', '0-1', '8.5-9.49', '12-13.5']);
  assert.equal(model.text, SCRIPT
    .replace('7  7.99  unsigned', '8.5  9.49  unsigned')
    .replace('10.5  12  unsigned', '12    13.5  unsigned'));
  // No earlier than the show's start: the earliest stops at 0 and the others keep their distance.
  applied(model, moveRows(model.rows, idsOf(model, 2, 3), -20000));
  assert.deepEqual(spans(model).slice(2), ['0-0.99', '3.5-5']);
  // Undone twice, the text is the one opened, byte for byte.
  model.undo();
  model.undo();
  assert.equal(model.text, SCRIPT);
});

test('an edge dragged past the other one stops there, and only it gets a new text', () => {
  const model = modelOf(SCRIPT);
  const [fade] = idsOf(model, 2);
  assert.deepEqual(setEdge(model.rows, fade, 'start', 7500).changes, [{ set: fade, values: { start: '7.5' } }]);
  assert.deepEqual(setEdge(model.rows, fade, 'start', 9000).changes, [{ set: fade, values: { start: '7.99' } }]);
  assert.deepEqual(setEdge(model.rows, fade, 'end', 1000).changes, [{ set: fade, values: { end: '7' } }]);
  assert.deepEqual(setEdge(model.rows, idsOf(model, 1)[0], 'start', -50).changes, []);
});

test('copy, cut and paste: at the playhead, after every row, onto a lane of the same type only', () => {
  const model = modelOf(SCRIPT);
  const clip = copyRows(model.rows, idsOf(model, 2, 1));
  assert.equal(clip.originMs, 0);
  applied(model, pasteRows(clip, 20000));
  assert.deepEqual(spans(model).slice(4), ['20-21', '27-27.99']);
  assert.deepEqual(model.rows.slice(4).map((r) => r.text.from), ['255', '255']);
  // One field's rows onto another lane of the same element type take its target.
  const fade = copyRows(model.rows, idsOf(model, 2));
  applied(model, pasteRows(fade, 30000, { target: 'layer 2.amount', type: 'unsigned char' }));
  assert.equal(model.rows[6].target, 'layer 2.amount');
  assert.deepEqual(spans(model).slice(6), ['30-30.99']);
  const refused = pasteRows(fade, 30000, { target: 'wave.frequency', type: 'float' });
  assert.deepEqual(refused.changes, []);
  assert.equal(refused.refused, 'unsigned char rows cannot go onto wave.frequency, which is float');
  // Rows of several fields keep theirs whatever lane is chosen; a clock row stays one.
  const both = pasteRows(copyRows(model.rows, idsOf(model, 0, 3)), 0, { target: 'wave.amplitude', type: 'short' });
  assert.deepEqual(both.changes.map((c) => [c.insert.target, c.insert.clock ?? c.insert.from]),
    [['wave.phase', true], ['layer 2.amount', '0']]);
  const before = model.rows.length;
  applied(model, removeRows(model.rows, idsOf(model, 0, 2)));
  assert.equal(model.rows.length, before - 2);
  assert.equal(model.rows[0].target, 'layer 3.amount');
});

test('duplicates follow the selection in time', () => {
  const model = modelOf(SCRIPT);
  applied(model, duplicateRows(model.rows, idsOf(model, 2, 3)));
  assert.deepEqual(spans(model).slice(4), ['12-12.99', '15.5-17']);
});

test('raising and lowering a row passes the next row on its field only', () => {
  const text = ['0 1 char landscape.enabled 1 1', '0 5 float wave.phase clock', '2 3 char landscape.enabled 0 0',
    '4 5 char landscape.enabled 1 1'].join('\n');
  const order = (model) => model.rows.map((r) => `${r.text.start}${r.field[0]}`).join(' ');
  const raised = applied(modelOf(text), reorderRows(modelOf(text).rows, [1], 1));
  assert.equal(order(raised), '0p 2e 0e 4e');
  const model = modelOf(text);
  const [a, , c, d] = model.rows.map((r) => r.id);
  assert.equal(order(applied(modelOf(text), reorderRows(model.rows, [d], -1))), '0e 0p 4e 2e');
  // Nothing above the last row of its field; two selected neighbours do not pass each other.
  assert.deepEqual(reorderRows(model.rows, [d], 1).changes, []);
  assert.deepEqual(reorderRows(model.rows, [c, d], 1).changes, []);
  // Two raised at once: the later first, then the earlier past the row that is next by then.
  assert.equal(order(applied(modelOf(text), reorderRows(model.rows, [a, c], 1))), '0p 4e 0e 2e');
});

test('inserting and removing time at the playhead moves the edges after it', () => {
  const inserted = applied(modelOf(SCRIPT), insertTime(modelOf(SCRIPT).rows, 7000, 2000));
  assert.deepEqual(spans(inserted), ['0-198', '0-1', '9-9.99', '12.5-14']);
  // Removed: edges inside the span go to its start, rows wholly inside it go.
  const removed = applied(modelOf(SCRIPT), removeTime(modelOf(SCRIPT).rows, 6500, 4500));
  assert.deepEqual(spans(removed), ['0-191.5', '0-1', '6.5-7.5']);
  const early = applied(modelOf(SCRIPT), removeTime(modelOf(SCRIPT).rows, 0, 500));
  assert.deepEqual(spans(early), ['0-195.5', '0-0.5', '6.5-7.49', '10-11.5']);
});

test('stretching about the playhead scales the selected rows\' distances from it', () => {
  const model = modelOf(SCRIPT);
  assert.deepEqual(spans(applied(model, stretchRows(model.rows, idsOf(model, 2, 3), 10000, 2))),
    ['0-196', '0-1', '4-5.98', '11-14']);
  const half = modelOf(SCRIPT);
  assert.deepEqual(spans(applied(half, stretchRows(half.rows, idsOf(half, 2), 1000, 0.5)))[2], '4-4.495');
  const early = modelOf(SCRIPT);
  assert.deepEqual(spans(applied(early, stretchRows(early.rows, idsOf(early, 2), 100000, 2)))[2], '0-0');
});

test('an added setting holds the value given from the pass on, after every row', () => {
  const model = modelOf(SCRIPT);
  const outcome = model.apply(addSetting({ target: 'wave.amplitude', type: 'short' }, passMs(61), '-3'));
  assert.equal(model.rows[4].id, outcome.ids[0]);
  assert.deepEqual(model.rows[4].text, { start: '1.016', end: '2.016', type: 'short', target: 'wave.amplitude', from: '-3', to: '-3' });
  assert.equal(model.rows[4].from, -3);
});

test('lanes are grouped by object in order and know where each row loses to a later one', () => {
  const { rows } = modelOf([
    '0 10 unsigned char layer 3.amount 0 255', '0 1 char landscape.enabled 1 1', '4 6 unsigned char layer 3.amount 9 9',
    '0 196 float wave.phase clock', '5 20 unsigned char layer 3.amount 1 1', '0 1 unsigned char layer 11.visible 1 1',
    '2 3 unsigned char layer 3.amount 1 1', '0 1 unsigned char layer 10.visible 1 1',
  ].join('\n'));
  const lanes = buildLanes(rows);
  assert.deepEqual(lanes.map((l) => l.target),
    ['landscape.enabled', 'wave.phase', 'layer 3.amount', 'layer 10.visible', 'layer 11.visible']);
  const amount = lanes[2];
  assert.deepEqual(amount.rows, [0, 2, 4, 6]);
  assert.deepEqual(amount.parts.get(0), [[0, 2], [3, 4]]);
  assert.deepEqual(amount.parts.get(2), [[4, 5]]);
  assert.deepEqual(amount.parts.get(4), [[5, 20]]);
  assert.deepEqual(amount.parts.get(6), [[2, 3]]);
  // What loses, by time: the first row under the two that win over it, the third from 5 s on.
  assert.deepEqual(amount.lost, [[2, 3, 0], [4, 10, 0], [5, 6, 2]]);
  assert.deepEqual(amount.segments, [[0, 2, 0], [2, 3, 6], [3, 4, 0], [4, 5, 2], [5, 20, 4]]);
  const lines = visibleLines(lanes, new Set(['wave', 'layer 3']));
  assert.deepEqual(visibleLines(lanes, new Set()).filter((l) => l.heading).map((l) => l.count), [1, 1, 1, 1, 1]);
  const two = visibleLines(buildLanes(modelOf(`${SCRIPT}0 1 unsigned char layer 3.visible 1 1`).rows), new Set());
  assert.deepEqual(two.map((l) => l.heading ?? l.lane.target),
    ['wave', 'wave.phase', 'layer 2', 'layer 2.amount', 'layer 3', 'layer 3.amount', 'layer 3.visible']);
  assert.equal(two[4].count, 2);
  assert.deepEqual(lines.map((l) => l.heading ?? l.lane.target),
    ['landscape', 'landscape.enabled', 'wave', 'layer 3', 'layer 10', 'layer 10.visible', 'layer 11', 'layer 11.visible']);
});

test('the winning parts of 65,535 overlapping rows on one field', () => {
  const lines = [];
  for (let i = 0; i < 65535; ++i) lines.push(`${(i * 0.003).toFixed(3)} ${(i * 0.003 + 0.5).toFixed(3)} float wave.frequency 1 1`);
  const many = modelOf(lines.join('\n')).rows;
  const [lane] = buildLanes(many);
  // Each row wins from its start to the next one's: the heap never scans what it holds.
  assert.deepEqual(lane.parts.get(100), [[many[100].start, many[101].start]]);
  assert.deepEqual(lane.parts.get(65534), [[many[65534].start, many[65534].end]]);
});

test('edges snap to rows, the playhead and cuts within a few pixels, else to the pass grid', () => {
  const { rows } = modelOf(SCRIPT);
  const targets = snapTargets(rows, new Set([rows[2].id]), passMs(300), [8000]);
  assert.ok(!targets.includes(7990), 'the moving row\'s own edges are not targets');
  // At 100 pixels a second, 6 pixels are 60 ms.
  assert.equal(snapMs(10450, targets, 100), 10500);
  assert.equal(snapMs(5030, targets, 100), 5000, 'the playhead');
  assert.equal(snapMs(8059, targets, 100), 8000, 'a cut');
  assert.equal(snapMs(20011, targets, 100), passMs(nearestPass(20011)));
  assert.equal(passMs(nearestPass(20011)), 20016);
  assert.equal(snapMs(10450.4, targets, 100, false), 10450, 'Shift: no snapping');
  // Zoomed in to 1000 pixels a second 6 pixels are 6 ms: the row edge is too far.
  assert.equal(snapMs(10450, targets, 1000), 10450);
  // A moved span snaps by whichever edge is nearer a target, keeping its length.
  assert.equal(snapShift(7000, 7990, 2980, targets, 100), passMs(599) - 7000, 'its start onto the pass grid');
  assert.equal(snapShift(7000, 7990, 3530, targets, 100), 3500, 'its start onto the row starting at 10.5 s');
  assert.equal(snapShift(7000, 7990, 4000, targets, 100), 4010, 'its end onto the row ending at 12 s');
  assert.equal(snapShift(7000, 7990, 4000, targets, 100, false), 4000);
});
