// The studio's edit model: the script as its text, the rows read from it, and the history of
// edits. Every change goes through it, so undo covers everything and goes back to the text as
// it was, byte for byte. Plain state; no drawing, no page.
//
// Interface (stable: later work adds to it and changes none of it):
//
//   const model = new ScriptModel(core)     core: StudioCore (core.js), or anything with
//                                            check(text) -> { records } | { error }
//   model.open(text)        a new script (opened, built-in, restored): history cleared.
//                           Returns { ok, error }; refused text changes nothing.
//   model.text              the current (last good) script text
//   model.rows              its rows in registration order (a later row wins), plain records:
//     { id,                 stable across edits that keep the row (moves, value changes, undo)
//       index,              position in model.rows
//       line,               its line in model.text, counted from 1
//       start, end,         seconds, the float32 values the program reads
//       type,               'char' | 'unsigned char' | 'short' | 'unsigned short' | 'float'
//       object, layer,      'landscape' | 'wave' | 'layer', and the layer's number (else null)
//       field,              'viewMode'
//       target,             the lane's name: 'landscape.viewMode', 'wave.phase', 'layer 4.amount'
//       clock,              true for a clock row, whose from and to are null
//       from, to,           float32 values of the keys
//       text: { start, end, type, target, from, to } }   the words as written ('pi/2'; a clock
//                           row has from 'clock' and to '')
//   model.rowById(id)
//   model.apply({ label, changes })  the one entry point of edits; changes, all at once:
//       { set: id, values: { start?, end?, type?, target?, from?, to?, clock? } }
//       { insert: { start, end, type, target, from, to } | { ..., clock: true },
//         before?: id }      (without `before`: after the last row)
//       { remove: id }
//       { move: id, before?: id }    (reorder: which row wins; without `before`: last)
//     Values are text as written ('12.5', 'pi/2') or numbers (written as the shortest text
//     that reads back as the same float32; keys as formatKey). Ids refer to the rows before
//     the edit. A changed row keeps its line's spacing and comment; an inserted one takes
//     the layout of its neighbour. The whole result is checked by the program's parser
//     (core.check): a refused edit changes nothing and returns { ok: false, error:
//     'LINE: reason' } (LINE of the text the edit would have made). A good one returns
//     { ok: true, ids } with the ids of the inserted rows, in order.
//   model.setText(text)     the text pane's whole text, taken as an edit when it parses; else
//                           { ok: false, error } and model.error, model.rows unchanged.
//   model.error             '' or the 'LINE: reason' of the last text refused by setText
//   model.undo(), model.redo()   -> true if there was something to undo / redo
//   model.canUndo, model.canRedo, model.revision (counts every change)
//   model.subscribe(listener) -> unsubscribe function. listener({ kind, label }) after every
//       change: kind 'open' | 'edit' | 'undo' | 'redo' | 'refused' (setText's bad text).
//
// Times on the 60-a-second grid (numbers.js): passMs(pass), passSeconds(pass) (float32
// seconds), passTimeText(pass) (the exact time text for snapping), firstPassAtOrAfter(seconds),
// lastPassAtOrBefore(seconds), formatNumber(value), formatKey(value).
// The core (core.js): core.fieldValue(object, layer, field, pass) for the value a field holds at a
// pass, core.cuts() for the cuts [{ seconds, text }].

import { TYPES, OBJECTS } from './core.js';
import { formatNumber, formatKey } from './numbers.js';

const BOM = '\uFEFF';
const BLANK = /[ \t\r\v\f]/;
const COLUMNS = ['start', 'end', 'type', 'target', 'from', 'to'];

// The columns of a row's line: for each, the text as written and where it begins and ends.
// Mirrors the parser's reading of words (blanks, the comment); the parser has checked the row.
function splitRow(line) {
  const words = [];
  const stop = line.indexOf('#') < 0 ? line.length : line.indexOf('#');
  let i = line.startsWith(BOM) ? 1 : 0;
  while (i < stop) {
    while (i < stop && BLANK.test(line[i])) ++i;
    if (i === stop) break;
    const begin = i;
    while (i < stop && !BLANK.test(line[i])) ++i;
    words.push({ begin, end: i });
  }
  const text = (word) => line.slice(word.begin, word.end);
  const columns = [];
  let w = 0;
  const take = (joined) => {
    const first = words[w];
    const last = joined ? words[w + 1] : first;
    w += joined ? 2 : 1;
    columns.push({ begin: first.begin, end: last.end, text: line.slice(first.begin, last.end) });
  };
  take(false);
  take(false);
  take(text(words[w]) === 'unsigned');
  take(text(words[w]) === 'layer');
  take(false);
  if (w < words.length) take(false);
  return columns;
}

// The record of a row from its line and the parser's record.
function makeRow(id, index, line, record) {
  const columns = splitRow(line);
  const clock = record.from === Infinity;
  const object = OBJECTS[record.target];
  const layer = object === 'layer' ? record.layer : null;
  const written = columns[3].text;
  const field = written.slice(written.indexOf('.') + 1);
  return {
    id, index, line: record.line, start: record.start, end: record.end, type: TYPES[record.type],
    object, layer, field, target: `${object}${layer === null ? '' : ` ${layer}`}.${field}`, clock,
    from: clock ? null : record.from, to: clock ? null : record.to,
    text: {
      start: columns[0].text, end: columns[1].text, type: columns[2].text, target: written,
      from: columns[4].text, to: clock ? '' : columns[5].text,
    },
  };
}

// A value of an edit as the script writes it.
function written(column, value) {
  if (typeof value === 'number') {
    return column === 'from' || column === 'to' ? formatKey(value) : formatNumber(value);
  }
  return String(value);
}

// The columns of a row after `values`, as texts.
function editedColumns(row, values) {
  const text = { ...row.text };
  for (const column of COLUMNS) {
    if (values[column] !== undefined) text[column] = written(column, values[column]);
  }
  let clock = row.clock;
  if (values.clock === true) clock = true;
  else if (values.clock === false || values.from !== undefined || values.to !== undefined) clock = false;
  if (clock) return [text.start, text.end, text.type, text.target, 'clock'];
  // A clock row given keys takes both; one given alone stands for both.
  const from = row.clock && values.from === undefined ? text.to : text.from;
  const to = row.clock && values.to === undefined ? from : text.to;
  return [text.start, text.end, text.type, text.target, from, to];
}

// The line with its columns replaced by `cells`: each column begins where it began when the
// one before it leaves room (at least one blank), so aligned scripts stay aligned; what follows
// the row (blanks, a comment, a carriage return) stays.
function rewriteLine(line, cells) {
  const columns = splitRow(line);
  const lastEnd = columns[columns.length - 1].end;
  let out = line.slice(0, columns[0].begin);
  cells.forEach((cell, i) => {
    if (i > 0) {
      const old = columns[i];
      const previousOld = columns[i - 1];
      const gap = old ? line.slice(previousOld.end, old.begin) : '  ';
      if (old && !gap.includes('\t') && old.begin - out.length >= 1) {
        out += ' '.repeat(old.begin - out.length);
      } else {
        out += gap.includes('\t') ? gap : ' '.repeat(Math.max(1, gap.length));
      }
    }
    out += cell;
  });
  return out + line.slice(lastEnd);
}

// A new row's line, laid out as the row line `like` (or with two blanks between columns).
function newLine(cells, like) {
  if (like === undefined) return cells.join('  ');
  const columns = splitRow(like);
  let out = like.slice(0, columns[0].begin);
  cells.forEach((cell, i) => {
    if (i > 0) {
      const at = columns[i]?.begin ?? 0;
      out += ' '.repeat(Math.max(2, at - out.length));
    }
    out += cell;
  });
  return like.endsWith('\r') ? `${out}\r` : out;
}

function rowCells(row) {
  const cells = [written('start', row.start), written('end', row.end), row.type, row.target];
  if (row.clock) return [...cells, 'clock'];
  return [...cells, written('from', row.from), written('to', row.to ?? row.from)];
}

export class ScriptModel {
  constructor(core) {
    this.core = core;
    this.lines = [''];
    this.lineIds = [0];    // an id for each line; a row takes its line's
    this.nextId = 1;
    this.rows = [];
    this.byId = new Map();
    this.text = '';
    this.error = '';
    this.done = [];        // edits, each { at, before, after, beforeIds, afterIds, label }
    this.undone = [];
    this.revision = 0;
    this.listeners = new Set();
  }

  get canUndo() { return this.done.length > 0; }
  get canRedo() { return this.undone.length > 0; }

  subscribe(listener) {
    this.listeners.add(listener);
    return () => this.listeners.delete(listener);
  }

  notify(kind, label = '') {
    ++this.revision;
    for (const listener of this.listeners) listener({ kind, label });
  }

  rowById(id) {
    return this.byId.get(id);
  }

  open(text) {
    const checked = this.core.check(text);
    if (checked.error !== undefined) return { ok: false, error: checked.error };
    this.lines = text.split('\n');
    this.lineIds = this.lines.map(() => this.nextId++);
    this.done = [];
    this.undone = [];
    this.adopt(text, checked.records);
    this.notify('open');
    return { ok: true };
  }

  // The rows of a checked text become the model's.
  adopt(text, records) {
    const previous = this.byId;
    this.text = text;
    this.error = '';
    this.rows = records.map((record, index) => {
      const id = this.lineIds[record.line - 1];
      const line = this.lines[record.line - 1];
      const old = previous.get(id);
      // An unchanged line keeps its record's words; only its place is new.
      if (old && old.sourceLine === line) {
        return Object.assign(old, { index, line: record.line });
      }
      const row = makeRow(id, index, line, record);
      Object.defineProperty(row, 'sourceLine', { value: line, writable: true, enumerable: false });
      return row;
    });
    this.byId = new Map(this.rows.map((row) => [row.id, row]));
  }

  setText(text) {
    if (text === this.text) {
      if (this.error) {
        this.error = '';
        this.notify('edit', 'text');
      }
      return { ok: true, ids: [] };
    }
    const lines = text.split('\n');
    // The lines that stay are those of the common beginning and end: they keep their ids, and
    // so do changed lines where as many replace as many (a row edited in place).
    let head = 0;
    const shortest = Math.min(lines.length, this.lines.length);
    while (head < shortest && lines[head] === this.lines[head]) ++head;
    let tail = 0;
    while (tail < shortest - head && lines[lines.length - 1 - tail] === this.lines[this.lines.length - 1 - tail]) ++tail;
    const removed = this.lines.length - head - tail;
    const added = lines.length - head - tail;
    const ids = added === removed ? this.lineIds.slice(head, head + removed)
      : Array.from({ length: added }, () => this.nextId++);
    const result = this.commit(head, removed, lines.slice(head, head + added), ids, 'text');
    if (!result.ok) {
      this.error = result.error;
      this.notify('refused', 'text');
    }
    return result;
  }

  apply(edit) {
    const changes = edit.changes ?? [];
    // The new lines and their ids, built from the old ones; a line is replaced by a list.
    const replaced = new Map();   // old line index -> { lines, ids }
    const inserted = [];          // ids of inserted rows, in the order of the changes
    const lineOf = (id) => {
      const row = this.byId.get(id);
      if (!row) throw new Error(`no row ${id}`);
      return row.line - 1;
    };
    const slot = (index) => {
      if (!replaced.has(index)) replaced.set(index, { before: [], own: [this.lines[index]], ownIds: [this.lineIds[index]], beforeIds: [] });
      return replaced.get(index);
    };
    // Where rows go "after the last row": after the last row's line.
    const lastRowLine = this.rows.length ? this.rows[this.rows.length - 1].line - 1 : this.lines.length - 1;
    const endSlot = () => {
      const s = slot(lastRowLine);
      s.after ??= [];
      s.afterIds ??= [];
      return s;
    };
    const place = (before, line, id) => {
      if (before === undefined || before === null) {
        const s = endSlot();
        s.after.push(line);
        s.afterIds.push(id);
      } else {
        const s = slot(lineOf(before));
        s.before.push(line);
        s.beforeIds.push(id);
      }
    };
    try {
      for (const change of changes) {
        if (change.set !== undefined) {
          const index = lineOf(change.set);
          const s = slot(index);
          if (s.own.length === 0) throw new Error(`row ${change.set} was removed by this edit`);
          s.own[0] = rewriteLine(s.own[0], editedColumns(this.byId.get(change.set), change.values ?? {}));
        } else if (change.insert !== undefined) {
          const lastRow = this.rows[this.rows.length - 1];
          const nearId = change.before ?? lastRow?.id;
          const like = nearId !== undefined ? this.lines[lineOf(nearId)] : undefined;
          const id = this.nextId++;
          place(change.before, newLine(rowCells(change.insert), like), id);
          inserted.push(id);
        } else if (change.remove !== undefined) {
          const s = slot(lineOf(change.remove));
          s.own = [];
          s.ownIds = [];
        } else if (change.move !== undefined) {
          const s = slot(lineOf(change.move));
          if (s.own.length === 0) throw new Error(`row ${change.move} was removed by this edit`);
          const [line] = s.own;
          const [id] = s.ownIds;
          s.own = [];
          s.ownIds = [];
          place(change.before, line, id);
        } else {
          throw new Error(`unknown change ${JSON.stringify(change)}`);
        }
      }
    } catch (error) {
      return { ok: false, error: error.message };
    }
    if (replaced.size === 0) return { ok: true, ids: [] };
    // One span from the first line touched to the last, written anew.
    const touched = [...replaced.keys()].sort((a, b) => a - b);
    const first = touched[0];
    const last = touched[touched.length - 1];
    const lines = [];
    const ids = [];
    for (let index = first; index <= last; ++index) {
      const s = replaced.get(index);
      if (!s) {
        lines.push(this.lines[index]);
        ids.push(this.lineIds[index]);
        continue;
      }
      lines.push(...s.before, ...s.own, ...(s.after ?? []));
      ids.push(...s.beforeIds, ...s.ownIds, ...(s.afterIds ?? []));
    }
    const result = this.commit(first, last - first + 1, lines, ids, edit.label ?? 'edit');
    return result.ok ? { ok: true, ids: inserted } : result;
  }

  // Replaces `count` lines at `at` with `lines` (their ids `ids`) if the text that makes parses.
  commit(at, count, lines, ids, label) {
    const next = this.lines.slice(0, at).concat(lines, this.lines.slice(at + count));
    const text = next.join('\n');
    const checked = this.core.check(text);
    if (checked.error !== undefined) return { ok: false, error: checked.error };
    const step = {
      at, before: this.lines.slice(at, at + count), beforeIds: this.lineIds.slice(at, at + count),
      after: lines, afterIds: ids, label,
    };
    this.lines = next;
    this.lineIds = this.lineIds.slice(0, at).concat(ids, this.lineIds.slice(at + count));
    this.done.push(step);
    this.undone = [];
    this.adopt(text, checked.records);
    this.notify('edit', label);
    return { ok: true, ids: [] };
  }

  undo() {
    const step = this.done.pop();
    if (!step) return false;
    this.replay(step.at, step.after.length, step.before, step.beforeIds);
    this.undone.push(step);
    this.notify('undo', step.label);
    return true;
  }

  redo() {
    const step = this.undone.pop();
    if (!step) return false;
    this.replay(step.at, step.before.length, step.after, step.afterIds);
    this.done.push(step);
    this.notify('redo', step.label);
    return true;
  }

  // Puts back a text that parsed before (so parses again).
  replay(at, count, lines, ids) {
    this.lines = this.lines.slice(0, at).concat(lines, this.lines.slice(at + count));
    this.lineIds = this.lineIds.slice(0, at).concat(ids, this.lineIds.slice(at + count));
    const text = this.lines.join('\n');
    const checked = this.core.check(text);
    if (checked.error !== undefined) throw new Error(`the history no longer parses: ${checked.error}`);
    this.adopt(text, checked.records);
  }
}
