// Puts the timeline, its time tools and the inspector into the studio once it is ready, and
// connects them to its parts: the model's rows and edits, the transport's playhead, the core's
// field values and cuts, the music and the message line.
import { Timeline } from './timeline.js';
import { Inspector } from './row_panel.js';
import { timelineTools } from './timeline_tools.js';
import { formatKey } from './numbers.js';

function mount(studio) {
  const { model, core, transport, state } = studio;
  const panel = document.getElementById('timeline-panel');
  const tools = document.createElement('div');
  tools.id = 'timeline-tools';
  const canvas = document.createElement('canvas');
  canvas.id = 'timeline';
  canvas.tabIndex = 0;
  canvas.setAttribute('aria-label', 'the timeline: the script\'s rows on lanes');
  const inspector = document.createElement('aside');
  inspector.id = 'inspector';
  panel.append(tools, canvas, inspector);

  // Why an edit was refused, on the studio's message line until the next edit is taken.
  const message = document.getElementById('message');
  let shown = '';
  const refused = (text) => {
    if (text === '' && state.message !== shown) return;  // another part's message stays
    shown = text;
    state.message = text;
    message.textContent = text;
    message.hidden = text === '';
  };
  const host = {
    rows: () => model.rows,
    apply: (edit) => model.apply(edit),
    seek: (pass) => transport.seek(pass),
    refused,
    cutsMs: () => core.cuts().map((cut) => Math.round(cut.seconds * 1000)),
    // The value the field `row` writes holds at `pass`, written as a key; null when the core
    // has none. The core draws the pass to read it, so the preview's pass is drawn again.
    valueAt: (row, pass) => {
      const value = core.fieldValue(row.object, row.layer, row.field, pass);
      transport.show(state.pass);
      return Number.isNaN(value) ? null : formatKey(value);
    },
  };
  const timeline = new Timeline(canvas, host);
  timeline.setPlayhead(state.pass);
  new Inspector(inspector, timeline, model);
  timelineTools(tools, timeline);
  model.subscribe(({ kind }) => {
    if (kind !== 'refused') timeline.setRows(model.rows);
  });
  transport.subscribe((pass) => timeline.setPlayhead(pass, state.playing));
  studio.musicListeners.add((music) => timeline.setMusic(music?.buffer ?? null));
  if (state.music) timeline.setMusic(state.music.buffer);
  studio.timeline = timeline;
}

if (window.studio?.ready) mount(window.studio);
else document.addEventListener('studio-ready', (event) => mount(event.detail), { once: true });
