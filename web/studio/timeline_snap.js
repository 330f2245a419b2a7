// Where a dragged edge lands: on another row's edge, the playhead or a cut when one is within a
// few pixels, else on the nearest pass of the grid; with snapping off, on the millisecond.
import { msOf } from './edits.js';
import { nearestPass } from './timeline_view.js';
import { passMs } from './numbers.js';

export const SNAP_PIXELS = 6;

// The sorted milliseconds a drag can snap to: the edges of the rows not in `moving` (a Set of
// row ids), the playhead's and the cuts'.
export function snapTargets(rows, moving, playheadMs, cutsMs) {
  const targets = [playheadMs, ...cutsMs];
  for (const row of rows) {
    if (!moving.has(row.id)) targets.push(msOf(row.start), msOf(row.end));
  }
  targets.sort((a, b) => a - b);
  return targets;
}

function nearestTarget(targets, ms) {
  let low = 0;
  let high = targets.length;
  while (low < high) {
    const mid = (low + high) >> 1;
    if (targets[mid] < ms) low = mid + 1;
    else high = mid;
  }
  const candidates = [targets[low - 1], targets[low]].filter((t) => t !== undefined);
  return candidates.reduce((best, t) => (best === null || Math.abs(t - ms) < Math.abs(best - ms) ? t : best), null);
}

// The millisecond an edge dragged to `ms` lands on, at `pxPerSecond`; `snap` false keeps `ms`.
export function snapMs(ms, targets, pxPerSecond, snap = true) {
  const exact = Math.round(ms);
  if (!snap) return exact;
  const near = nearestTarget(targets, ms);
  if (near !== null && (Math.abs(near - ms) * pxPerSecond) / 1000 <= SNAP_PIXELS) return near;
  return passMs(nearestPass(ms));
}

// The shift that moves a span's edges (`startMs`, `endMs`) by about `deltaMs` with whichever edge
// snaps nearer deciding it; the span keeps its length.
export function snapShift(startMs, endMs, deltaMs, targets, pxPerSecond, snap = true) {
  if (!snap) return Math.round(deltaMs);
  const tolerance = (SNAP_PIXELS * 1000) / pxPerSecond;
  let best = null;
  for (const edge of [startMs, endMs]) {
    const near = nearestTarget(targets, edge + deltaMs);
    if (near !== null && Math.abs(near - (edge + deltaMs)) <= tolerance) {
      const shift = near - edge;
      if (best === null || Math.abs(shift - deltaMs) < Math.abs(best - deltaMs)) best = shift;
    }
  }
  return best ?? passMs(nearestPass(startMs + deltaMs)) - startMs;
}
