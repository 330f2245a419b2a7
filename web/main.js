// The page: loads the core and the data, then plays the show, or with ?hashes=F or
// ?benchmark runs the matching headless mode and shows its text.
import { loadData, fetchData, MUSIC_FILE } from './data.js';
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

// Lets the page paint before a long synchronous run.
const nextPaint = () => new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0)));

async function runHashes(module, fps) {
  report(`drawing every pass at ${fps} passes a second…`, '');
  await nextPaint();
  const started = performance.now();
  const status = module.ccall('web_hashes', 'number', ['number', 'string', 'string'], [fps, '/hashes.txt', '']);
  if (status !== 0) {
    state.phase = 'error';
    showMessage(module.UTF8ToString(module._web_error()) || 'the hashes run failed');
    return;
  }
  module.FS.chmod('/hashes.txt', 0o644);
  const text = module.FS.readFile('/hashes.txt', { encoding: 'utf8' });
  const passes = text.split('\n').length - 1;
  const seconds = ((performance.now() - started) / 1000).toFixed(1);
  report(`${passes} passes at ${fps} a second, drawn in ${seconds} s: compare with voxelshow --hashes FILE --fps ${fps}`,
    text, `voxelshow-hashes-${fps}.txt`);
  state.phase = 'done';
}

async function runBenchmark(module, printed) {
  report('timing every pass of the show…', '');
  await nextPaint();
  const status = module.ccall('web_benchmark', 'number', ['number', 'string'], [60, '']);
  if (status !== 0) {
    state.phase = 'error';
    showMessage(module.UTF8ToString(module._web_error()) || 'the benchmark failed');
    return;
  }
  // From the renderer's line on: the element types that registration printed before it are not figures.
  const first = Math.max(0, printed.findIndex((line) => line.startsWith('renderer:')));
  report('the benchmark in this browser, one thread, portable renderer', printed.slice(first).join('\n') + '\n');
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
  const printed = [];
  let module;
  try {
    module = await createVoxelshow({ print: (line) => printed.push(line), printErr: (line) => console.warn(line) });
    await loadData(module);
  } catch (error) {
    state.phase = 'error';
    showMessage(error.message);
    return;
  }
  if (params.has('hashes')) {
    const fps = Number(params.get('hashes'));
    if (!Number.isInteger(fps) || fps < 1 || fps > 1000) {
      state.phase = 'error';
      showMessage(`?hashes=${params.get('hashes')}: passes a second must be a whole number from 1 to 1000`);
      return;
    }
    return runHashes(module, fps);
  }
  if (params.has('benchmark')) return runBenchmark(module, printed);

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
