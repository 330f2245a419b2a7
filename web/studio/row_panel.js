// The inspector: the selected rows' start, end, type, target and keys (from and to, or clock),
// each editable. A value typed goes into every selected row as written, through the model,
// which checks the whole script with the program's own parser: a refused value changes nothing
// and the parser's reason is shown beside the fields.
import { reorderRows, removeRows } from './edits.js';
import { firstPassAtOrAfter } from './numbers.js';

const TYPES = ['char', 'unsigned char', 'short', 'unsigned short', 'float'];
const FIELDS = ['start', 'end', 'type', 'target', 'from', 'to'];

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

export class Inspector {
  // `root` takes the form; `timeline` gives the selection and takes the edits; `model` is the
  // studio's edit model.
  constructor(root, timeline, model) {
    this.timeline = timeline;
    this.model = model;
    this.rows = [];
    this.summary = element('p', { className: 'inspector-summary' });
    root.append(this.summary);
    this.inputs = {};
    for (const field of FIELDS) {
      const input = field === 'type'
        ? element('select', { name: field }, TYPES.map((type) => element('option', { value: type, textContent: type })))
        : element('input', { name: field, type: 'text', spellcheck: false, autocomplete: 'off' });
      input.addEventListener('change', () => this.change({ [field]: input.value.trim() }));
      input.addEventListener('keydown', (event) => {
        if (event.key === 'Enter') input.blur();  // blurring a changed field sends its change
        if (event.key === 'Escape') {
          this.show();
          input.blur();
        }
      });
      this.inputs[field] = input;
      root.append(element('label', {}, [element('span', { textContent: field }), input]));
    }
    this.clock = element('input', { type: 'checkbox', name: 'clock' });
    this.clock.addEventListener('change', () => this.setClock(this.clock.checked));
    const clockLabel = element('span', { textContent: 'clock' });
    root.append(element('label', { className: 'inspector-clock' }, [this.clock, clockLabel]));
    root.append(element('div', { className: 'inspector-buttons' }, [
      button('lower', 'lower the order: the row goes before the previous row on its field, which then wins ([)',
        () => timeline.edit(reorderRows(model.rows, this.ids(), -1))),
      button('raise', 'raise the order: the row goes after the next row on its field, and wins over it (])',
        () => timeline.edit(reorderRows(model.rows, this.ids(), 1))),
      button('delete', 'remove the selected rows (Delete)', () => timeline.edit(removeRows(model.rows, this.ids()))),
    ]));
    this.error = element('p', { className: 'inspector-error', role: 'alert' });
    root.append(this.error);
    timeline.onSelection((rows) => {
      this.rows = rows;
      this.show();
    });
    model.subscribe(() => {
      this.error.textContent = '';
    });
    this.show();
  }

  ids() {
    return this.rows.map((row) => row.id);
  }

  // The selected rows' values as written; a field that differs between them shows empty, "several".
  show() {
    const rows = this.rows;
    const none = rows.length === 0;
    if (none) this.summary.textContent = 'no row selected';
    else if (rows.length === 1) this.summary.textContent = `row ${rows[0].index + 1}, line ${rows[0].line}`;
    else this.summary.textContent = `${rows.length} rows`;
    for (const field of FIELDS) {
      const input = this.inputs[field];
      const values = new Set(rows.map((row) => row.text[field]));
      const keys = field === 'from' || field === 'to';
      input.disabled = none || (keys && rows.every((row) => row.clock));
      input.value = values.size === 1 ? [...values][0] : '';
      input.placeholder = values.size > 1 ? 'several' : keys && !none && rows.every((row) => row.clock) ? 'clock' : '';
    }
    this.clock.disabled = none;
    this.clock.checked = !none && rows.every((row) => row.clock);
    this.clock.indeterminate = rows.some((row) => row.clock) && !rows.every((row) => row.clock);
  }

  // `values` (texts as typed) into every selected row, as one edit.
  change(values) {
    const changes = this.rows
      .filter((row) => !(row.clock && (values.from !== undefined || values.to !== undefined)))
      .map((row) => ({ set: row.id, values }));
    this.apply(changes, Object.keys(values)[0]);
  }

  // Clock rows made settings hold the value their field has where they start; rows made clock
  // rows drop their keys.
  setClock(clock) {
    const changes = this.rows.filter((row) => row.clock !== clock).map((row) => {
      if (clock) return { set: row.id, values: { clock: true } };
      const value = this.timeline.host.valueAt(row, firstPassAtOrAfter(row.start)) ?? '0';
      return { set: row.id, values: { from: value, to: value } };
    });
    this.apply(changes, 'clock');
  }

  apply(changes, label) {
    if (changes.length === 0) return;
    const outcome = this.model.apply({ label, changes });
    if (!outcome.ok) {
      this.error.textContent = outcome.error;
      this.show();  // the fields show the rows as they still are
    }
  }
}
