// Runs one of the core's headless modes (the hashes or the benchmark) on a thread of its own, so
// that the page stays responsive however long the run takes. Given the data files' bytes, it
// answers with the mode's text, or with the failure's one line.
importScripts('voxelshow.js');

onmessage = async ({ data: { mode, fps, simd, files } }) => {
  const printed = [];
  // The core's error lines, kept so that a failure the core prints (an output it cannot write)
  // is the line shown.
  const errors = [];
  const module = await createVoxelshow({ print: (line) => printed.push(line), printErr: (line) => errors.push(line) });
  module.FS.mkdir('/data');
  for (const [name, bytes] of Object.entries(files)) module.FS.writeFile('/data/' + name, bytes);
  const started = performance.now();
  const status = mode === 'hashes'
    ? module.ccall('web_hashes', 'number', ['number', 'string', 'string'], [fps, '/hashes.txt', ''])
    : module.ccall('web_benchmark', 'number', ['number', 'string', 'string'], [fps, '', simd]);
  const seconds = (performance.now() - started) / 1000;
  if (status !== 0) {
    postMessage({ error: module.UTF8ToString(module._web_error()) || errors.at(-1) || `the ${mode} run failed` });
    return;
  }
  if (mode === 'hashes') {
    module.FS.chmod('/hashes.txt', 0o644);  // the core's output file is made with the umask's mode
    postMessage({ text: module.FS.readFile('/hashes.txt', { encoding: 'utf8' }), seconds });
    return;
  }
  // From the renderer's line on: the element types that registration printed before it are not figures.
  const first = Math.max(0, printed.findIndex((line) => line.startsWith('renderer:')));
  postMessage({ text: printed.slice(first).join('\n') + '\n', seconds });
};
