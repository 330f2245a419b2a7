// Loading the show for a page: the core's code and every data file fetched at once, their bytes
// counted for a progress bar, a transfer that stalls ended after a time limit, and every failure
// one line that names the file and what to do. Any page of the site imports it.

export const DATA_FILES = [
  'heightmap2', 'waterheight', 'colormap2', 'colormap2blue', 'colormap2b', 'colormap2gray', 'colormap2test',
  'colormap2red', 'text1.png', 'text2.png', 'text3.png', 'text4.png', 'text5.png', 'text6.png', 'title.png',
];
export const MUSIC_FILE = 'ostrel&vandt_-_cube.mp3';
export const STALL_MS = 15000;  // a transfer that receives nothing this long is given up
const REBUILD = 'build the site again (./run web build) and serve build-web/site';

// The bytes of every transfer, received and expected, and a callback told of each change.
export class Progress {
  constructor(onChange = () => {}) {
    this.files = new Map();  // name: { loaded, total }
    this.onChange = onChange;
  }

  get loaded() { return [...this.files.values()].reduce((sum, file) => sum + file.loaded, 0); }
  // What the transfers announced; a transfer without a length counts what it has received.
  get total() { return [...this.files.values()].reduce((sum, file) => sum + Math.max(file.total, file.loaded), 0); }

  set(name, loaded, total) {
    this.files.set(name, { loaded, total });
    this.onChange(this);
  }
}

// `url`'s bytes counted into `progress` under `name`, or an Error whose message names the file
// and the reason in one line: not found, refused, or stalled for `stallMs`. With `after`, the
// body is read once that promise has settled (its length counted at once).
export async function fetchCounted(url, name, progress, stallMs = STALL_MS, after = null) {
  const abort = new AbortController();
  let stalled = false;
  let timer = 0;
  const watch = () => {
    clearTimeout(timer);
    timer = setTimeout(() => { stalled = true; abort.abort(); }, stallMs);
  };
  const stallLine = () =>
    new Error(`${name}: the transfer stalled (nothing received for ${stallMs / 1000} s): check the connection, then retry`);
  watch();
  try {
    let response;
    try {
      response = await fetch(url, { signal: abort.signal });
    } catch (error) {
      throw stalled ? stallLine() : new Error(`${name}: cannot fetch (${error.message}): is the site's server running?`);
    }
    if (!response.ok) {
      const what = response.status === 404 ? 'not found on the server' : `the server answered ${response.status} ${response.statusText}`.trim();
      throw new Error(`${name}: ${what}: ${REBUILD}`);
    }
    const total = Number(response.headers.get('Content-Length')) || 0;
    progress.set(name, 0, total);
    if (after !== null) {
      clearTimeout(timer);  // the transfer waits for us meanwhile, not for the connection
      await after;
      watch();
    }
    const chunks = [];
    let loaded = 0;
    const reader = response.body.getReader();
    for (;;) {
      let part;
      try {
        part = await reader.read();
      } catch (error) {
        throw stalled ? stallLine() : new Error(`${name}: the transfer broke off (${error.message}): retry`);
      }
      if (part.done) break;
      watch();
      chunks.push(part.value);
      loaded += part.value.length;
      progress.set(name, loaded, total);
    }
    const bytes = new Uint8Array(loaded);
    let at = 0;
    for (const chunk of chunks) {
      bytes.set(chunk, at);
      at += chunk.length;
    }
    return bytes;
  } finally {
    clearTimeout(timer);
  }
}

// The data file `name` from the site's data/ folder.
export function fetchData(name, progress = new Progress(), stallMs = STALL_MS, after = null) {
  return fetchCounted('data/' + encodeURIComponent(name), `data/${name}`, progress, stallMs, after);
}

// The module factory that voxelshow.js defines, the script added to the page if not there yet.
function loadCoreScript() {
  if (typeof globalThis.createVoxelshow === 'function') return Promise.resolve(globalThis.createVoxelshow);
  return new Promise((resolve, reject) => {
    const script = document.createElement('script');
    script.src = 'voxelshow.js';
    script.onload = () => {
      if (typeof globalThis.createVoxelshow === 'function') resolve(globalThis.createVoxelshow);
      else reject(new Error(`voxelshow.js: broken (it defines no createVoxelshow): ${REBUILD}`));
    };
    script.onerror = () => reject(new Error(`voxelshow.js: cannot be loaded: ${REBUILD}`));
    document.head.append(script);
  });
}

// The core, compiled from voxelshow.wasm (counted into `progress`), with the maps and pictures in
// its /data folder; the music's bytes come separately (`music`), so that the show can start
// before they are all there. Rejects with the first failure's line.
export function loadShow({ progress = new Progress(), stallMs = STALL_MS, printErr = (line) => console.warn(line) } = {}) {
  // The music asked for first: its length, most of the bytes, is then in the count from the
  // start, and it takes one of the browser's connections to the site, the rest going to the
  // files the show starts with. Its body is read once those are in, so that it does not take
  // their bandwidth (and the machine's time) while the start waits for them.
  let startIsIn;
  const music = fetchData(MUSIC_FILE, progress, stallMs, new Promise((resolve) => { startIsIn = resolve; }));
  const wasm = fetchCounted('voxelshow.wasm', 'voxelshow.wasm', progress, stallMs);
  const files = DATA_FILES.map((name) => fetchData(name, progress, stallMs));
  Promise.allSettled([wasm, ...files]).then(() => startIsIn());
  music.catch(() => {});  // its failure is the caller's to report, when it looks
  // Compiled as soon as its bytes are there, while the rest still arrives.
  const compiled = wasm.then((bytes) => WebAssembly.compile(bytes).catch((error) => {
    throw new Error(`voxelshow.wasm: not a module this page can run (${error.message}): ${REBUILD}`);
  }));
  compiled.catch(() => {});  // reported through `module`
  const module = (async () => {
    const [create, code] = await Promise.all([loadCoreScript(), compiled]);
    let refused;
    const refusal = new Promise((resolve, reject) => { refused = reject; });
    try {
      return await Promise.race([refusal, create({
        printErr,
        instantiateWasm: (imports, done) => {
          WebAssembly.instantiate(code, imports).then((instance) => done(instance, code), refused);
          return {};
        },
      })]);
    } catch (error) {
      throw new Error(`voxelshow.wasm: not a module this page can run (${error.message ?? error}): ${REBUILD}`);
    }
  })();
  const ready = (async () => {
    const [core, ...bytes] = await Promise.all([module, ...files]);
    core.FS.mkdir('/data');
    DATA_FILES.forEach((name, i) => core.FS.writeFile('/data/' + name, bytes[i]));
    return core;
  })();
  return { module: ready, music, progress };
}
