// The timeline's edit operations, lanes and snapping as pure functions on rows (no browser).
import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  numberText, timeAt, moveRows, setEdge, removeRows, copyRows, pasteRows, duplicateRows, reorderRows, insertTime,
  removeTime, stretchRows, addSetting,
} from '../../web/studio/edits.js';
import { buildLanes, visibleLines } from '../../web/studio/timeline_lanes.js';
import { snapTargets, snapMs, snapShift } from '../../web/studio/timeline_snap.js';
import { nearestPass, passMs } from '../../web/studio/timeline_view.js';

// A row as the model holds it, from a line of the script (plain numbers only).
function row(line) {
  const [start, end, type, target, from, to] = line.trim().split(/\s+/).map((t) => t.replace('_', ' '));
  const clock = from === 'clock';
  return {
    start: Math.fround(Number(start)), end: Math.fround(Number(end)), type, target, clock,
    from: clock ? null : Math.fround(Number(from)), to: clock ? null : Math.fround(Number(to)),
    tokens: { start, end, type, target, from, to: clock ? '' : to },
  };
}

const spans = (rows) => rows.map((r) => `${r.tokens.start}-${r.tokens.end}`);

const ROWS = [
  row('0 196 float wave.phase clock'),
  row('0 1 unsigned_char layer_3.amount 255 255'),
  row('7 7.99 unsigned_char layer_3.amount 255 0'),
  row('10.5 12 unsigned_char layer_2.amount 0 200'),
];

test('time texts read back as the clock\'s own float seconds, shortest first', () => {
  for (let ms = 0; ms < 200000; ms += 7) {
    const { value, text } = timeAt(ms);
    assert.equal(value, Math.fround(ms / 1000));
    assert.equal(Math.fround(Number(text)), value, `${ms} ms written ${text}`);
    assert.ok(!/e/.test(text) && !/\.\d*0$/.test(text), text);
  }
  assert.equal(timeAt(83500).text, '83.5');
  assert.equal(timeAt(16).text, '0.016');
  assert.equal(numberText(Math.fround(Math.PI / 2)), '1.5707964');
  assert.equal(numberText(-0), '0');
});

test('moving rows keeps their lengths and the untouched rows as they were written', () => {
  const { rows, selection } = moveRows(ROWS, [2, 3], 1500);
  assert.deepEqual(spans(rows), ['0-196', '0-1', '8.5-9.49', '12-13.5']);
  assert.deepEqual(selection, [2, 3]);
  assert.equal(rows[0], ROWS[0]);
  assert.equal(rows[1], ROWS[1]);
  assert.equal(rows[2].start, Math.fround(8.5));
  assert.equal(ROWS[2].tokens.start, '7', 'the rows given are not changed');
  // No earlier than the show's start: the earliest moved row stops at 0 and the others keep their distance.
  assert.deepEqual(spans(moveRows(ROWS, [2, 3], -9000).rows).slice(2), ['0-0.99', '3.5-5']);
  // Only the edge that moved gets a new text.
  assert.equal(setEdge(ROWS, 2, 'start', 7500).rows[2].tokens.end, '7.99');
});

test('an edge dragged past the other one stops there', () => {
  assert.deepEqual(spans(setEdge(ROWS, 2, 'start', 9000).rows).slice(2, 3), ['7.99-7.99']);
  assert.deepEqual(spans(setEdge(ROWS, 2, 'end', 1000).rows).slice(2, 3), ['7-7']);
  assert.deepEqual(spans(setEdge(ROWS, 1, 'start', -50).rows).slice(1, 2), ['0-1']);
});

test('copy, cut and paste: at the playhead, after every row, onto a lane of the same type only', () => {
  const clip = copyRows(ROWS, [2, 1]);
  assert.equal(clip.originMs, 0);
  const pasted = pasteRows(ROWS, clip, 20000);
  assert.deepEqual(spans(pasted.rows).slice(4), ['20-21', '27-27.99']);
  assert.deepEqual(pasted.selection, [4, 5]);
  // One field's rows onto another lane of the same element type take its target.
  const moved = pasteRows(ROWS, copyRows(ROWS, [2]), 30000, { target: 'layer 2.amount', type: 'unsigned char' });
  assert.equal(moved.rows[4].target, 'layer 2.amount');
  assert.equal(moved.rows[4].tokens.target, 'layer 2.amount');
  assert.deepEqual(spans(moved.rows).slice(4), ['30-30.99']);
  const refused = pasteRows(ROWS, copyRows(ROWS, [2]), 30000, { target: 'wave.frequency', type: 'float' });
  assert.equal(refused.rows, ROWS);
  assert.match(refused.refused, /unsigned char rows cannot go onto wave.frequency, which is float/);
  // Rows of several fields keep theirs whatever lane is chosen.
  const both = pasteRows(ROWS, copyRows(ROWS, [1, 3]), 0, { target: 'wave.phase', type: 'float' });
  assert.deepEqual(both.rows.slice(4).map((r) => r.target), ['layer 3.amount', 'layer 2.amount']);
  const cut = removeRows(ROWS, [0, 2]);
  assert.deepEqual(cut.rows, [ROWS[1], ROWS[3]]);
});

test('duplicates follow the selection in time', () => {
  const { rows, selection } = duplicateRows(ROWS, [2, 3]);
  assert.deepEqual(spans(rows).slice(4), ['12-12.99', '15.5-17']);
  assert.deepEqual(selection, [4, 5]);
});

test('raising and lowering a row passes the next row on its field only', () => {
  const rows = [
    row('0 1 char landscape.enabled 1 1'), row('0 5 float wave.phase clock'), row('2 3 char landscape.enabled 0 0'),
    row('4 5 char landscape.enabled 1 1'),
  ];
  const raised = reorderRows(rows, [0], 1);
  assert.deepEqual(raised.rows, [rows[1], rows[2], rows[0], rows[3]]);
  assert.deepEqual(raised.selection, [2]);
  const lowered = reorderRows(rows, [3], -1);
  assert.deepEqual(lowered.rows, [rows[0], rows[1], rows[3], rows[2]]);
  // Nothing above the last row of its field; two selected neighbours do not swap with each other.
  assert.deepEqual(reorderRows(rows, [3], 1).rows, rows);
  assert.deepEqual(reorderRows(rows, [2, 3], 1).rows, rows);
  // Two raised at once: the later goes first, and the earlier then passes the row that is next.
  assert.deepEqual(reorderRows(rows, [0, 2], 1).rows, [rows[1], rows[3], rows[0], rows[2]]);
});

test('inserting and removing time at the playhead moves the edges after it', () => {
  const inserted = insertTime(ROWS, 7000, 2000);
  assert.deepEqual(spans(inserted.rows), ['0-198', '0-1', '9-9.99', '12.5-14']);
  assert.equal(inserted.rows[1], ROWS[1]);
  // Removed: edges inside the span go to its start, rows wholly inside it go.
  const removed = removeTime(ROWS, 6500, 4500);
  assert.deepEqual(spans(removed.rows), ['0-191.5', '0-1', '6.5-7.5']);
  assert.deepEqual(spans(removeTime(ROWS, 0, 500).rows), ['0-195.5', '0-0.5', '6.5-7.49', '10-11.5']);
});

test('stretching about the playhead scales the selected rows\' distances from it', () => {
  const { rows } = stretchRows(ROWS, [2, 3], 10000, 2);
  assert.deepEqual(spans(rows), ['0-196', '0-1', '4-5.98', '11-14']);
  assert.deepEqual(spans(stretchRows(ROWS, [2], 1000, 0.5).rows).slice(2, 3), ['4-4.495']);
  assert.deepEqual(spans(stretchRows(ROWS, [2], 100000, 2).rows).slice(2, 3), ['0-0']);
});

test('an added setting holds the value given from the pass on, after every row', () => {
  const { rows, selection } = addSetting(ROWS, { target: 'wave.amplitude', type: 'short' }, passMs(61), '-3', -3);
  assert.deepEqual(selection, [4]);
  assert.deepEqual(rows[4].tokens, { start: '1.016', end: '2.016', type: 'short', target: 'wave.amplitude', from: '-3', to: '-3' });
  assert.equal(rows[4].from, -3);
});

test('lanes are grouped by object in order and know where each row loses to a later one', () => {
  const rows = [
    row('0 10 unsigned_char layer_3.amount 0 255'), row('0 1 char landscape.enabled 1 1'),
    row('4 6 unsigned_char layer_3.amount 9 9'), row('0 196 float wave.phase clock'),
    row('5 20 unsigned_char layer_3.amount 1 1'), row('0 1 unsigned_char layer_11.visible 1 1'),
    row('2 3 unsigned_char layer_3.amount 1 1'), row('0 1 unsigned_char layer_10.visible 1 1'),
  ];
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
  const two = visibleLines(buildLanes([...ROWS, row('0 1 unsigned_char layer_3.visible 1 1')]), new Set());
  assert.deepEqual(two.map((l) => l.heading ?? l.lane.target),
    ['wave', 'wave.phase', 'layer 2', 'layer 2.amount', 'layer 3', 'layer 3.amount', 'layer 3.visible']);
  assert.equal(two[4].count, 2);
  assert.deepEqual(lines.map((l) => l.heading ?? l.lane.target),
    ['landscape', 'landscape.enabled', 'wave', 'layer 3', 'layer 10', 'layer 10.visible', 'layer 11', 'layer 11.visible']);
});

test('the winning parts of 65,535 overlapping rows on one field', () => {
  const many = [];
  for (let i = 0; i < 65535; ++i) many.push(row(`${(i * 0.003).toFixed(3)} ${(i * 0.003 + 0.5).toFixed(3)} float wave.frequency 1 1`));
  const [lane] = buildLanes(many);
  // Each row wins from its start to the next one's: the heap never scans what it holds.
  assert.deepEqual(lane.parts.get(100), [[many[100].start, many[101].start]]);
  assert.deepEqual(lane.parts.get(65534), [[many[65534].start, many[65534].end]]);
});

test('edges snap to rows, the playhead and cuts within a few pixels, else to the pass grid', () => {
  const targets = snapTargets(ROWS, new Set([2]), passMs(300), [8000]);
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
