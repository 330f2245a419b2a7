// The timeline's mouse: scrubbing on the ruler and the waveform, folding the groups, selecting
// rows (click, Shift or Ctrl to add, a rectangle from empty lane space), dragging bars and their
// ends with snapping (Shift off), double-click to add a setting, and the wheel to scroll and zoom.
import { moveRows, setEdge, addSetting, msOf } from './edits.js';
import { snapTargets, snapMs, snapShift } from './timeline_snap.js';
import {
  NAMES_WIDTH, TOP, xOf, secondsAt, lineAt, nearestPass, zoomAt, scrollTime, scrollLines,
} from './timeline_view.js';
import { passMs } from './numbers.js';

const EDGE_PIXELS = 5;     // how near a bar's end a press takes the end rather than the bar
const DRAG_PIXELS = 3;     // how far the mouse goes before a press becomes a drag

// The row on `lane` under x, with which part of it: of the bars under x the last in order (the
// one drawn on top), else a bar whose end is within a few pixels.
function rowAt(timeline, lane, x) {
  const { view, rows } = timeline.state;
  let near = null;
  for (let k = lane.rows.length - 1; k >= 0; --k) {
    const i = lane.rows[k];
    const x0 = xOf(view, rows[i].start);
    const x1 = Math.max(xOf(view, rows[i].end), x0 + 3);
    if (x < x0 - EDGE_PIXELS || x > x1 + EDGE_PIXELS) continue;
    const wide = x1 - x0 >= 4 * EDGE_PIXELS;
    let edge = 'bar';
    if (wide && Math.abs(x - x0) <= EDGE_PIXELS) edge = 'start';
    else if (wide && Math.abs(x - x1) <= EDGE_PIXELS) edge = 'end';
    if (x >= x0 && x <= x1) return { index: i, part: edge };
    if (near === null && edge !== 'bar') near = { index: i, part: edge };
  }
  return near;
}

const playheadMs = (timeline) => passMs(timeline.state.playheadPass);

function pointerDown(timeline, event) {
  const { state } = timeline;
  const { x, y } = timeline.position(event);
  const base = { x, y, moved: false, shift: event.shiftKey, add: event.shiftKey || event.ctrlKey || event.metaKey };
  if (y < TOP) {
    if (x < NAMES_WIDTH) return;
    timeline.drag = { ...base, kind: 'scrub' };
    timeline.scrubTo(x);
    return;
  }
  const line = state.lines[lineAt(state.view, y)];
  if (line?.heading) {
    if (state.folded.has(line.heading)) state.folded.delete(line.heading);
    else state.folded.add(line.heading);
    timeline.relayout();
    return;
  }
  if (line?.lane) state.lane = line.lane;
  if (line?.lane && x < NAMES_WIDTH) {
    timeline.redraw();  // a lane's name picks it for pasting; the selection stays
    return;
  }
  const hit = line?.lane && x >= NAMES_WIDTH ? rowAt(timeline, line.lane, x) : null;
  if (hit === null) {
    if (!base.add) state.selection.clear();
    timeline.drag = { ...base, kind: 'band', before: new Set(state.selection) };
    timeline.selectionChanged();
    return;
  }
  const id = state.rows[hit.index].id;
  if (event.ctrlKey || event.metaKey) {
    if (state.selection.has(id)) state.selection.delete(id);
    else state.selection.add(id);
  } else if (event.shiftKey) {
    state.selection.add(id);
  } else if (!state.selection.has(id)) {
    state.selection = new Set([id]);
  }
  timeline.selectionChanged();
  if (!state.selection.has(id)) return;
  const moving = hit.part === 'bar' ? new Set(state.selection) : new Set([id]);
  timeline.drag = {
    ...base, kind: hit.part, index: hit.index, id, moving, spans: new Map(), delta: 0,
    movingIndices: state.rows.filter((row) => moving.has(row.id)).map((row) => row.index),
    targets: snapTargets(state.rows, moving, playheadMs(timeline), state.cutsMs),
  };
}

function pointerMove(timeline, event) {
  const drag = timeline.drag;
  if (!drag) return;
  const { state } = timeline;
  const { view, rows } = state;
  const { x, y } = timeline.position(event);
  if (!drag.moved && Math.abs(x - drag.x) < DRAG_PIXELS && Math.abs(y - drag.y) < DRAG_PIXELS) return;
  drag.moved = true;
  const snap = !event.shiftKey;
  if (drag.kind === 'scrub') {
    timeline.scrubTo(x);
    return;
  }
  if (drag.kind === 'band') {
    drag.x1 = x;
    drag.y1 = y;
    state.band = { x0: drag.x, y0: drag.y, x1: x, y1: y };
    state.selection = new Set(drag.before);
    for (const i of rowsInBand(timeline, drag.x, drag.y, x, y)) state.selection.add(rows[i].id);
    timeline.selectionChanged();
    return;
  }
  const row = rows[drag.index];
  const deltaMs = ((x - drag.x) / view.pxPerSecond) * 1000;
  drag.spans.clear();
  if (drag.kind === 'bar') {
    const earliest = Math.min(...drag.movingIndices.map((i) => msOf(rows[i].start)));
    const shift = snapShift(msOf(row.start), msOf(row.end), deltaMs, drag.targets, view.pxPerSecond, snap);
    drag.delta = Math.max(shift, -earliest);
    for (const i of drag.movingIndices) {
      drag.spans.set(i, [(msOf(rows[i].start) + drag.delta) / 1000, (msOf(rows[i].end) + drag.delta) / 1000]);
    }
  } else {
    const at = snapMs(msOf(row[drag.kind]) + deltaMs, drag.targets, view.pxPerSecond, snap);
    drag.at = drag.kind === 'start' ? Math.min(Math.max(at, 0), msOf(row.end)) : Math.max(at, msOf(row.start));
    drag.spans.set(drag.index, drag.kind === 'start' ? [drag.at / 1000, row.end] : [row.start, drag.at / 1000]);
  }
  state.drag = drag;
  timeline.redraw();
}

function pointerUp(timeline) {
  const drag = timeline.drag;
  if (!drag) return;
  timeline.drag = null;
  const { state } = timeline;
  state.drag = null;
  state.band = null;
  if (drag.kind === 'scrub') {
    timeline.scrubEnd();
    return;
  }
  if (drag.kind === 'band') {
    timeline.selectionChanged();
    return;
  }
  if (!drag.moved) {
    // A plain click on one of several selected rows keeps only it.
    if (!drag.add && state.selection.size > 1) state.selection = new Set([drag.id]);
    timeline.selectionChanged();
    return;
  }
  if (drag.kind === 'bar' && drag.delta !== 0) {
    timeline.edit(moveRows(state.rows, [...drag.moving], drag.delta));
  } else if (drag.kind !== 'bar' && drag.at !== msOf(state.rows[drag.index][drag.kind])) {
    timeline.edit(setEdge(state.rows, drag.id, drag.kind, drag.at));
  } else {
    timeline.redraw();
  }
}

// The rows whose bars meet the rectangle between (x0, y0) and (x1, y1).
export function rowsInBand(timeline, x0, y0, x1, y1) {
  const { view, rows, lines } = timeline.state;
  const from = secondsAt(view, Math.min(x0, x1));
  const to = secondsAt(view, Math.max(x0, x1));
  const found = [];
  const first = Math.max(0, lineAt(view, Math.min(y0, y1)));
  const last = Math.min(lines.length - 1, lineAt(view, Math.max(y0, y1)));
  for (let k = first; k <= last; ++k) {
    const lane = lines[k].lane;
    if (!lane) continue;
    for (const i of lane.rows) if (rows[i].end >= from && rows[i].start <= to) found.push(i);
  }
  return found;
}

function doubleClick(timeline, event) {
  const { state } = timeline;
  const { x, y } = timeline.position(event);
  if (x < NAMES_WIDTH || y < TOP) return;
  const line = state.lines[lineAt(state.view, y)];
  if (!line?.lane || rowAt(timeline, line.lane, x) !== null) return;
  const pass = nearestPass(Math.max(0, secondsAt(state.view, x) * 1000));
  const value = timeline.host.valueAt(state.rows[line.lane.rows[0]], pass);
  timeline.host.seek(pass);
  if (value !== null) timeline.edit(addSetting(line.lane, passMs(pass), value));
}

function wheel(timeline, event) {
  event.preventDefault();
  const { state } = timeline;
  const { x } = timeline.position(event);
  if (event.ctrlKey || event.metaKey) {
    zoomAt(state.view, Math.max(x, NAMES_WIDTH), Math.exp(-event.deltaY * 0.002));
  } else if (event.shiftKey || Math.abs(event.deltaX) > Math.abs(event.deltaY)) {
    scrollTime(state.view, event.shiftKey ? event.deltaY : event.deltaX);
  } else {
    scrollLines(state.view, event.deltaY, state.lines.length);
  }
  timeline.redraw();
}

export function listen(timeline, canvas) {
  canvas.addEventListener('pointerdown', (event) => {
    if (event.button !== 0) return;
    canvas.setPointerCapture(event.pointerId);
    canvas.focus();
    pointerDown(timeline, event);
  });
  canvas.addEventListener('pointermove', (event) => pointerMove(timeline, event));
  canvas.addEventListener('pointerup', () => pointerUp(timeline));
  canvas.addEventListener('pointercancel', () => pointerUp(timeline));
  canvas.addEventListener('dblclick', (event) => doubleClick(timeline, event));
  canvas.addEventListener('wheel', (event) => wheel(timeline, event), { passive: false });
}
