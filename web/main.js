// The page: loads the core and the data, then plays the show, or with ?hashes=F or
// ?benchmark runs the matching headless mode and shows its text.
import { loadData, fetchData, DATA_FILES, MUSIC_FILE } from './data.js';
import { Player } from './player.js';
import { Sound } from './sound.js';

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
  const bytes = await Promise.all(names.map(fetchData));
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

// ?pass=N: pass N of the 60-a-second grid, as --render-frame N draws it, standing still.
function showPass(module, pass) {
  if (!Number.isInteger(pass) || pass < 0) {
    state.phase = 'error';
    showMessage(`?pass=${params.get('pass')}: not a pass number`);
    return;
  }
  const now = Math.floor(performance.now()) >>> 0;
  module._web_begin(now);
  module._web_command(1, now);  // paused: the frame stays
  module._web_seek(Math.floor(pass * 1000 / 60), now);
  const player = new Player(module, new Sound(), state);
  player.present(now);
  state.phase = 'still';
}

async function main() {
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
  let module;
  try {
    module = await createVoxelshow({ printErr: (line) => console.warn(line) });
    await loadData(module);
  } catch (error) {
    state.phase = 'error';
    showMessage(error.message);
    return;
  }

  const seed = Math.floor(Date.now() / 1000) >>> 0;
  if (module.ccall('web_start', 'number', ['string', 'number'], ['', seed]) !== 0) {
    state.phase = 'error';
    showMessage(module.UTF8ToString(module._web_error()));
    return;
  }
  if (params.has('pass')) return showPass(module, Number(params.get('pass')));
  const sound = new Sound();
  const music = fetchData(MUSIC_FILE).then((bytes) => sound.load(bytes)).catch((error) => {
    // As natively, a soundtrack that cannot be played is reported and the show runs silently.
    sound.context = null;
    sound.buffer = null;
    showMessage(error.message.startsWith('data/') ? error.message : `data/${MUSIC_FILE}: cannot decode: ${error.message}`);
  });
  const player = new Player(module, sound, state);
  Object.defineProperty(state, 'sound', { value: sound, enumerable: false });  // for the sound tests
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
  // The overlay takes the click once the music is decoded too, so that the show starts at once.
  const start = $('start');
  start.textContent = 'loading…';
  start.disabled = true;
  start.hidden = false;
  await music;
  start.textContent = 'click to start';
  start.disabled = false;
  start.focus();
  state.phase = 'ready';
  start.addEventListener('click', async () => {
    state.clickedAt = performance.now();
    start.hidden = true;
    sound.context?.resume();  // within the click, which lets the browser start sound
    await player.start();
  }, { once: true });
}

main();
