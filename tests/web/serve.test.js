// The site's server, asked with raw HTTP requests (fetch would clean ".." out of a path): it
// serves as a static host does and no request ends it.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { chmodSync, mkdirSync, mkdtempSync, readdirSync, rmSync, symlinkSync, writeFileSync } from 'node:fs';
import { request } from 'node:http';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { spawnSync, spawn } from 'node:child_process';
import { ROOT } from './browser.js';

const { serve } = await import(join(ROOT, 'web', 'serve.js'));
const SERVE = join(ROOT, 'web', 'serve.js');

let work;
let server;
let port;

before(async () => {
  work = mkdtempSync(join(tmpdir(), 'voxelshow-serve-'));
  const site = join(work, 'site');
  mkdirSync(join(site, 'sub'), { recursive: true });
  mkdirSync(join(site, 'odd', 'index.html'), { recursive: true });  // a folder named as a page
  writeFileSync(join(site, 'index.html'), '<p>home</p>');
  writeFileSync(join(site, 'sub', 'index.html'), '<p>sub</p>');
  writeFileSync(join(site, 'music.mp3'), Buffer.from(Array.from({ length: 1000 }, (_, i) => i % 251)));
  writeFileSync(join(site, 'large.bin'), Buffer.alloc(32 << 20));
  writeFileSync(join(site, 'locked.js'), 'secret');
  chmodSync(join(site, 'locked.js'), 0);
  writeFileSync(join(work, 'outside.txt'), 'outside the site');
  symlinkSync(join(work, 'outside.txt'), join(site, 'leak.txt'));
  symlinkSync(join(site, 'index.html'), join(site, 'inside.html'));
  server = await serve(site, '127.0.0.1', 0);
  port = server.address().port;
});

after(() => {
  server?.close();
  rmSync(work, { recursive: true, force: true });
});

function ask(path, { method = 'GET', headers = {}, at = port } = {}) {
  return new Promise((resolve, reject) => {
    const req = request({ host: '127.0.0.1', port: at, path, method, headers }, (response) => {
      const chunks = [];
      response.on('data', (chunk) => chunks.push(chunk));
      response.on('end', () => resolve({ status: response.statusCode, headers: response.headers, body: Buffer.concat(chunks) }));
    });
    req.on('error', reject);
    req.end();
  });
}

test('the server answers bad paths, methods and files per request and stays up', async () => {
  for (const path of ['/..%2f..%2fREADME.md', '/..%2foutside.txt', '/sub/..%2f..%2foutside.txt']) {
    const answer = await ask(path);
    assert.equal(answer.status, 403, path);
    assert.doesNotMatch(answer.body.toString(), /outside the site/, path);
  }
  assert.equal((await ask('/../outside.txt')).status, 404, 'a plain ".." is taken as the URL takes it: to the root');
  assert.equal((await ask('/leak.txt')).status, 403, 'a link out of the site is refused');
  assert.equal((await ask('/inside.html')).body.toString(), '<p>home</p>', 'a link within the site is followed');
  if (process.getuid?.() !== 0) assert.equal((await ask('/locked.js')).status, 403, 'an unreadable file');
  assert.equal((await ask('/odd/')).status, 404, 'a folder named index.html');
  assert.equal((await ask('/odd/index.html')).status, 301, 'a folder, whatever its name');
  assert.equal((await ask('/nothing.js')).status, 404);
  assert.equal((await ask('/%zz')).status, 400);
  const post = await ask('/index.html', { method: 'POST' });
  assert.equal(post.status, 405);
  assert.equal(post.headers.allow, 'GET, HEAD');
  assert.equal((await ask('/index.html', { method: 'DELETE' })).status, 405);
  const moved = await ask('/sub?x=1');
  assert.equal(moved.status, 301);
  assert.equal(moved.headers.location, '/sub/?x=1');
  assert.equal((await ask('/sub/')).body.toString(), '<p>sub</p>');
  const home = await ask('/');
  assert.equal(home.status, 200, 'still serving after every bad request');
  assert.equal(home.headers['x-content-type-options'], 'nosniff');
  assert.equal(home.headers['content-type'], 'text/html; charset=utf-8');
});

test('a reload is answered 304 by its validators, and byte ranges are served', async () => {
  const first = await ask('/music.mp3');
  assert.equal(first.status, 200);
  assert.equal(first.body.length, 1000);
  assert.ok(first.headers.etag && first.headers['last-modified']);
  const again = await ask('/music.mp3', { headers: { 'If-None-Match': first.headers.etag } });
  assert.equal(again.status, 304);
  assert.equal(again.body.length, 0);
  assert.equal((await ask('/music.mp3', { headers: { 'If-Modified-Since': first.headers['last-modified'] } })).status, 304);
  assert.equal((await ask('/music.mp3', { headers: { 'If-None-Match': '"other"' } })).status, 200);

  const part = await ask('/music.mp3', { headers: { Range: 'bytes=100-199' } });
  assert.equal(part.status, 206);
  assert.equal(part.headers['content-range'], 'bytes 100-199/1000');
  assert.deepEqual([...part.body], Array.from({ length: 100 }, (_, i) => (100 + i) % 251));
  const tail = await ask('/music.mp3', { headers: { Range: 'bytes=-10' } });
  assert.equal(tail.headers['content-range'], 'bytes 990-999/1000');
  assert.equal(tail.body.length, 10);
  const open = await ask('/music.mp3', { headers: { Range: 'bytes=995-' } });
  assert.equal(open.body.length, 5);
  assert.equal((await ask('/music.mp3', { headers: { Range: 'bytes=1000-' } })).status, 416);
  const stale = await ask('/music.mp3', { headers: { Range: 'bytes=0-9', 'If-Range': '"old"' } });
  assert.equal(stale.status, 200, 'a range of another version of the file gives the whole file');
  assert.equal((await ask('/music.mp3', { method: 'HEAD' })).headers['content-length'], '1000');
});

test('a transfer the visitor breaks off closes its file', async () => {
  const openFiles = () => readdirSync('/proc/self/fd').length;
  const before = openFiles();
  for (let i = 0; i < 10; ++i) {
    await new Promise((resolve, reject) => {
      const req = request({ host: '127.0.0.1', port, path: '/large.bin' }, (response) => {
        response.once('data', () => { req.destroy(); resolve(); });
      });
      req.on('error', (error) => (error.code === 'ECONNRESET' ? resolve() : reject(error)));
      req.end();
    });
  }
  for (const deadline = Date.now() + 20000; openFiles() > before && Date.now() < deadline;) {
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
  assert.equal(openFiles(), before, 'every file of a broken-off transfer is closed');
});

test('the command line: usage, a missing folder, and the real port printed', async () => {
  const run = (...args) => spawnSync(process.execPath, [SERVE, ...args], { encoding: 'utf8', timeout: 20000 });
  for (const args of [[], ['--host'], [work, '--port'], [work, '--port', 'x'], [work, '--bogus']]) {
    const result = run(...args);
    assert.equal(result.status, 2, args.join(' '));
    assert.match(result.stderr, /^serve: .+\nusage: node serve\.js DIR/, args.join(' '));
    assert.doesNotMatch(result.stderr, /\n\s+at /, 'no stack trace');
  }
  const help = run('--help');
  assert.equal(help.status, 0);
  assert.match(help.stdout, /^usage: node serve\.js DIR/);
  const missing = run(join(work, 'none'));
  assert.equal(missing.status, 1);
  assert.equal(missing.stderr, `serve: ${join(work, 'none')}: no such folder\n`);

  const child = spawn(process.execPath, [SERVE, join(work, 'site'), '--port', '0']);
  try {
    const line = await new Promise((resolve, reject) => {
      let out = '';
      child.stdout.on('data', (chunk) => {
        out += chunk;
        if (out.includes('\n')) resolve(out);
      });
      child.on('exit', () => reject(new Error(`serve.js ended: ${out}`)));
    });
    const printed = /^serving .+ on http:\/\/127\.0\.0\.1:(\d+)\/\n$/.exec(line);
    assert.ok(printed, line);
    assert.notEqual(printed[1], '0');
    assert.equal((await ask('/', { at: Number(printed[1]) })).body.toString(), '<p>home</p>', 'the printed port is the one served');
  } finally {
    child.kill();
  }
});
