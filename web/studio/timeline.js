// The timeline: a canvas of the script's rows on lanes, kept in step with the studio's model. Its
// state is one plain object; the drawing, the mouse, the keys, the lanes, the geometry and the
// snapping are modules of their own, and every edit goes to the model through `host.apply`.
//
// `host` is what the studio gives it: rows() (the model's rows), apply(edit) (the model's entry
// point: { ok, ids } or { ok: false, error }), refused(reason) (shows why an edit was not
// taken), seek(pass) (the exact frame at a pass), valueAt(row, pass) (the value of the field
// `row` writes at a pass, as a key's text, or null) and cutsMs() (the cuts).
import { buildLanes, visibleLines } from './timeline_lanes.js';
import { drawTimeline } from './timeline_draw.js';
import { listen } from './timeline_input.js';
import { listenKeys } from './timeline_keys.js';
import { wavePeaks } from './timeline_wave.js';
import { ScrubGrains } from './scrub_grains.js';
import {
  makeView, clampTime, scrollLines, secondsAt, nearestPass, xOf, timeWidth, NAMES_WIDTH,
} from './timeline_view.js';
import { passMs } from './numbers.js';

const SHOW_SECONDS = 196;

export class Timeline {
  constructor(canvas, host) {
    this.canvas = canvas;
    this.host = host;
    this.ctx = canvas.getContext('2d', { alpha: false });
    this.drag = null;
    this.clipboard = null;
    this.grains = new ScrubGrains();
    this.listeners = [];  // told the selected rows when the selection or the rows change
    this.music = null;
    this.frame = 0;
    this.state = {
      view: makeView(canvas.clientWidth || 800, canvas.clientHeight || 300, SHOW_SECONDS),
      rows: [], lanes: [], lines: [], selection: new Set(), selectedRows: [], folded: new Set(), lane: null,
      playheadPass: 0, cutsMs: [], peaks: null, drag: null, band: null,
      drawn: 0, drawMs: 0,  // frames drawn and the last one's time, for the benchmark
    };
    this.resize();
    new ResizeObserver(() => this.resize()).observe(canvas);
    listen(this, canvas);
    listenKeys(this, document);
    this.setRows(host.rows());
  }

  resize() {
    const ratio = window.devicePixelRatio || 1;
    const width = this.canvas.clientWidth;
    const height = this.canvas.clientHeight;
    if (width === 0 || height === 0) return;
    this.canvas.width = Math.round(width * ratio);
    this.canvas.height = Math.round(height * ratio);
    this.ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
    const view = this.state.view;
    const wasWhole = view.pxPerSecond <= timeWidth(view) / view.showSeconds + 1e-9;
    view.width = width;
    view.height = height;
    if (wasWhole) view.pxPerSecond = 0;  // the whole show stays in view
    clampTime(view);
    scrollLines(view, 0, this.state.lines.length);
    this.draw();
  }

  // The model's rows, after an edit, an undo or a text edit: the lanes built again, the selection
  // kept to the rows that are still there.
  setRows(rows) {
    const { state } = this;
    state.rows = rows;
    state.lanes = buildLanes(rows);
    state.cutsMs = this.host.cutsMs();
    const reach = rows.reduce((most, row) => Math.max(most, row.end), SHOW_SECONDS);
    state.view.showSeconds = Math.max(SHOW_SECONDS, reach);
    const ids = new Set(rows.map((row) => row.id));
    state.selection = new Set([...state.selection].filter((id) => ids.has(id)));
    if (state.lane) state.lane = state.lanes.find((lane) => lane.target === state.lane.target) ?? null;
    this.relayout();
    this.selectionChanged();
  }

  relayout() {
    const { state } = this;
    state.lines = visibleLines(state.lanes, state.folded);
    clampTime(state.view);
    scrollLines(state.view, 0, state.lines.length);
    this.redraw();
  }

  // The music decoded: its waveform on the ruler and its grains while scrubbing.
  setMusic(buffer) {
    this.music = buffer;
    this.state.peaks = buffer ? wavePeaks(buffer) : null;
    this.redraw();
  }

  // Where the show is. A playhead that leaves the view (playing on, or sent elsewhere by a key)
  // brings the view along: playing, a page further on; sent, to a third of the view's width.
  setPlayhead(pass, playing = false) {
    const { state } = this;
    if (pass === state.playheadPass) return;
    state.playheadPass = pass;
    const seconds = passMs(pass) / 1000;
    const x = xOf(state.view, seconds);
    if (x < NAMES_WIDTH || x > state.view.width - 10) {
      state.view.left = playing ? seconds : seconds - timeWidth(state.view) / state.view.pxPerSecond / 3;
      clampTime(state.view);
    }
    this.redraw();
  }

  // An edit from edits.js to the model; the rows it moved or made are selected after it. A
  // refused one (by the edit itself or by the parser) shows its reason and changes nothing.
  edit(edit) {
    if (edit.refused) {
      this.host.refused(edit.refused);
      return false;
    }
    if (edit.changes.length === 0) return false;
    const outcome = this.host.apply({ label: edit.label, changes: edit.changes });
    if (!outcome.ok) {
      this.host.refused(`${edit.label}: ${outcome.error}`);
      return false;
    }
    this.host.refused('');
    this.state.selection = new Set([...edit.select, ...outcome.ids]);
    this.selectionChanged();
    return true;
  }

  scrubTo(x) {
    const ms = Math.max(0, secondsAt(this.state.view, x) * 1000);
    const pass = Math.min(nearestPass(ms), nearestPass(this.state.view.showSeconds * 1000));
    this.state.playheadPass = pass;
    this.host.seek(pass);
    this.grains.play(this.music, passMs(pass) / 1000);
    this.redraw();
  }

  scrubEnd() {
    this.redraw();
  }

  onSelection(listener) {
    this.listeners.push(listener);
  }

  selectionChanged() {
    const { state } = this;
    const ids = state.selection;
    state.selectedRows = ids.size ? state.rows.filter((row) => ids.has(row.id)) : [];
    for (const listener of this.listeners) listener(state.selectedRows);
    this.redraw();
  }

  // A drawing at the browser's next frame (several changes in one frame draw once).
  redraw() {
    if (this.frame !== 0) return;
    this.frame = requestAnimationFrame(() => {
      this.frame = 0;
      this.draw();
    });
  }

  draw() {
    const begin = performance.now();
    drawTimeline(this.ctx, this.state);
    this.state.drawMs = performance.now() - begin;
    this.state.drawn += 1;
  }

  position(event) {
    const box = this.canvas.getBoundingClientRect();
    return { x: event.clientX - box.left, y: event.clientY - box.top };
  }
}
