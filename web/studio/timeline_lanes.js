// The timeline's lanes from the rows: one lane per written field, grouped by object (landscape,
// wave, layer 0 to 11), and for each row the parts of its span where it wins, no later row on the
// same field writing there.

const objectOf = (target) => target.slice(0, target.lastIndexOf('.'));
const fieldOf = (target) => target.slice(target.lastIndexOf('.') + 1);

function groupRank(object) {
  if (object === 'landscape') return 0;
  if (object === 'wave') return 1;
  return 2 + Number(object.replace(/^layer\s+/, ''));
}

// The parts [from, to] of each row's span where it is the last row writing, for the rows
// `indices` of one field in registration order, and the same parts in time order as
// [from, to, row] segments: a sweep over the spans' edges with the latest row present on top of
// a heap, O(n log n) for any overlap.
function winningParts(rows, indices) {
  const events = [];
  for (const i of indices) {
    events.push([rows[i].start, 0, i], [rows[i].end, 1, i]);
  }
  events.sort((a, b) => a[0] - b[0] || a[1] - b[1]);
  const heap = [];  // max-heap of row indices, ended ones left in until they reach the top
  const ended = new Set();
  const push = (value) => {
    heap.push(value);
    for (let k = heap.length - 1; k > 0;) {
      const parent = (k - 1) >> 1;
      if (heap[parent] >= heap[k]) break;
      [heap[parent], heap[k]] = [heap[k], heap[parent]];
      k = parent;
    }
  };
  const pop = () => {
    const last = heap.pop();
    if (heap.length === 0) return;
    heap[0] = last;
    for (let k = 0; ;) {
      const l = 2 * k + 1;
      const r = l + 1;
      let top = k;
      if (l < heap.length && heap[l] > heap[top]) top = l;
      if (r < heap.length && heap[r] > heap[top]) top = r;
      if (top === k) break;
      [heap[top], heap[k]] = [heap[k], heap[top]];
      k = top;
    }
  };
  const parts = new Map(indices.map((i) => [i, []]));
  const segments = [];
  let previous = null;
  for (const [time, kind, i] of events) {
    while (heap.length && ended.has(heap[0])) pop();
    if (heap.length && previous !== null && time > previous) {
      const list = parts.get(heap[0]);
      const last = list[list.length - 1];
      if (last && last[1] === previous) {
        last[1] = time;
        segments[segments.length - 1][1] = time;
      } else {
        list.push([previous, time]);
        segments.push([previous, time, heap[0]]);
      }
    }
    previous = time;
    if (kind === 0) push(i);
    else ended.add(i);
  }
  return { parts, segments };
}

// The lowest and highest key of a lane's settings and ramps, which its bars are drawn between.
function keyRange(rows, indices) {
  let low = Infinity;
  let high = -Infinity;
  for (const i of indices) {
    if (rows[i].clock) continue;
    low = Math.min(low, rows[i].from, rows[i].to);
    high = Math.max(high, rows[i].from, rows[i].to);
  }
  return { low, high };
}

// The lanes of `rows` in group order, each group's fields in the order they are first written:
// { object, field, target, type, rows: [indices in order], points: [indices of rows of no length],
// parts: Map(index -> [[from, to]]), segments: [[from, to, index]] by time, lost: the parts
// [from, to, index] where a row loses to a later one, by their start, range: { low, high } of
// the keys }.
export function buildLanes(rows) {
  const byTarget = new Map();
  rows.forEach((row, i) => {
    const target = row.target;
    if (!byTarget.has(target)) {
      byTarget.set(target, { object: objectOf(target), field: fieldOf(target), target, type: row.type, rows: [] });
    }
    byTarget.get(target).rows.push(i);
  });
  const lanes = [...byTarget.values()];
  lanes.forEach((lane, order) => { lane.order = order; });
  lanes.sort((a, b) => groupRank(a.object) - groupRank(b.object) || a.order - b.order);
  for (const lane of lanes) {
    Object.assign(lane, winningParts(rows, lane.rows));
    lane.points = lane.rows.filter((i) => rows[i].start === rows[i].end);
    lane.lost = [];
    for (const i of lane.rows) {
      let from = rows[i].start;
      for (const [a, b] of lane.parts.get(i)) {
        if (a > from) lane.lost.push([from, a, i]);
        from = b;
      }
      if (rows[i].end > from) lane.lost.push([from, rows[i].end, i]);
    }
    lane.lost.sort((a, b) => a[0] - b[0]);
    lane.range = keyRange(rows, lane.rows);
  }
  return lanes;
}

// The rows of the timeline, top to bottom: a heading per object and, unless it is folded, its
// lanes. `folded` is a Set of object names.
export function visibleLines(lanes, folded) {
  const lines = [];
  let heading = null;
  for (const lane of lanes) {
    if (lane.object !== heading?.heading) {
      heading = { heading: lane.object, count: 0 };
      lines.push(heading);
    }
    heading.count += 1;
    if (!folded.has(lane.object)) lines.push({ lane });
  }
  return lines;
}
