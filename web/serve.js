// A small static server for the built site: `node serve.js DIR [--host H] [--port P]`. It sends
// files as any static host does (no cross-origin isolation headers), each with its type, with
// validators that let a reload reuse what the browser has, and byte ranges. A request that fails
// is answered with its status; nothing a request does ends the server.
import { createServer } from 'node:http';
import { createReadStream } from 'node:fs';
import { pipeline } from 'node:stream';
import { open, realpath, stat } from 'node:fs/promises';
import { extname, join, sep } from 'node:path';

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8', '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm', '.png': 'image/png', '.mp3': 'audio/mpeg', '.ogg': 'audio/ogg',
  '.txt': 'text/plain; charset=utf-8', '.json': 'application/json',
};
const USAGE = 'usage: node serve.js DIR [--host H] [--port P]   (serves DIR on http://127.0.0.1:8000/ unless told otherwise)';

function answer(response, status, text, headers = {}) {
  response.writeHead(status, { 'Content-Type': 'text/plain; charset=utf-8', 'X-Content-Type-Options': 'nosniff', ...headers });
  response.end(`${text}\n`);
}

// The one byte range of a "bytes=A-B", "bytes=A-" or "bytes=-N" header within `size`: null
// when the header asks for none the server gives (several ranges, other units), 'unsatisfiable'
// when it lies outside the file.
export function byteRange(header, size) {
  const match = /^bytes=(\d*)-(\d*)$/.exec(header.trim());
  if (match === null || (match[1] === '' && match[2] === '')) return null;
  let first;
  let last;
  if (match[1] === '') {
    first = Math.max(0, size - Number(match[2]));
    last = size - 1;
  } else {
    first = Number(match[1]);
    last = match[2] === '' ? size - 1 : Math.min(Number(match[2]), size - 1);
  }
  if (first > last || first >= size) return 'unsatisfiable';
  return { first, last };
}

// The file under the real root that the request's path names, following links only where they
// stay inside it; or the status to answer with.
async function locate(base, path) {
  let file = join(base, path);
  if (file !== base && !file.startsWith(base + sep)) return { status: 403 };
  let info;
  try {
    file = await realpath(file);
    if (file !== base && !file.startsWith(base + sep)) return { status: 403 };
    info = await stat(file);
    if (info.isDirectory()) {
      if (!path.endsWith('/')) return { status: 301 };
      file = await realpath(join(file, 'index.html'));
      if (!file.startsWith(base + sep)) return { status: 403 };
      info = await stat(file);
    }
  } catch (error) {
    return { status: error.code === 'EACCES' ? 403 : 404 };
  }
  return info.isFile() ? { file, info } : { status: 404 };
}

async function handle(base, request, response) {
  if (request.method !== 'GET' && request.method !== 'HEAD') {
    answer(response, 405, 'method not allowed', { Allow: 'GET, HEAD' });
    return;
  }
  let url;
  let path;
  try {
    url = new URL(request.url, 'http://localhost');
    path = decodeURIComponent(url.pathname);
  } catch {
    answer(response, 400, 'bad request');
    return;
  }
  if (path.includes('\0')) {
    answer(response, 400, 'bad request');
    return;
  }
  const found = await locate(base, path);
  if (found.status === 301) {
    answer(response, 301, 'moved', { Location: `${url.pathname}/${url.search}` });
    return;
  }
  if (found.status) {
    answer(response, found.status, found.status === 403 ? 'forbidden' : 'not found');
    return;
  }
  const { file, info } = found;
  const etag = `"${info.size.toString(16)}-${Math.floor(info.mtimeMs).toString(16)}"`;
  const headers = {
    'Content-Type': TYPES[extname(file)] ?? 'application/octet-stream', 'Cache-Control': 'no-cache',
    ETag: etag, 'Last-Modified': info.mtime.toUTCString(), 'Accept-Ranges': 'bytes', 'X-Content-Type-Options': 'nosniff',
  };
  const noneMatch = request.headers['if-none-match'];
  const modifiedSince = Date.parse(request.headers['if-modified-since'] ?? '');
  if (noneMatch !== undefined ? noneMatch.split(/\s*,\s*/).includes(etag)
    : modifiedSince >= Math.floor(info.mtimeMs / 1000) * 1000) {
    response.writeHead(304, headers).end();
    return;
  }
  let status = 200;
  let first = 0;
  let last = info.size - 1;
  const rangeHeader = request.headers.range;
  const ifRange = request.headers['if-range'];
  if (rangeHeader !== undefined && (ifRange === undefined || ifRange === etag)) {
    const range = byteRange(rangeHeader, info.size);
    if (range === 'unsatisfiable') {
      answer(response, 416, 'range not satisfiable', { 'Content-Range': `bytes */${info.size}` });
      return;
    }
    if (range !== null) {
      ({ first, last } = range);
      status = 206;
      headers['Content-Range'] = `bytes ${first}-${last}/${info.size}`;
    }
  }
  // Opened before the answer is begun, so that a file that cannot be read is answered as such.
  let handleOfFile;
  try {
    handleOfFile = await open(file, 'r');
  } catch (error) {
    answer(response, error.code === 'EACCES' ? 403 : 404, error.code === 'EACCES' ? 'forbidden' : 'not found');
    return;
  }
  response.writeHead(status, { ...headers, 'Content-Length': Math.max(0, last - first + 1) });
  if (request.method === 'HEAD' || info.size === 0) {
    await handleOfFile.close();
    response.end();
    return;
  }
  // pipeline ends the read (and closes the file) when the visitor goes away mid-transfer, as a
  // page closed while the music arrives does; pipe would leave the file open.
  pipeline(createReadStream(null, { fd: handleOfFile, start: first, end: last }), response, () => {});
}

export async function serve(root, host, port) {
  const base = await realpath(root);
  if (!(await stat(base)).isDirectory()) throw new Error(`${root}: not a folder`);
  const server = createServer((request, response) => {
    handle(base, request, response).catch(() => {
      if (!response.headersSent) answer(response, 500, 'internal error');
      else response.destroy();
    });
  });
  return new Promise((resolveListen, reject) => {
    server.once('error', reject);
    server.listen(port, host, () => resolveListen(server));
  });
}

// The command line's root, host and port, or the line to print and the exit status.
export function parseArguments(args) {
  if (args.includes('--help') || args.includes('-h')) return { exit: 0, line: USAGE };
  let root = null;
  let host = '127.0.0.1';
  let port = 8000;
  for (let i = 0; i < args.length; ++i) {
    const arg = args[i];
    if (arg === '--host' || arg === '--port') {
      const value = args[++i];
      if (value === undefined || value === '') return { exit: 2, line: `serve: ${arg} needs a value\n${USAGE}` };
      if (arg === '--host') host = value;
      else if (!/^\d+$/.test(value) || Number(value) > 65535) {
        return { exit: 2, line: `serve: --port takes a number from 0 to 65535, not '${value}'\n${USAGE}` };
      } else port = Number(value);
    } else if (arg.startsWith('-') || root !== null) {
      return { exit: 2, line: `serve: unknown argument '${arg}'\n${USAGE}` };
    } else root = arg;
  }
  if (root === null) return { exit: 2, line: `serve: which folder to serve?\n${USAGE}` };
  return { root, host, port };
}

if (import.meta.url === `file://${process.argv[1]}`) {
  const parsed = parseArguments(process.argv.slice(2));
  if (parsed.exit !== undefined) {
    (parsed.exit === 0 ? console.log : console.error)(parsed.line);
    process.exit(parsed.exit);
  }
  const { root, host, port } = parsed;
  serve(root, host, port).then((server) => {
    const shown = host.includes(':') ? `[${host}]` : host;
    console.log(`serving ${root} on http://${shown}:${server.address().port}/`);
  }, (error) => {
    const what = error.code === 'ENOENT' ? `${root}: no such folder` : error.message.startsWith(root) ? error.message : `${host}:${port}: ${error.message}`;
    console.error(`serve: ${what}`);
    process.exit(1);
  });
}
