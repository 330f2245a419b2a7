// The timeline's edit operations as pure functions: each reads the model's rows (in
// registration order) and returns the edit for the model's one entry point, { label, changes },
// with `select`, the ids of the existing rows the selection should follow (the rows an edit
// inserts are selected by the ids the model gives them). Columns an edit does not change are
// not touched, so that they keep their text as written.
//
// Times are whole milliseconds of the show's clock here: the clock counts milliseconds, so an
// edge put on a millisecond lands where a pass can meet it, and its text is short.
import { formatNumber } from './numbers.js';

// The text of a time of `ms` milliseconds, as the clock's float seconds (ms / 1000) read back.
export const timeText = (ms) => formatNumber(Math.fround(ms / 1000));

// A row's edge in whole milliseconds (the nearest one; times written by hand may lie between).
export const msOf = (seconds) => Math.round(seconds * 1000);

const byIds = (rows, ids) => {
  const wanted = new Set(ids);
  return rows.filter((row) => wanted.has(row.id));
};

// The change that puts a row's edges at `startMs` and `endMs`; an edge that keeps its
// millisecond keeps its text. Null when neither moves.
function span(row, startMs, endMs) {
  const values = {};
  if (msOf(row.start) !== startMs) values.start = timeText(startMs);
  if (msOf(row.end) !== endMs) values.end = timeText(endMs);
  return Object.keys(values).length ? { set: row.id, values } : null;
}

const edit = (label, changes, select = []) => ({ label, changes: changes.filter(Boolean), select });

// Moves the rows `ids` by `deltaMs`, no earlier than the show's start.
export function moveRows(rows, ids, deltaMs) {
  const chosen = byIds(rows, ids);
  if (chosen.length === 0) return edit('move', []);
  const earliest = Math.min(...chosen.map((row) => msOf(row.start)));
  const delta = Math.max(deltaMs, -earliest);
  return edit('move', chosen.map((row) => span(row, msOf(row.start) + delta, msOf(row.end) + delta)),
    chosen.map((row) => row.id));
}

// Puts one edge ('start' or 'end') of row `id` at `ms`, held between the show's start and the
// other edge so that the row stays one the parser takes.
export function setEdge(rows, id, edge, ms) {
  const [row] = byIds(rows, [id]);
  const start = msOf(row.start);
  const end = msOf(row.end);
  const change = edge === 'start'
    ? span(row, Math.min(Math.max(ms, 0), end), end)
    : span(row, start, Math.max(ms, start));
  return edit(`drag ${edge}`, [change], [id]);
}

export function removeRows(rows, ids) {
  return edit('delete', byIds(rows, ids).map((row) => ({ remove: row.id })));
}

// The rows `ids` for the clipboard, in their order, with the earliest start among them.
export function copyRows(rows, ids) {
  const chosen = byIds(rows, ids).map((row) => ({ ...row, text: { ...row.text } }));
  const originMs = chosen.length ? Math.min(...chosen.map((row) => msOf(row.start))) : 0;
  return { rows: chosen, originMs };
}

// The new row of `row` (a clipboard's) moved by `deltaMs`, onto `target` if given.
function copied(row, deltaMs, target = null) {
  const insert = {
    start: msOf(row.start) + deltaMs === msOf(row.start) ? row.text.start : timeText(msOf(row.start) + deltaMs),
    end: msOf(row.end) + deltaMs === msOf(row.end) ? row.text.end : timeText(msOf(row.end) + deltaMs),
    type: row.text.type,
    target: target ?? row.text.target,
  };
  if (row.clock) return { ...insert, clock: true };
  return { ...insert, from: row.text.from, to: row.text.to };
}

// The clipboard's rows added after all others (so they win where they overlap), moved so that
// its earliest start falls at `atMs`. With `lane` ({ target, type }) and rows of one field only,
// they go onto that lane; that needs the same element type, else the edit is refused with the
// reason.
export function pasteRows(clip, atMs, lane = null) {
  let target = null;
  const fields = new Set(clip.rows.map((row) => row.target));
  if (lane !== null && fields.size === 1 && !fields.has(lane.target)) {
    if (clip.rows.some((row) => row.type !== lane.type)) {
      const refused = `${clip.rows[0].type} rows cannot go onto ${lane.target}, which is ${lane.type}`;
      return { ...edit('paste', []), refused };
    }
    target = lane.target;
  }
  const delta = atMs - clip.originMs;
  return edit('paste', clip.rows.map((row) => ({ insert: copied(row, delta, target) })));
}

// Copies of the rows `ids` added after all others, following them in time (moved by the length
// of their span) so that they are seen beside the originals.
export function duplicateRows(rows, ids) {
  const clip = copyRows(rows, ids);
  if (clip.rows.length === 0) return edit('duplicate', []);
  const lastEnd = Math.max(...clip.rows.map((row) => msOf(row.end)));
  return { ...pasteRows(clip, clip.originMs + Math.max(lastEnd - clip.originMs, 1)), label: 'duplicate' };
}

// Raises (+1) or lowers (-1) each of the rows `ids` past the next row on the same field, the
// order deciding which of two rows wins where both write. A row with no such neighbour, or whose
// neighbour is selected too, stays.
export function reorderRows(rows, ids, direction) {
  const order = rows.slice();
  const chosen = new Set(ids);
  const moved = new Set();
  const sequence = direction > 0 ? rows.slice().reverse() : rows;
  for (const row of sequence) {
    if (!chosen.has(row.id)) continue;
    const at = order.indexOf(row);
    let other = at + direction;
    while (other >= 0 && other < order.length && order[other].target !== row.target) other += direction;
    if (other < 0 || other >= order.length || chosen.has(order[other].id)) continue;
    order.splice(at, 1);
    order.splice(other, 0, row);
    moved.add(row);
  }
  // Each moved row goes before the next row in the new order that stays where it was.
  const changes = [];
  order.forEach((row, k) => {
    if (!moved.has(row)) return;
    const next = order.slice(k + 1).find((later) => !moved.has(later));
    changes.push(next ? { move: row.id, before: next.id } : { move: row.id });
  });
  return edit(direction > 0 ? 'raise' : 'lower', changes, ids);
}

// Inserts `lengthMs` of time at `atMs`: every edge at or after it moves later by that much.
export function insertTime(rows, atMs, lengthMs) {
  const shift = (ms) => (ms >= atMs ? ms + lengthMs : ms);
  return edit('insert time', rows.map((row) => span(row, shift(msOf(row.start)), shift(msOf(row.end)))));
}

// Removes `lengthMs` of time from `atMs` on: edges after the removed span move earlier by its
// length, edges inside it move to `atMs`, and rows lying wholly inside it (whose time is gone)
// are removed.
export function removeTime(rows, atMs, lengthMs) {
  const stop = atMs + lengthMs;
  const shift = (ms) => (ms <= atMs ? ms : ms >= stop ? ms - lengthMs : atMs);
  return edit('remove time', rows.map((row) => {
    const start = msOf(row.start);
    const end = msOf(row.end);
    if (start >= atMs && end <= stop) return { remove: row.id };
    return span(row, shift(start), shift(end));
  }));
}

// Stretches the rows `ids` in time about `aboutMs` by `factor` (2 doubles every distance from
// it, 0.5 halves it), no earlier than the show's start.
export function stretchRows(rows, ids, aboutMs, factor) {
  const place = (ms) => Math.max(0, Math.round(aboutMs + (ms - aboutMs) * factor));
  const chosen = byIds(rows, ids);
  return edit('stretch', chosen.map((row) => {
    const start = place(msOf(row.start));
    return span(row, start, Math.max(start, place(msOf(row.end))));
  }), chosen.map((row) => row.id));
}

// A setting (equal keys) of `value` (its text) on `lane` ({ target, type }) from `atMs` for
// `lengthMs`, added after all others so that it wins there.
export function addSetting(lane, atMs, value, lengthMs = 1000) {
  return edit('add', [{
    insert: {
      start: timeText(atMs), end: timeText(atMs + lengthMs), type: lane.type, target: lane.target,
      from: value, to: value,
    },
  }]);
}
