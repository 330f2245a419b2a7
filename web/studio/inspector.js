// The inspector: the selected rows' start, end, type, target and keys (from and to, or clock),
// each editable. A value typed is put into each selected row's line and checked by the script's
// own parser (`host.checkRow`, the native one in the core) before it reaches the model; a refused
// value leaves the rows as they were and shows the parser's reason.
import { removeRows, reorderRows } from './edits.js';
import { passAtOrAfter } from './timeline_view.js';

const TYPES = ['char', 'unsigned char', 'short', 'unsigned short', 'float'];
const FIELDS = ['start', 'end', 'type', 'target', 'from', 'to'];

// The line of a row with the tokens `changes` put in place of its own.
export function rowLine(row, changes = {}) {
  const tokens = { ...row.tokens, ...changes };
  const keys = tokens.from === 'clock' ? 'clock' : `${tokens.from} ${tokens.to}`;
  return `${tokens.start} ${tokens.end} ${tokens.type} ${tokens.target} ${keys}`;
}

// The text a row's field shows: its tokens as written; a clock row's keys read "clock".
function shown(row, field) {
  if ((field === 'from' || field === 'to') && row.clock) return 'clock';
  return row.tokens[field];
}

export class Inspector {
  // `root` holds the form (built here); `timeline` gives the selection and takes the edits.
  constructor(root, timeline, host) {
    this.root = root;
    this.timeline = timeline;
    this.host = host;
    this.selection = [];
    root.innerHTML = '';
    this.summary = element('p', { className: 'inspector-summary' });
    root.append(this.summary);
    this.inputs = {};
    for (const field of FIELDS) {
      const input = field === 'type'
        ? element('select', { name: field }, TYPES.map((type) => element('option', { value: type, textContent: type })))
        : element('input', { name: field, type: 'text', spellcheck: false, autocomplete: 'off' });
      input.addEventListener('change', () => this.change(field, input.value.trim()));
      input.addEventListener('keydown', (event) => {
        if (event.key === 'Enter') input.blur();
        if (event.key === 'Escape') {
          this.show();
          input.blur();
        }
      });
      this.inputs[field] = input;
      root.append(element('label', {}, [element('span', { textContent: field }), input]));
    }
    this.clock = element('input', { type: 'checkbox', name: 'clock' });
    this.clock.addEventListener('change', () => this.change('clock', this.clock.checked));
    root.append(element('label', { className: 'inspector-clock' }, [this.clock, element('span', { textContent: 'clock' })]));
    const buttons = element('div', { className: 'inspector-buttons' }, [
      button('lower', 'lower the order: an earlier row, which later rows win over ([)', () => this.reorder(-1)),
      button('raise', 'raise the order: a later row, which wins over earlier ones (])', () => this.reorder(1)),
      button('delete', 'remove the selected rows (Delete)',
        () => this.timeline.edit(removeRows(this.timeline.state.rows, this.selection))),
    ]);
    root.append(buttons);
    this.error = element('p', { className: 'inspector-error', role: 'alert' });
    root.append(this.error);
    timeline.onSelection((selection) => {
      this.selection = selection;
      this.error.textContent = '';
      this.show();
    });
    this.show();
  }

  reorder(direction) {
    this.timeline.edit(reorderRows(this.timeline.state.rows, this.selection, direction));
  }

  // The selected rows' values; a field that differs between them shows empty with "several".
  show() {
    const rows = this.selection.map((i) => this.timeline.state.rows[i]).filter(Boolean);
    const none = rows.length === 0;
    this.summary.textContent = none ? 'no row selected' : rows.length === 1
      ? `row ${this.selection[0] + 1}` : `${rows.length} rows`;
    for (const field of FIELDS) {
      const input = this.inputs[field];
      const values = new Set(rows.map((row) => shown(row, field)));
      input.disabled = none || ((field === 'from' || field === 'to') && values.has('clock') && values.size === 1);
      input.value = values.size === 1 ? [...values][0] : '';
      input.placeholder = values.size > 1 ? 'several' : '';
    }
    const clocks = new Set(rows.map((row) => row.clock));
    this.clock.disabled = none;
    this.clock.checked = clocks.size === 1 && clocks.has(true);
    this.clock.indeterminate = clocks.size > 1;
  }

  // `value` for `field` in every selected row, each new line checked by the parser; the first
  // refusal stops the edit and is shown.
  change(field, value) {
    const { rows } = this.timeline.state;
    const next = rows.slice();
    for (const i of this.selection) {
      const row = rows[i];
      let changes;
      if (field === 'clock') {
        // A clock row made a setting holds the value its field has where the row starts.
        const held = this.host.valueAt(row.target, row.type, passAtOrAfter(row.start * 1000))?.text ?? '0';
        changes = value ? { from: 'clock', to: '' }
          : { from: row.clock ? held : row.tokens.from, to: row.clock ? held : row.tokens.to };
      } else {
        changes = { [field]: value };
        if (row.clock && (field === 'from' || field === 'to')) continue;
      }
      const checked = this.host.checkRow(rowLine(row, changes));
      if (checked.error) {
        this.error.textContent = checked.error;
        this.show();
        return;
      }
      next[i] = checked.row;
    }
    this.error.textContent = '';
    this.timeline.edit({ rows: next, selection: this.selection });
  }
}

function element(tag, properties = {}, children = []) {
  const node = document.createElement(tag);
  Object.assign(node, properties);
  node.append(...children);
  return node;
}

function button(text, title, action) {
  const node = element('button', { type: 'button', textContent: text, title });
  node.addEventListener('click', action);
  return node;
}
