// The studio page: loads the core and the data, opens the script (a share link's, else the one
// saved when the studio was last used, else the built-in one) at its moment, and wires the
// preview, the text pane, the keys, the files, the music, storage and links together. Its state
// is one plain object, `studio.state`; `window.studio` is the surface tests and automation use.
import { loadShow, MUSIC_FILE } from '../loading.js';
import { Sound } from '../sound.js';
import { StudioCore } from './core.js';
import { ScriptModel } from './model.js';
import { passMs, firstPassAtOrAfter } from './numbers.js';
import { Preview } from './preview.js';
import { Transport } from './transport.js';
import { TextPane } from './textpane.js';
import { Storage } from './storage.js';
import { shareLink, readLink } from './links.js';
import { acceptFiles, readScriptFile, exportText } from './files.js';
import { loadMusic } from './music.js';
import { listenKeys } from './keys.js';
import './timeline_mount.js';

const $ = (id) => document.getElementById(id);

const state = {
  phase: 'loading',   // 'loading', 'ready' or 'error'
  message: '',        // the last failure's one line, shown on the page
  messageFrom: '',    // what it is about: 'music', 'script' or '' (the studio itself)
  pass: 0,            // the pass the preview shows
  hash: '',           // its frame's hash
  playing: false,
  name: 'script.txt', // the name an export takes
  music: null,        // { name, buffer } of the music playing with the show
  shareLink: '',
  saved: 0,           // autosaves completed
};

// The studio's parts, for the page's own modules (the timeline joins them here) and for tests.
const studio = { state, ready: false };
window.studio = studio;

// A parser error under the name of what it came from: "NAME:LINE: reason" or "NAME: reason".
function errorIn(name, error) {
  return /^\d+:/.test(error) ? `${name}:${error}` : `${name}: ${error}`;
}

// Shows one line, or clears it; `from` names what the line is about, so that a success clears
// only its own earlier failure.
function showMessage(text, from = '') {
  state.messageFrom = from;
  state.message = text;
  $('message').textContent = text;
  $('message').hidden = text === '';
}

// The core with the show's data, built with the built-in script; the music's bytes come on their own.
async function loadCore() {
  const loading = loadShow();
  const core = new StudioCore(await loading.module);
  core.start();
  return { core, music: loading.music };
}

// The moment to open, and the link's script and the saved one: a share link's # is cleared once
// read, so that a reload opens what was saved since.
async function startingPoint(storage) {
  const link = await readLink(location.hash);
  if (location.hash) history.replaceState(null, '', location.pathname + location.search);
  if (link.error) showMessage(link.error);
  const saved = await storage.read().catch(() => null);
  const pass = link.seconds !== null ? firstPassAtOrAfter(link.seconds) : saved?.pass ?? 0;
  return { link: link.text, saved, pass };
}

// Opens the saved script, else the built-in one; a link's script then comes as an edit on top,
// so that undo brings back the work it replaced.
function openScripts(model, core, { link, saved }) {
  const opened = saved?.text ? model.open(saved.text) : { ok: false };
  if (opened.ok) state.name = saved.name ?? 'script.txt';
  else {
    if (saved?.text) showMessage(errorIn('the saved script', opened.error));
    model.open(core.builtinText());
  }
  if (link !== null && link !== model.text) {
    const linked = model.setText(link);
    if (linked.ok) state.name = 'shared.txt';
    else showMessage(errorIn('the link\'s script', linked.error));
  }
}

function save() {
  studio.storage.save({ text: studio.model.text, pass: state.pass, name: state.name })
    .then(() => { state.saved += 1; }, (error) => showMessage(error.message));
}

async function openFile(file) {
  try {
    const text = await readScriptFile(file);
    const opened = studio.model.open(text);
    if (!opened.ok) {
      showMessage(errorIn(file.name, opened.error), 'script');
      return;
    }
    state.name = file.name;
    if (state.messageFrom === 'script') showMessage('');
  } catch (error) {
    showMessage(error.message, 'script');
  }
}

async function takeMusic(file) {
  try {
    state.music = await loadMusic(file, studio.sound);
    studio.transport.seek(state.pass);  // while playing, the new music goes on from the playhead
    if (state.messageFrom === 'music') showMessage('');
    for (const listener of studio.musicListeners) listener(state.music);
  } catch (error) {
    showMessage(error.message, 'music');
  }
}

async function share() {
  const page = new URL('studio.html', location.href).href;
  state.shareLink = await shareLink(page, studio.model.text, passMs(state.pass) / 1000);
  $('share-link').value = state.shareLink;
  $('share-link').hidden = false;
  $('share-link').select();
  await navigator.clipboard?.writeText(state.shareLink).catch(() => {});
}

async function play() {
  const page = new URL('index.html', location.href).href;
  window.open(await shareLink(page, studio.model.text, passMs(state.pass) / 1000), '_blank');
}

function wire() {
  const { model, core, transport } = studio;
  // Every change of the script reaches the preview (the tracks registered again, the pass drawn)
  // and storage at once.
  model.subscribe(({ kind }) => {
    if (kind === 'refused') return;
    core.load(model.text);  // draws the pass shown with the new tracks
    transport.refresh();
    save();
    $('undo').disabled = !model.canUndo;
    $('redo').disabled = !model.canRedo;
  });
  let savedPass = state.pass;
  transport.subscribe((pass) => {
    if (!state.playing && pass !== savedPass) {
      savedPass = pass;
      save();
    }
  });
  const actions = {
    toggle: () => transport.toggle(),
    step: (by) => transport.step(by),
    first: () => transport.seek(0),
    last: () => transport.seek(transport.lastPass),
    undo: () => model.undo(),
    redo: () => model.redo(),
    exportScript: () => exportText(model.text, state.name),
  };
  listenKeys(actions);
  const button = (id, action) => $(id).addEventListener('click', (event) => {
    action();
    event.currentTarget.blur();  // Space goes to the show again, not to the button
  });
  button('undo', actions.undo);
  button('redo', actions.redo);
  button('export', actions.exportScript);
  button('share', share);
  button('play-page', play);
  button('toggle', actions.toggle);
  button('builtin', () => model.setText(core.builtinText()));
  acceptFiles({ scriptInput: $('open-file'), musicInput: $('music-file'), onScript: openFile, onMusic: takeMusic });
}

async function main() {
  let core;
  let music;
  try {
    ({ core, music } = await loadCore());
  } catch (error) {
    state.phase = 'error';
    showMessage(error.message);
    return;
  }
  const storage = new Storage();
  await storage.open().catch((error) => showMessage(`the browser's storage: ${error.message}: nothing is saved`));
  const model = new ScriptModel(core);
  const start = await startingPoint(storage);
  openScripts(model, core, start);
  const { pass } = start;
  core.load(model.text);
  const sound = new Sound();
  const preview = new Preview(core, $('preview'), { time: $('time'), pass: $('pass'), hash: $('hash') });
  const transport = new Transport(state, preview, sound, core.lastPass);
  Object.assign(studio, { core, model, storage, sound, preview, transport, musicListeners: new Set() });
  transport.show(pass);
  state.firstPreviewAt = performance.now();  // since the page's navigation began
  studio.textPane = new TextPane(model, $('script-text'), $('text-error'));
  wire();
  // The show's own music, decoded meanwhile; the studio works without it.
  music.then((bytes) => takeMusic(new File([bytes], MUSIC_FILE)))
    .catch((error) => showMessage(error.message, 'music'));

  Object.assign(studio, {
    text: () => model.text,
    setText: (text) => studio.textPane.setText(text),
    seek: (to) => transport.seek(to),
    pass: () => state.pass,
    hash: () => state.hash,
    undo: () => model.undo(),
    redo: () => model.redo(),
  });
  attachVideoButton(model);
  state.phase = 'ready';
  studio.ready = true;
  document.dispatchEvent(new CustomEvent('studio-ready', { detail: studio }));
}

// The "video" button: a video of the script as edited, with the music playing in the studio;
// the dialog offers the selected rows' span. Its code loads beside the studio, not before it.
function attachVideoButton(model) {
  import('../video.js').then(({ attachVideo }) => {
    const maker = attachVideo({
      bar: $('toolbar'),
      music: () => state.music?.buffer ?? null,
      script: () => ({ name: state.name, bytes: new TextEncoder().encode(model.text) }),
      span: () => selectionSpan(studio.timeline?.state.selectedRows ?? []),
      record: state,
    });
    Object.assign(studio, { video: maker.video, cancelVideo: maker.cancel });
  }, (error) => showMessage(`video.js: cannot load: ${error.message}`));
}

function selectionSpan(rows) {
  if (rows.length === 0) return null;
  return { from: Math.min(...rows.map((row) => row.start)), to: Math.max(...rows.map((row) => row.end)) };
}

main();
