// The timeline's geometry: where a time and a line are on the canvas and back, the zoom between
// the whole show and single passes, and the nearest pass of the 60-a-second grid to a time.
import { passMs, GRID_FPS as PASS_FPS } from './numbers.js';

export const NAMES_WIDTH = 230;  // the lanes' names and types at the left
export const RULER_HEIGHT = 22;
export const WAVE_HEIGHT = 44;
export const TOP = RULER_HEIGHT + WAVE_HEIGHT;  // where the lanes begin
export const LINE_HEIGHT = 20;
export { PASS_FPS };
export const MAX_PX_PER_SECOND = PASS_FPS * 48;  // the closest zoom: a pass 48 pixels wide


// The pass whose time is nearest to `ms` (of two as near, the earlier).
export function nearestPass(ms) {
  const guess = Math.round((ms * PASS_FPS) / 1000);
  let best = Math.max(0, guess - 1);
  for (let k = best + 1; k <= guess + 1; ++k) {
    if (Math.abs(passMs(k) - ms) < Math.abs(passMs(best) - ms)) best = k;
  }
  return best;
}

// A fresh view: the whole show in `width` pixels of time. `showSeconds` is the time the rows reach.
export function makeView(width, height, showSeconds) {
  const view = { width, height, left: 0, pxPerSecond: 1, scrollY: 0, showSeconds };
  fitAll(view);
  return view;
}

export const timeWidth = (view) => Math.max(1, view.width - NAMES_WIDTH);
export const minPxPerSecond = (view) => timeWidth(view) / view.showSeconds;

export function fitAll(view) {
  view.pxPerSecond = minPxPerSecond(view);
  view.left = 0;
}

export const xOf = (view, seconds) => NAMES_WIDTH + (seconds - view.left) * view.pxPerSecond;
export const secondsAt = (view, x) => view.left + (x - NAMES_WIDTH) / view.pxPerSecond;
export const visibleSeconds = (view) => [view.left, view.left + timeWidth(view) / view.pxPerSecond];

// Keeps the view within the show in time.
export function clampTime(view) {
  view.pxPerSecond = Math.min(MAX_PX_PER_SECOND, Math.max(minPxPerSecond(view), view.pxPerSecond));
  const span = timeWidth(view) / view.pxPerSecond;
  view.left = Math.min(Math.max(0, view.left), Math.max(0, view.showSeconds - span));
}

// Zooms by `factor` keeping the time under `x` where it is.
export function zoomAt(view, x, factor) {
  const anchor = secondsAt(view, x);
  view.pxPerSecond *= factor;
  clampTime(view);
  view.left = anchor - (x - NAMES_WIDTH) / view.pxPerSecond;
  clampTime(view);
}

export function scrollTime(view, pixels) {
  view.left += pixels / view.pxPerSecond;
  clampTime(view);
}

// Keeps the lanes' scroll within the lines there are.
export function scrollLines(view, pixels, lineCount) {
  const room = Math.max(0, lineCount * LINE_HEIGHT - (view.height - TOP));
  view.scrollY = Math.min(Math.max(0, view.scrollY + pixels), room);
}

// The index of the line at canvas height `y`, or -1 above the lanes.
export const lineAt = (view, y) => (y < TOP ? -1 : Math.floor((y - TOP + view.scrollY) / LINE_HEIGHT));
export const lineTop = (view, index) => TOP + index * LINE_HEIGHT - view.scrollY;

// The first and last line indices any part of which is on the canvas.
export function visibleLineRange(view, lineCount) {
  const first = Math.max(0, Math.floor(view.scrollY / LINE_HEIGHT));
  const last = Math.min(lineCount - 1, Math.floor((view.scrollY + view.height - TOP) / LINE_HEIGHT));
  return [first, last];
}
