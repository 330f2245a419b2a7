// The page: loads the core and the data, then plays the show, or with ?hashes=F or
// ?benchmark runs the matching headless mode and shows its text.
import { loadShow, fetchData, Progress, DATA_FILES, MUSIC_FILE } from './loading.js';
import { Player, SHOW_MS, formatTime } from './player.js';
import { Controls } from './controls.js';
import { linkedTime, rememberedPosition } from './links.js';
import { Sound } from './sound.js';
import { playLinkedScript, setUpEditButton } from './studio_links.js';

const params = new URLSearchParams(location.search);
const $ = (id) => document.getElementById(id);

// What the page is doing, for the viewer's eyes and for the tests.
const state = { phase: 'loading', message: '', shownMs: 0, paused: false, report: '' };
window.voxelshow = state;

function showMessage(text) {
  state.message = text;
  $('message').textContent = text;
  $('message').hidden = false;
}

// A failure that ends the loading: its line, and a button that tries again.
function loadingFailed(text) {
  state.phase = 'error';
  showMessage(text);
  $('loading').hidden = true;
  const retry = $('retry');
  retry.hidden = false;
  retry.onclick = () => location.reload();
}

// The overlay's count of bytes as they arrive.
function showProgress(progress) {
  const mb = (bytes) => (bytes / 1e6).toFixed(1);
  state.loaded = progress.loaded;
  state.total = progress.total;
  $('loading-bar').max = Math.max(progress.total, 1);
  $('loading-bar').value = progress.loaded;
  $('loading-text').textContent = `loading… ${mb(progress.loaded)} of ${mb(progress.total)} MB`;
}

function report(status, text, fileName) {
  $('report').hidden = false;
  $('report-status').textContent = status;
  $('report-text').textContent = text;
  state.report = text;
  if (fileName) {
    const link = $('report-download');
    link.href = URL.createObjectURL(new Blob([text], { type: 'text/plain' }));
    link.download = fileName;
    link.hidden = false;
  }
}

// A headless mode in a worker, on data fetched here; resolves with its text, rejects with the
// failure's one line.
async function runInWorker(mode, fps, simd = '') {
  const files = {};
  const names = [...DATA_FILES];
  const bytes = await Promise.all(names.map((name) => fetchData(name)));
  names.forEach((name, i) => { files[name] = bytes[i]; });
  return new Promise((resolve, reject) => {
    const worker = new Worker('headless_worker.js');
    worker.onmessage = ({ data }) => {
      worker.terminate();
      if (data.error) reject(new Error(data.error));
      else resolve(data);
    };
    worker.onerror = (event) => {
      worker.terminate();
      reject(new Error(`headless_worker.js: ${event.message}`));
    };
    worker.postMessage({ mode, fps, simd, files }, bytes.map((b) => b.buffer));
  });
}

async function runHashes(fps) {
  report(`drawing every pass at ${fps} passes a second…`, '');
  const { text, seconds } = await runInWorker('hashes', fps);
  const passes = text.split('\n').length - 1;
  report(`${passes} passes at ${fps} a second, drawn in ${seconds.toFixed(1)} s: compare with voxelshow --hashes FILE --fps ${fps}`,
    text, `voxelshow-hashes-${fps}.txt`);
  state.phase = 'done';
}

// ?benchmark&simd=portable times the renderer's plain C++ path, to compare with its vectors.
async function runBenchmark() {
  report('timing every pass of the show…', '');
  const { text } = await runInWorker('benchmark', 60, params.get('simd') ?? '');
  report('the benchmark in this browser, on one thread', text);
  state.phase = 'done';
}

// A whole number of the query from 0 to `most` (digits only, as the native options take them),
// or an Error naming the parameter and what it takes.
function wholeParameter(name, most, what) {
  const text = params.get(name);
  if (!/^[0-9]+$/.test(text) || Number(text) > most) {
    throw new Error(`?${name} takes ${what}, not '${text}'`);
  }
  return Number(text);
}

// ?pass=N: pass N of the 60-a-second grid, as --render-frame N draws it, standing still.
function showPass(module, pass) {
  const now = 0;
  module._web_begin(now);
  module._web_command(1, now);  // paused: the frame stays
  module._web_seek(Math.floor(pass * 1000 / 60), now);
  const player = new Player(module, new Sound(), state);
  player.present(now);
  state.phase = 'still';
}

async function main() {
  if (params.has('hashes') || params.has('benchmark')) $('loading').hidden = true;
  if (params.has('simd') && !params.has('benchmark')) {
    $('loading').hidden = true;
    state.phase = 'error';
    showMessage(`?simd=${params.get('simd')}: applies only to ?benchmark, which it sets the renderer's vectors of`);
    return;
  }
  if (params.has('hashes') || params.has('benchmark')) {
    const fps = params.has('hashes') ? Number(params.get('hashes')) : 60;
    if (!Number.isInteger(fps) || fps < 1 || fps > 1000) {
      state.phase = 'error';
      showMessage(`?hashes=${params.get('hashes')}: passes a second must be a whole number from 1 to 1000`);
      return;
    }
    try {
      await (params.has('hashes') ? runHashes(fps) : runBenchmark());
    } catch (error) {
      state.phase = 'error';
      showMessage(error.message);
    }
    return;
  }
  const loading = loadShow({ progress: new Progress(showProgress) });
  if (params.has('pass')) takeDrops((file) => showMessage(`${file.name}: a still pass (?pass) plays no script`));
  let module;
  try {
    module = await loading.module;
  } catch (error) {
    loadingFailed(error.message);
    return;
  }

  // A still pass is drawn with the jitter's seed 0, as the native headless modes draw it; the
  // played show with the time's, unless ?seed gives one.
  let seed = params.has('pass') ? 0 : Math.floor(Date.now() / 1000) >>> 0;
  let pass = null;
  try {
    if (params.has('seed')) seed = wholeParameter('seed', 4294967295, 'a whole number from 0 to 4294967295');
    if (params.has('pass')) {
      const last = module._web_last_pass();
      pass = wholeParameter('pass', Number.MAX_SAFE_INTEGER, `a pass number from 0 to ${last}`);
      if (pass > last) throw new Error(`?pass=${pass}: the show ends after pass ${last} at 60 fps; pass ${pass} is never drawn`);
    }
  } catch (error) {
    state.phase = 'error';
    $('loading').hidden = true;
    showMessage(error.message);
    return;
  }
  if (module.ccall('web_start', 'number', ['string', 'number'], ['', seed]) !== 0) {
    state.phase = 'error';
    $('loading').hidden = true;
    showMessage(module.UTF8ToString(module._web_error()));
    return;
  }
  if (pass !== null) {
    $('loading').hidden = true;
    return showPass(module, pass);
  }
  const sound = new Sound();
  const player = new Player(module, sound, state);
  // For the tests: the sound, the core and the player, kept out of the state's plain copy.
  Object.defineProperty(state, 'sound', { value: sound, enumerable: false });
  Object.defineProperty(state, 'module', { value: module, enumerable: false });
  Object.defineProperty(state, 'player', { value: player, enumerable: false });
  setUpEditButton($('edit'), module, state);
  await playLinkedScript(player);  // a studio's share link plays its script
  // The music joins the show when it is decoded, at the moment the picture is at then. As
  // natively, a soundtrack that cannot be played is reported and the show runs silently.
  loading.music.then((bytes) => sound.load(bytes)).then(() => {
    state.music = 'ready';
    state.musicAt = performance.now();
    player.joinMusic();
  }, (error) => {
    // The audio clock runs on without it, so the picture keeps its pace.
    sound.buffer = null;
    state.music = 'failed';
    showMessage(error.message.startsWith('data/') ? error.message : `data/${MUSIC_FILE}: cannot decode: ${error.message}`);
  });
  // The "video" button and the test surface, made with the music and the script the page plays.
  // The video maker's code (its encoders and muxer) loads beside the show, not before it:
  // state.video appears once it has.
  import('./video.js').then(({ attachVideo }) => {
    const maker = attachVideo({
      bar: $('bar'),
      music: () => sound.buffer,
      script: () => (state.script ? { name: state.script, bytes: module.FS.readFile(`/scripts/${state.script}`) } : null),
      record: state,
    });
    for (const [name, value] of [['video', maker.video], ['cancelVideo', maker.cancel]]) {
      Object.defineProperty(state, name, { value, enumerable: false });
    }
  }, (error) => showMessage(`video.js: cannot load: ${error.message}`));
  // The start: at the link's moment (#t=), else where the visitor was before a reload.
  const linked = linkedTime(location.hash, SHOW_MS);
  if (linked?.error) showMessage(linked.error);
  const from = linked?.ms ?? rememberedPosition() ?? 0;
  $('loading').hidden = true;
  const start = $('start');
  start.textContent = from > 0 ? `click to play from ${formatTime(from)}` : 'click to start';
  start.hidden = false;
  start.focus();
  state.phase = 'ready';
  state.readyAt = performance.now();
  let controls = null;
  // Scripts dropped or opened before the click are played from the start.
  let pendingScript = null;
  takeDrops((file) => {
    if (state.phase === 'ready') {
      pendingScript = file;
      state.pendingScript = file.name;
    } else player.openScript(file).then(() => controls?.markCuts());
  });
  start.addEventListener('click', async () => {
    state.clickedAt = performance.now();
    start.hidden = true;
    sound.context?.resume();  // within the click, which lets the browser start sound
    if (pendingScript !== null) await player.openScript(pendingScript);
    await player.start(from);
    controls = new Controls(player, sound, state);
    $('screen').focus();
  }, { once: true });
  // A link followed on the page itself moves the show there.
  window.addEventListener('hashchange', () => {
    const moved = linkedTime(location.hash, SHOW_MS);
    if (moved?.error) showMessage(moved.error);
    else if (moved && state.phase !== 'ready') player.seekTo(moved.ms);
  });
}

// Takes the files dropped on the page, those dropped before this point included: a folder or
// anything but a file gives a line; `open` gets a file.
function takeDrops(open) {
  window.takeDrop = ({ file, folder }) => {
    if (folder) showMessage(`${file?.name ?? 'the dropped item'}: a folder; drop a scene script file`);
    else if (file === null) showMessage('only a scene script file can be dropped on the show');
    else open(file);
  };
  window.droppedItems.splice(0).forEach(window.takeDrop);
}

main();
