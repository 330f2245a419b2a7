// The timeline's time tools at the playhead: insert or remove a length of time (every row edge
// after the playhead moves) and stretch the selected rows in time about the playhead.
import { insertTime, removeTime, stretchRows } from './edits.js';
import { passMs } from './numbers.js';

function field(name, value, title) {
  const input = document.createElement('input');
  Object.assign(input, { name, value, title, type: 'text', size: 5, spellcheck: false });
  return input;
}

function button(text, title, action) {
  const node = document.createElement('button');
  Object.assign(node, { type: 'button', textContent: text, title });
  node.addEventListener('click', action);
  return node;
}

// A positive finite number from `input`, or null with the reason shown on `status`.
function positive(input, status, what) {
  const value = Number(input.value);
  if (!Number.isFinite(value) || value <= 0) {
    status.textContent = `${what} "${input.value}" is not a positive number`;
    return null;
  }
  status.textContent = '';
  return value;
}

export function timelineTools(root, timeline) {
  const length = field('length', '1', 'seconds of time to insert or remove at the playhead');
  const factor = field('factor', '2', 'how many times longer the selection becomes about the playhead');
  const status = document.createElement('span');
  status.className = 'tools-error';
  status.setAttribute('role', 'alert');
  const at = () => passMs(timeline.state.playheadPass);
  const lengthMs = () => {
    const seconds = positive(length, status, 'length');
    return seconds === null ? null : Math.round(seconds * 1000);
  };
  root.append(
    length, 's',
    button('insert time', 'insert the length of time at the playhead: every edge after it moves later', () => {
      const ms = lengthMs();
      if (ms !== null) timeline.edit(insertTime(timeline.state.rows, at(), ms));
    }),
    button('remove time', 'remove the length of time after the playhead: later edges move earlier', () => {
      const ms = lengthMs();
      if (ms !== null) timeline.edit(removeTime(timeline.state.rows, at(), ms));
    }),
    '×', factor,
    button('stretch', 'stretch the selected rows in time about the playhead by the factor', () => {
      const times = positive(factor, status, 'factor');
      if (times !== null) timeline.edit(stretchRows(timeline.state.rows, [...timeline.state.selection], at(), times));
    }),
    status,
  );
}
