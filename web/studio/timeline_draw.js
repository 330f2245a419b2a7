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

// The part of `row`'s bar between the seconds `a` and `b` on a line whose top is y, in `colours`
// (the bright or the dimmed set): a setting flat, a ramp as its slope, a clock row marked.
function drawPart(ctx, view, row, a, b, y, range, colours) {
  const x0 = xOf(view, a);
  const width = Math.max(1, xOf(view, b) - x0);
  const top = y + BAR_TOP;
  const height = LINE_HEIGHT - BAR_TOP - 2;
  if (row.clock) {
    ctx.fillStyle = colours.clock;
    ctx.fillRect(x0, top, width, height);
  } else if (row.from === row.to) {
    ctx.fillStyle = colours.setting;
    ctx.fillRect(x0, top, width, height);
  } else {
    const at = (t) => {
      const u = row.end > row.start ? (t - row.start) / (row.end - row.start) : 0;
      return top + height - Math.max(1, level(row.from + (row.to - row.from) * u, range) * height);
    };
    ctx.fillStyle = colours.ramp;
    ctx.beginPath();
    ctx.moveTo(x0, top + height);
    ctx.lineTo(x0, at(a));
    ctx.lineTo(x0 + width, at(b));
    ctx.lineTo(x0 + width, top + height);
    ctx.closePath();
    ctx.fill();
  }
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
// parts below it, a row of no length as a mark, then the selected rows' outlines. Where many rows
// share a pixel column, what is already painted there is not painted again, so that a lane
// costs about a draw per column whatever its number of rows.
function drawLane(ctx, view, state, lane, y) {
  const { rows, selection } = state;
  const [from, to] = visibleSeconds(view);
  const range = lane.range;
  ctx.save();
  ctx.beginPath();
  ctx.rect(NAMES_WIDTH, y, view.width - NAMES_WIDTH, LINE_HEIGHT);
  ctx.clip();
  let reach = -Infinity;
  for (const [a, b, i] of lane.lost) {
    if (a > to) break;
    const x1 = xOf(view, b);
    if (b < from || x1 <= reach + 1) continue;
    const row = rows[i];
    ctx.fillStyle = row.clock ? DIMMED.clock : row.from === row.to ? DIMMED.setting : DIMMED.ramp;
    const x0 = Math.max(xOf(view, a), reach);
    ctx.fillRect(x0, y + 1, Math.max(1, x1 - x0), BAR_TOP - 2);
    reach = Math.max(reach, x1);
  }
  for (const i of lane.byStart) {
    if (rows[i].start > to) break;
    if (rows[i].start === rows[i].end && rows[i].start >= from) {
      drawPart(ctx, view, rows[i], rows[i].start, rows[i].end, y, range, COLOURS);
    }
  }
  const segments = lane.segments;
  let column = -Infinity;
  ctx.font = '10px sans-serif';
  ctx.textBaseline = 'top';
  for (let k = firstFrom(segments, from, (segment) => segment[1]); k < segments.length; ++k) {
    const [a, b, i] = segments[k];
    if (a > to) break;
    const x1 = xOf(view, b);
    if (Math.floor(x1) <= column) continue;
    drawPart(ctx, view, rows[i], a, b, y, range, COLOURS);
    column = Math.floor(x1);
    const x0 = xOf(view, a);
    if (x1 - x0 > 34 && !rows[i].clock && rows[i].from === rows[i].to) {
      ctx.fillStyle = '#0d1a10';
      ctx.fillText(rows[i].text.from, Math.max(x0, NAMES_WIDTH) + 4, y + BAR_TOP + 1);
    } else if (x1 - x0 > 44 && rows[i].clock) {
      ctx.fillStyle = '#1b1020';
      ctx.fillText('clock', Math.max(x0, NAMES_WIDTH) + 4, y + BAR_TOP + 1);
    }
  }
  ctx.strokeStyle = COLOURS.selected;
  ctx.lineWidth = 2;
  column = -Infinity;
  const moving = state.drag?.spans;
  for (const i of lane.byStart) {
    const [a, b] = moving?.get(i) ?? [rows[i].start, rows[i].end];
    if (!selection.has(rows[i].id) || b < from || a > to) continue;
    const x0 = xOf(view, a);
    const x1 = xOf(view, b);
    if (moving?.has(i)) drawPart(ctx, view, rows[i], a, b, y, range, COLOURS);
    else if (Math.floor(x1) <= column) continue;
    ctx.strokeRect(x0, y + BAR_TOP - 1, Math.max(2, x1 - x0), LINE_HEIGHT - BAR_TOP);
    column = Math.floor(x1);
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

// The whole canvas from `state`: { view, rows, lanes, lines, selection (row ids), folded,
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
  for (let k = first; k <= last; ++k) {
    if (lines[k].lane) drawLane(ctx, view, state, lines[k].lane, lineTop(view, k));
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
