// The timeline's keys: Delete, Ctrl+C, Ctrl+X, Ctrl+V (at the playhead), Ctrl+D, `[` and `]` to
// lower and raise the selected rows' order, `+` and `-` to zoom about the playhead, Ctrl+A to
// select every row and Escape to select none. Keys typed into a field or the text pane are theirs.
import { removeRows, copyRows, pasteRows, duplicateRows, reorderRows } from './edits.js';
import { zoomAt, xOf } from './timeline_view.js';
import { passMs } from './numbers.js';

const ZOOM_STEP = 1.5;

function typing(event) {
  const target = event.target;
  return target instanceof HTMLElement
    && (target.isContentEditable || /^(INPUT|TEXTAREA|SELECT)$/.test(target.tagName));
}

// What a key does to `timeline`; true when it was one of the timeline's keys.
export function timelineKey(timeline, event) {
  const { state } = timeline;
  const control = event.ctrlKey || event.metaKey;
  const selected = [...state.selection];
  const key = event.key.length === 1 ? event.key.toLowerCase() : event.key;
  if (control && !event.altKey) {
    switch (key) {
      case 'c':
        if (selected.length) timeline.clipboard = copyRows(state.rows, selected);
        return selected.length > 0;
      case 'x':
        if (!selected.length) return false;
        timeline.clipboard = copyRows(state.rows, selected);
        timeline.edit(removeRows(state.rows, selected));
        return true;
      case 'v':
        if (!timeline.clipboard) return false;
        timeline.edit(pasteRows(timeline.clipboard, passMs(state.playheadPass), state.lane ?? null));
        return true;
      case 'd':
        if (selected.length) timeline.edit(duplicateRows(state.rows, selected));
        return true;
      case 'a':
        state.selection = new Set(state.rows.map((row) => row.id));
        timeline.selectionChanged();
        return true;
      default:
        return false;
    }
  }
  if (event.altKey) return false;
  switch (key) {
    case 'Delete':
    case 'Backspace':
      if (!selected.length) return false;
      timeline.edit(removeRows(state.rows, selected));
      return true;
    case ']':
    case '[':
      if (selected.length) timeline.edit(reorderRows(state.rows, selected, key === ']' ? 1 : -1));
      return true;
    case '+':
    case '=':
    case '-':
      zoomAt(state.view, xOf(state.view, passMs(state.playheadPass) / 1000), key === '-' ? 1 / ZOOM_STEP : ZOOM_STEP);
      timeline.redraw();
      return true;
    case 'Escape':
      state.selection.clear();
      timeline.selectionChanged();
      return true;
    default:
      return false;
  }
}

export function listenKeys(timeline, target) {
  target.addEventListener('keydown', (event) => {
    if (typing(event) || event.defaultPrevented) return;
    if (timelineKey(timeline, event)) event.preventDefault();
  });
}
