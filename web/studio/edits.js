// The timeline's edit operations as pure functions on the script's rows: each takes the rows (in
// registration order, never changed in place) and returns { rows, selection }, the new rows and
// the indices of the rows the edit made or moved, for the selection to follow them. Rows that an
// edit does not touch are passed through as the same objects, so that they write back as written.
//
// Times are whole milliseconds of the show's clock here: the clock counts milliseconds, so an edge
// put on a millisecond lands where a pass can meet it, and its text is short.

// The shortest fixed decimal that reads back as the same single-precision float.
export function numberText(value) {
  const single = Math.fround(value);
  if (Object.is(single, -0)) return '0';
  for (let digits = 0; digits <= 60; ++digits) {
    const text = single.toFixed(digits);
    if (Math.fround(Number(text)) === single) return text;
  }
  return String(single);
}

// The text and value of a time of `ms` milliseconds, as the clock's float seconds (ms / 1000).
export function timeAt(ms) {
  const seconds = Math.fround(ms / 1000);
  return { value: seconds, text: numberText(seconds) };
}

// A row's edge in whole milliseconds (the nearest one; times written by hand may lie between).
export const msOf = (seconds) => Math.round(seconds * 1000);

// A copy of `row` with new edges in milliseconds; an edge that keeps its millisecond keeps its text.
export function withSpan(row, startMs, endMs) {
  const start = msOf(row.start) === startMs ? { value: row.start, text: row.tokens.start } : timeAt(startMs);
  const end = msOf(row.end) === endMs ? { value: row.end, text: row.tokens.end } : timeAt(endMs);
  return { ...row, start: start.value, end: end.value, tokens: { ...row.tokens, start: start.text, end: end.text } };
}

const sorted = (selection) => [...new Set(selection)].sort((a, b) => a - b);

// Moves the selected rows by `deltaMs`, no earlier than the show's start.
export function moveRows(rows, selection, deltaMs) {
  const chosen = sorted(selection);
  if (chosen.length === 0) return { rows, selection: [] };
  const earliest = Math.min(...chosen.map((i) => msOf(rows[i].start)));
  const delta = Math.max(deltaMs, -earliest);
  const next = rows.slice();
  for (const i of chosen) next[i] = withSpan(rows[i], msOf(rows[i].start) + delta, msOf(rows[i].end) + delta);
  return { rows: next, selection: chosen };
}

// Puts one edge ('start' or 'end') of row `index` at `ms`, held between the show's start and the
// other edge so that the row stays one the parser takes.
export function setEdge(rows, index, edge, ms) {
  const row = rows[index];
  const start = msOf(row.start);
  const end = msOf(row.end);
  const next = rows.slice();
  next[index] = edge === 'start'
    ? withSpan(row, Math.min(Math.max(ms, 0), end), end)
    : withSpan(row, start, Math.max(ms, start));
  return { rows: next, selection: [index] };
}

export function removeRows(rows, selection) {
  const gone = new Set(selection);
  return { rows: rows.filter((_, i) => !gone.has(i)), selection: [] };
}

// The selected rows for the clipboard, in their order, with the earliest start they have.
export function copyRows(rows, selection) {
  const chosen = sorted(selection).map((i) => rows[i]);
  const originMs = chosen.length ? Math.min(...chosen.map((row) => msOf(row.start))) : 0;
  return { rows: chosen, originMs };
}

// The clipboard's rows added after all others (so they win where they overlap), moved so that its
// earliest start falls at `atMs`. With `lane` ({ target, type }) and rows of one field only, they
// go onto that lane instead; that needs the same element type, else nothing is pasted and the
// reason is given.
export function pasteRows(rows, clip, atMs, lane = null) {
  if (clip.rows.length === 0) return { rows, selection: [] };
  let retarget = null;
  if (lane !== null && new Set(clip.rows.map((row) => row.target)).size === 1 && clip.rows[0].target !== lane.target) {
    if (clip.rows.some((row) => row.type !== lane.type)) {
      return { rows, selection: [], refused: `${clip.rows[0].type} rows cannot go onto ${lane.target}, which is ${lane.type}` };
    }
    retarget = lane.target;
  }
  const delta = atMs - clip.originMs;
  const added = clip.rows.map((row) => {
    const moved = withSpan(row, msOf(row.start) + delta, msOf(row.end) + delta);
    return retarget === null ? moved : { ...moved, target: retarget, tokens: { ...moved.tokens, target: retarget } };
  });
  return { rows: [...rows, ...added], selection: added.map((_, k) => rows.length + k) };
}

// Copies of the selected rows added after all others, following the selection in time (moved by
// the length of its span) so that they are seen beside the originals.
export function duplicateRows(rows, selection) {
  const clip = copyRows(rows, selection);
  if (clip.rows.length === 0) return { rows, selection: [] };
  const lastEnd = Math.max(...clip.rows.map((row) => msOf(row.end)));
  const length = Math.max(lastEnd - clip.originMs, 1);
  return pasteRows(rows, clip, clip.originMs + length);
}

// Raises (+1) or lowers (-1) each selected row past the next row on the same field, the order
// deciding which of two rows wins where both write. A row with no such neighbour stays.
export function reorderRows(rows, selection, direction) {
  const next = rows.slice();
  const chosen = sorted(selection);
  const position = new Map(chosen.map((i) => [rows[i], i]));
  const order = direction > 0 ? chosen.reverse() : chosen;
  for (const row of order) {
    let at = next.indexOf(rows[row]);
    let other = at + direction;
    while (other >= 0 && other < next.length && next[other].target !== next[at].target) other += direction;
    if (other < 0 || other >= next.length || position.has(next[other])) continue;
    const [taken] = next.splice(at, 1);
    next.splice(other, 0, taken);
    at = other;
  }
  return { rows: next, selection: chosen.map((i) => next.indexOf(rows[i])).sort((a, b) => a - b) };
}

// Inserts `lengthMs` of time at `atMs`: every edge at or after it moves later by that much.
export function insertTime(rows, atMs, lengthMs) {
  const shift = (ms) => (ms >= atMs ? ms + lengthMs : ms);
  const next = rows.map((row) => {
    const start = msOf(row.start);
    const end = msOf(row.end);
    return shift(start) === start && shift(end) === end ? row : withSpan(row, shift(start), shift(end));
  });
  return { rows: next, selection: [] };
}

// Removes `lengthMs` of time from `atMs` on: edges after the removed span move earlier by its
// length, edges inside it move to `atMs`, and rows lying wholly inside it (whose time is gone)
// are removed.
export function removeTime(rows, atMs, lengthMs) {
  const stop = atMs + lengthMs;
  const shift = (ms) => (ms <= atMs ? ms : ms >= stop ? ms - lengthMs : atMs);
  const next = [];
  for (const row of rows) {
    const start = msOf(row.start);
    const end = msOf(row.end);
    if (start >= atMs && end <= stop && lengthMs > 0) continue;
    next.push(shift(start) === start && shift(end) === end ? row : withSpan(row, shift(start), shift(end)));
  }
  return { rows: next, selection: [] };
}

// Stretches the selected rows in time about `aboutMs` by `factor` (2 doubles every distance from
// it, 0.5 halves it), no earlier than the show's start.
export function stretchRows(rows, selection, aboutMs, factor) {
  const chosen = sorted(selection);
  const next = rows.slice();
  const place = (ms) => Math.max(0, Math.round(aboutMs + (ms - aboutMs) * factor));
  for (const i of chosen) {
    const start = place(msOf(rows[i].start));
    next[i] = withSpan(rows[i], start, Math.max(start, place(msOf(rows[i].end))));
  }
  return { rows: next, selection: chosen };
}

// A setting (equal keys) of `valueText` on `lane` ({ target, type }) from `atMs` for `lengthMs`,
// added after all others so that it wins there.
export function addSetting(rows, lane, atMs, valueText, value, lengthMs = 1000) {
  const start = timeAt(atMs);
  const end = timeAt(atMs + lengthMs);
  const row = {
    start: start.value, end: end.value, type: lane.type, target: lane.target, from: value, to: value, clock: false,
    tokens: { start: start.text, end: end.text, type: lane.type, target: lane.target, from: valueText, to: valueText },
  };
  return { rows: [...rows, row], selection: [rows.length] };
}
