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
// `indices` of one field in registration order: a sweep over the spans' edges with the latest
// row present on top of a heap, O(n log n) for any overlap.
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
  let previous = null;
  for (const [time, kind, i] of events) {
    while (heap.length && ended.has(heap[0])) pop();
    if (heap.length && previous !== null && time > previous) {
      const list = parts.get(heap[0]);
      const last = list[list.length - 1];
      if (last && last[1] === previous) last[1] = time;
      else list.push([previous, time]);
    }
    previous = time;
    if (kind === 0) push(i);
    else ended.add(i);
  }
  return parts;
}

// The lanes of `rows`: [{ object, field, target, type, rows: [indices], parts: Map(index ->
// [[from, to]]) }] in group order, each group's fields in the order they are first written.
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
  for (const lane of lanes) lane.parts = winningParts(rows, lane.rows);
  return lanes;
}

// The rows of the timeline, top to bottom: a heading per object and, unless it is folded, its
// lanes. `folded` is a Set of object names.
export function visibleLines(lanes, folded) {
  const lines = [];
  let object = null;
  for (const lane of lanes) {
    if (lane.object !== object) {
      object = lane.object;
      lines.push({ heading: object, count: 0 });
    }
    const heading = lines[lines.length - 1];
    heading.count += 1;
    if (!folded.has(object)) lines.push({ lane });
  }
  return lines;
}
