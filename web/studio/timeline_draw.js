// Draws the timeline on its canvas from its state: the ruler, the music's waveform, the cuts, the
// lanes with their rows as bars and the playhead. Only what is in view is drawn: the lines in
// the canvas's height and, on each, the rows in its time, one bar per pixel column at most.
import {
  NAMES_WIDTH, RULER_HEIGHT, WAVE_HEIGHT, TOP, LINE_HEIGHT, PASS_FPS, xOf, visibleSeconds, visibleLineRange, lineTop,
} from './timeline_view.js';
import { passMs } from './numbers.js';

const COLOURS = {
  background: '#15161a', names: '#1d1f25', heading: '#262933', grid: '#2a2d36', text: '#c8cad0', faint: '#80848f',
  ruler: '#202229', wave: '#4d7ea8', cut: '#f0c060', playhead: '#ff5050', setting: '#5aa469', ramp: '#5c8fd6',
  clock: '#b07cd8', selected: '#ffffff', band: 'rgba(120, 160, 255, 0.18)', picked: '#2f3a52',
};
// The bars' colours a third of the way from the background: opaque, so that dimmed rows drawn
// over each other stay one shade.
const DIMMED = { setting: '#34603f', ramp: '#34507a', clock: '#5a4170' };
const BAR_TOP = 6;  // the bars below the band of losing parts

// A tick spacing in seconds giving at least `minPixels` between ticks.
function tickStep(pxPerSecond, minPixels) {
  const steps = [1 / PASS_FPS, 5 / PASS_FPS, 0.25, 0.5, 1, 2, 5, 10, 15, 30, 60];
  return steps.find((s) => s * pxPerSecond >= minPixels) ?? 120;
}

function label(seconds, step) {
  if (step < 0.25) return `${Math.round(seconds * PASS_FPS)}`;  // pass numbers when zoomed to passes
  const minutes = Math.floor(seconds / 60);
  const rest = seconds - minutes * 60;
  const text = step < 1 ? rest.toFixed(2) : String(Math.round(rest));
  return `${minutes}:${text.padStart(step < 1 ? 5 : 2, '0')}`;
}

function drawRuler(ctx, view) {
  ctx.fillStyle = COLOURS.ruler;
  ctx.fillRect(NAMES_WIDTH, 0, view.width - NAMES_WIDTH, RULER_HEIGHT);
  const [from, to] = visibleSeconds(view);
  const step = tickStep(view.pxPerSecond, 70);
  ctx.fillStyle = COLOURS.faint;
  ctx.font = '11px sans-serif';
  ctx.textBaseline = 'top';
  for (let k = Math.ceil(from / step); k * step <= to; ++k) {
    const x = Math.round(xOf(view, k * step)) + 0.5;
    ctx.fillRect(x, RULER_HEIGHT - 8, 1, 8);
    ctx.fillText(label(k * step, step), x + 3, 3);
  }
  return step;
}

// The waveform from `peaks` ({ perSecond, min: Float32Array, max: Float32Array }), one column a pixel.
function drawWave(ctx, view, peaks) {
  const mid = RULER_HEIGHT + WAVE_HEIGHT / 2;
  ctx.fillStyle = '#181a20';
  ctx.fillRect(NAMES_WIDTH, RULER_HEIGHT, view.width - NAMES_WIDTH, WAVE_HEIGHT);
  if (!peaks) return;
  ctx.fillStyle = COLOURS.wave;
  const count = peaks.min.length;
  for (let x = NAMES_WIDTH; x < view.width; ++x) {
    const a = Math.max(0, Math.floor((view.left + (x - NAMES_WIDTH) / view.pxPerSecond) * peaks.perSecond));
    const b = Math.min(count, Math.ceil((view.left + (x + 1 - NAMES_WIDTH) / view.pxPerSecond) * peaks.perSecond));
    let low = 0;
    let high = 0;
    for (let i = a; i < Math.max(b, a + 1) && i < count; ++i) {
      low = Math.min(low, peaks.min[i]);
      high = Math.max(high, peaks.max[i]);
    }
    const top = mid - high * (WAVE_HEIGHT / 2 - 2);
    ctx.fillRect(x, top, 1, Math.max(1, (high - low) * (WAVE_HEIGHT / 2 - 2)));
  }
}

// The height of `value` within the lane's range of keys, 0 at its bottom, 1 at its top.
const level = (value, range) => (range.high > range.low ? (value - range.low) / (range.high - range.low) : 0.5);

// The kind of bar a row is drawn as, which picks its colour.
const kindOf = (row) => (row.clock ? 'clock' : row.from === row.to ? 'setting' : 'ramp');

// A rectangle added to a run of x, y, width and height; one that touches the run's last one
// at the same height joins it, so that a row of settings is one rectangle.
function pushRect(list, x, y, width, height) {
  const k = list.length - 4;
  if (k >= 0 && list[k + 1] === y && list[k + 3] === height && x <= list[k] + list[k + 2] + 1) {
    list[k + 2] = Math.max(list[k] + list[k + 2], x + width) - list[k];
    return;
  }
  list.push(x, y, width, height);
}

// The part of `row`'s bar between the seconds `a` and `b` on a line whose top is y, added to the
// shapes of its kind in `shapes`: a setting or a clock row a flat bar, a ramp its slope, or where
// the part is under two pixels wide, a pixel column as high as the ramp there.
function addPart(shapes, view, row, a, b, y, range) {
  const x0 = xOf(view, a);
  const width = Math.max(1, xOf(view, b) - x0);
  const top = y + BAR_TOP;
  const height = LINE_HEIGHT - BAR_TOP - 2;
  const kind = kindOf(row);
  if (kind !== 'ramp') {
    pushRect(shapes[kind], x0, top, width, height);
    return;
  }
  const at = (t) => {
    const u = row.end > row.start ? (t - row.start) / (row.end - row.start) : 0;
    return top + height - Math.max(1, level(row.from + (row.to - row.from) * u, range) * height);
  };
  shapes.bottom = top + height;
  if (width < 2) {
    const columns = shapes.columns;
    const x = Math.floor(x0);
    const high = Math.min(at(a), at(b));
    const last = columns.length - 2;
    if (last >= 0 && columns[last] === x) columns[last + 1] = Math.min(columns[last + 1], high);
    else columns.push(x, high);
    return;
  }
  const path = shapes.slopes;
  path.moveTo(x0, top + height);
  path.lineTo(x0, at(a));
  path.lineTo(x0 + width, at(b));
  path.lineTo(x0 + width, top + height);
  path.closePath();
}

// Flat bars as runs of rectangles by kind, the narrow parts of ramps as pixel columns (x and
// top, left to right) and the wide ones as slopes, so that a lane is a few shapes to fill.
const newShapes = () => ({ setting: [], ramp: [], clock: [], columns: [], slopes: new Path2D(), bottom: 0 });

function fillShapes(ctx, shapes, colours) {
  for (const kind of ['setting', 'ramp', 'clock']) {
    const list = shapes[kind];
    ctx.fillStyle = colours[kind];
    for (let k = 0; k < list.length; k += 4) ctx.fillRect(list[k], list[k + 1], list[k + 2], list[k + 3]);
  }
  // Neighbouring columns make one outline, a step a column.
  const { columns, slopes, bottom } = shapes;
  for (let k = 0; k < columns.length;) {
    const first = columns[k];
    slopes.moveTo(first, bottom);
    let x = first;
    for (; k < columns.length && columns[k] <= x + 1; k += 2) {
      slopes.lineTo(columns[k], columns[k + 1]);
      slopes.lineTo(columns[k] + 1, columns[k + 1]);
      x = columns[k];
    }
    slopes.lineTo(x + 1, bottom);
    slopes.closePath();
  }
  ctx.fillStyle = colours.ramp;
  ctx.fill(slopes);
}

// The first index of `list` (sorted by `key`) whose key is at least `value`.
function firstFrom(list, value, key) {
  let low = 0;
  let high = list.length;
  while (low < high) {
    const mid = (low + high) >> 1;
    if (key(list[mid]) < value) low = mid + 1;
    else high = mid;
  }
  return low;
}

// One lane: the parts where rows lose to later ones as a dimmed band along its top, the winning
// parts below it, a row of no length as a mark, then the selected rows' outlines (`selected`:
// their indices on this lane). Where many rows share a pixel column, what is already painted
// there is not painted again, so that a lane costs about a shape per pixel column whatever its
// number of rows.
function drawLane(ctx, view, state, lane, y, selected) {
  const { rows } = state;
  const [from, to] = visibleSeconds(view);
  const range = lane.range;
  const lost = newShapes();
  let reach = -Infinity;
  for (const [a, b, i] of lane.lost) {
    if (a > to) break;
    const x1 = xOf(view, b);
    if (b < from || x1 <= reach + 1) continue;
    const x0 = Math.max(xOf(view, a), reach);
    pushRect(lost[kindOf(rows[i])], x0, y + 1, Math.max(1, x1 - x0), BAR_TOP - 2);
    reach = Math.max(reach, x1);
  }
  const bright = newShapes();
  for (const i of lane.points) {
    const row = rows[i];
    if (row.start >= from && row.start <= to) addPart(bright, view, row, row.start, row.end, y, range);
  }
  const labels = [];
  const segments = lane.segments;
  let column = -Infinity;
  const secondsPerPixel = 1 / view.pxPerSecond;
  for (let k = firstFrom(segments, from, (segment) => segment[1]); k < segments.length; ++k) {
    const [a, b, i] = segments[k];
    if (a > to) break;
    const x1 = xOf(view, b);
    addPart(bright, view, rows[i], a, b, y, range);
    column = Math.floor(x1);
    // The segments that end in the same pixel column are passed over with a search.
    const next = view.left + (column + 1 - NAMES_WIDTH) * secondsPerPixel;
    if (k + 1 < segments.length && segments[k + 1][1] < next) {
      k = firstFrom(segments, next, (segment) => segment[1]) - 1;
    }
    const x0 = Math.max(xOf(view, a), NAMES_WIDTH);
    if (x1 - x0 > 34 && kindOf(rows[i]) === 'setting') labels.push(['#0d1a10', rows[i].text.from, x0]);
    else if (x1 - x0 > 44 && rows[i].clock) labels.push(['#1b1020', 'clock', x0]);
  }
  const moving = state.drag?.spans;
  if (moving) {
    // A dragged row drawn where it would go, its keys over its new span.
    for (const [i, [a, b]] of moving) {
      if (lane.target === rows[i].target) addPart(bright, view, { ...rows[i], start: a, end: b }, a, b, y, range);
    }
  }
  ctx.save();
  ctx.beginPath();
  ctx.rect(NAMES_WIDTH, y, view.width - NAMES_WIDTH, LINE_HEIGHT);
  ctx.clip();
  fillShapes(ctx, lost, DIMMED);
  fillShapes(ctx, bright, COLOURS);
  ctx.font = '10px sans-serif';
  ctx.textBaseline = 'top';
  for (const [colour, text, x] of labels) {
    ctx.fillStyle = colour;
    ctx.fillText(text, x + 4, y + BAR_TOP + 1);
  }
  if (selected.length) {
    const outlines = new Path2D();
    column = -Infinity;
    for (const i of selected) {
      const [a, b] = moving?.get(i) ?? [rows[i].start, rows[i].end];
      const x1 = xOf(view, b);
      if (b < from || a > to || (Math.floor(x1) <= column && !moving?.has(i))) continue;
      const x0 = xOf(view, a);
      outlines.rect(x0, y + BAR_TOP - 1, Math.max(2, x1 - x0), LINE_HEIGHT - BAR_TOP);
      column = Math.floor(x1);
    }
    ctx.strokeStyle = COLOURS.selected;
    ctx.lineWidth = 2;
    ctx.stroke(outlines);
  }
  ctx.restore();
}

function drawNames(ctx, view, state, lines, first, last) {
  ctx.fillStyle = COLOURS.names;
  ctx.fillRect(0, TOP, NAMES_WIDTH, view.height - TOP);
  ctx.font = '12px sans-serif';
  ctx.textBaseline = 'middle';
  for (let k = first; k <= last; ++k) {
    const line = lines[k];
    const y = lineTop(view, k);
    if (line.heading) {
      ctx.fillStyle = COLOURS.heading;
      ctx.fillRect(0, y, view.width, LINE_HEIGHT);
      ctx.fillStyle = COLOURS.text;
      const open = !state.folded.has(line.heading);
      ctx.fillText(`${open ? '▾' : '▸'} ${line.heading}  (${line.count})`, 6, y + LINE_HEIGHT / 2);
    } else {
      if (line.lane.target === state.lane?.target) {
        ctx.fillStyle = COLOURS.picked;  // the lane that pastes go onto
        ctx.fillRect(0, y, NAMES_WIDTH, LINE_HEIGHT);
      }
      ctx.fillStyle = COLOURS.text;
      ctx.fillText(line.lane.field, 18, y + LINE_HEIGHT / 2);
      ctx.fillStyle = COLOURS.faint;
      const width = ctx.measureText(line.lane.type).width;
      ctx.fillText(line.lane.type, NAMES_WIDTH - width - 6, y + LINE_HEIGHT / 2);
      ctx.fillStyle = COLOURS.grid;
      ctx.fillRect(0, y + LINE_HEIGHT - 1, view.width, 1);
    }
  }
}

// The whole canvas from `state`: { view, rows, lanes, lines, selectedRows, folded, lane,
// playheadPass, cutsMs, peaks, drag (its rows' spans by row index while dragged), band }.
export function drawTimeline(ctx, state) {
  const { view, lines } = state;
  ctx.fillStyle = COLOURS.background;
  ctx.fillRect(0, 0, view.width, view.height);
  const [first, last] = visibleLineRange(view, lines.length);
  // The grid's lines behind the bars.
  const step = drawRuler(ctx, view);
  const [from, to] = visibleSeconds(view);
  ctx.fillStyle = COLOURS.grid;
  for (let k = Math.ceil(from / step); k * step <= to; ++k) {
    ctx.fillRect(Math.round(xOf(view, k * step)), TOP, 1, view.height - TOP);
  }
  // The selected rows by lane, sorted by start, found from the selection rather than the rows.
  const selected = new Map();
  for (const row of state.selectedRows) {
    if (!selected.has(row.target)) selected.set(row.target, []);
    selected.get(row.target).push(row.index);
  }
  for (const list of selected.values()) list.sort((a, b) => state.rows[a].start - state.rows[b].start);
  for (let k = first; k <= last; ++k) {
    const lane = lines[k].lane;
    if (lane) drawLane(ctx, view, state, lane, lineTop(view, k), selected.get(lane.target) ?? []);
  }
  drawNames(ctx, view, state, lines, first, last);
  ctx.save();
  ctx.beginPath();
  ctx.rect(NAMES_WIDTH, 0, view.width - NAMES_WIDTH, view.height);
  ctx.clip();
  drawWave(ctx, view, state.peaks);
  ctx.fillStyle = COLOURS.cut;
  for (const ms of state.cutsMs) {
    const x = Math.round(xOf(view, ms / 1000));
    ctx.globalAlpha = 0.35;
    ctx.fillRect(x, TOP, 1, view.height - TOP);
    ctx.globalAlpha = 1;
    ctx.beginPath();
    ctx.moveTo(x - 5, 0);
    ctx.lineTo(x + 5, 0);
    ctx.lineTo(x, 8);
    ctx.fill();
  }
  if (state.band) {
    const { x0, y0, x1, y1 } = state.band;
    ctx.fillStyle = COLOURS.band;
    ctx.fillRect(Math.min(x0, x1), Math.min(y0, y1), Math.abs(x1 - x0), Math.abs(y1 - y0));
  }
  const x = Math.round(xOf(view, passMs(state.playheadPass) / 1000));
  ctx.fillStyle = COLOURS.playhead;
  ctx.fillRect(x, 0, 1, view.height);
  ctx.beginPath();
  ctx.moveTo(x - 6, 0);
  ctx.lineTo(x + 7, 0);
  ctx.lineTo(x + 0.5, 10);
  ctx.fill();
  ctx.restore();
}
