// Videos made in the page: read back with ffprobe and ffmpeg against the native program's frames,
// hashes and sound; a cancelled video leaves nothing; an encoder that fails to start is named
// and another format offered; the show plays on while a video is made.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { readFileSync, writeFileSync, readdirSync, cpSync } from 'node:fs';
import { join } from 'node:path';
import { openSite, closeSite, native, startSite, waitForState, SITE } from './browser.js';

const FROM = 50.5;  // two seconds across the cut to the radial view at 51 s
const TO = 52.5;
const FPS = 30;
const FIRST = 1515;  // the first pass at or after 50.5 s at 30 a second
const FRAMES = 60;

let site;
let browser;
let work;

before(async () => {
  ({ site, browser, work } = await openSite('voxelshow-video-'));
});

after(() => closeSite({ site, browser, work }));


function tool(name, args, encoding = null) {
  return execFileSync(name, args, { maxBuffer: 1 << 28, encoding, stdio: ['ignore', 'pipe', 'pipe'] });
}

async function readyPage(url = site.url) {
  const page = await browser.newPage();
  await page.goto(url);
  await waitForState(page, () => window.voxelshow.phase === 'ready' && window.voxelshow.music === 'ready' && window.voxelshow.video !== undefined);
  return page;
}

// Makes a video through the test surface; the file's bytes, or the rejection's line.
async function makeVideo(page, options) {
  const result = await page.evaluate(async (asked) => {
    try {
      const blob = await window.voxelshow.video(asked);
      const bytes = new Uint8Array(await blob.arrayBuffer());
      let text = '';
      for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
      return { base64: btoa(text), type: blob.type, lastVideo: window.voxelshow.lastVideo };
    } catch (error) {
      return { error: error.message };
    }
  }, options);
  if (result.error) return result;
  return { bytes: Buffer.from(result.base64, 'base64'), lastVideo: result.lastVideo };
}

// The files the page keeps in its private storage.
const privateFiles = (page) => page.evaluate(async () => {
  const names = [];
  for await (const name of (await navigator.storage.getDirectory()).keys()) names.push(name);
  return names;
});

function psnr(a, b) {
  let sum = 0;
  for (let i = 0; i < a.length; ++i) sum += (a[i] - b[i]) ** 2;
  return 10 * Math.log10((255 * 255) / (sum / a.length));
}

// Mono 48 kHz floats of a file's sound.
function samples(file) {
  const raw = tool('ffmpeg', ['-v', 'error', '-i', file, '-ac', '1', '-ar', '48000', '-f', 'f32le', '-']);
  return new Float32Array(raw.buffer, raw.byteOffset, raw.length / 4);
}

// The lag in samples (within ±maxLag) at which `b` best matches `a`, by normalised
// cross-correlation over a window in the middle: b[i + lag] ~ a[i].
function lagOf(a, b, maxLag) {
  const start = 12000;
  const length = Math.min(a.length, b.length) - start - maxLag - 1 - 12000;
  let best = { lag: 0, score: -Infinity };
  for (let lag = -maxLag; lag <= maxLag; ++lag) {
    let dot = 0;
    let energy = 0;
    for (let i = start; i < start + length; i += 2) {
      dot += a[i] * b[i + lag];
      energy += b[i + lag] * b[i + lag];
    }
    const score = dot / Math.sqrt(energy || 1);
    if (score > best.score) best = { lag, score };
  }
  return best.lag;
}

test('a span across a cut to mp4 and to webm: codecs, frames, duration, pictures, sound and hashes', async (t) => {
  const hashes = join(work, 'hashes.txt');
  native('--hashes', hashes, '--fps', String(FPS));
  const expectedHashes = readFileSync(hashes, 'utf8').split('\n').slice(FIRST, FIRST + FRAMES).join('\n') + '\n';
  const wav = join(work, 'native.wav');
  native('--capture', wav, '--from', String(FROM), '--to', String(TO), '--fps', String(FPS));
  const reference = samples(wav);
  const checked = [0, 15, 16, 59];  // the first frame, both sides of the cut at 51 s (pass 1530), the last
  // Each checked pass as --render-frame draws it, and as a 4:2:0 file can hold it at best (the
  // colours of every two by two pixels shared): the radial view's fine colours lose up to 7 dB to
  // that alone, so the encoder is held to 35 dB against the 4:2:0 picture everywhere, and against
  // the drawn one where 4:2:0 itself keeps it within 40 dB.
  const pictures = {};
  for (const k of checked) {
    const png = join(work, `pass${k}.png`);
    native('--render-frame', String(FIRST + k), '--fps', String(FPS), '--out', png);
    const rgb = tool('ffmpeg', ['-v', 'error', '-i', png, '-f', 'rawvideo', '-pix_fmt', 'rgb24', '-']);
    const subsampled = tool('ffmpeg', ['-v', 'error', '-i', png, '-vf', 'format=yuv420p,format=rgb24', '-f', 'rawvideo', '-']);
    pictures[k] = { rgb, subsampled, ceiling: psnr(subsampled, rgb) };
  }

  const page = await readyPage();
  for (const [format, codecs] of [['mp4', ['h264', 'aac']], ['webm', ['vp9', 'opus']]]) {
    const made = await makeVideo(page, { from: FROM, to: TO, fps: FPS, width: 640, height: 480, format, sound: true, hashes: true });
    assert.equal(made.error, undefined, `${format}: ${made.error}`);
    const file = join(work, `video.${format}`);
    writeFileSync(file, made.bytes);
    assert.equal(made.lastVideo.hashes, expectedHashes, `${format}: the frames given to the encoder hash as --hashes's`);

    const probe = JSON.parse(tool('ffprobe', ['-v', 'error', '-count_frames', '-show_streams', '-show_format', '-of', 'json', file], 'utf8'));
    const video = probe.streams.find((s) => s.codec_type === 'video');
    const audio = probe.streams.find((s) => s.codec_type === 'audio');
    assert.deepEqual([video?.codec_name, audio?.codec_name], made.lastVideo.note ? [codecs[0], 'opus'] : codecs, format);
    assert.equal(Number(video.nb_read_frames), FRAMES, `${format}: frames`);
    assert.equal(`${video.width}x${video.height}`, '640x480');
    assert.ok(Math.abs(Number(probe.format.duration) - FRAMES / FPS) < 0.03, `${format}: duration ${probe.format.duration}`);

    const decoded = tool('ffmpeg', ['-v', 'error', '-i', file, '-f', 'rawvideo', '-pix_fmt', 'rgb24', '-']);
    const size = 640 * 480 * 3;
    assert.equal(decoded.length, FRAMES * size, `${format}: decoded frames`);
    for (const k of checked) {
      const frame = decoded.subarray(k * size, (k + 1) * size);
      const { rgb, subsampled, ceiling } = pictures[k];
      const [drawn, held] = [psnr(frame, rgb), psnr(frame, subsampled)];
      t.diagnostic(`${format}: frame ${k} (pass ${FIRST + k}) ${drawn.toFixed(1)} dB from the drawn frame, `
        + `${held.toFixed(1)} dB from its 4:2:0 form (which is ${ceiling.toFixed(1)} dB from it)`);
      assert.ok(held >= 35, `${format}: frame ${k} is ${held.toFixed(1)} dB from --render-frame ${FIRST + k} in 4:2:0`);
      if (ceiling >= 40) assert.ok(drawn >= 35, `${format}: frame ${k} is ${drawn.toFixed(1)} dB from --render-frame ${FIRST + k}`);
    }

    const sound = samples(file);
    assert.ok(Math.abs(sound.length - reference.length) <= 1024, `${format}: ${sound.length} samples against ${reference.length}`);
    const lag = lagOf(reference, sound, 480);
    t.diagnostic(`${format}: the sound lags the native WAV by ${(lag / 48).toFixed(3)} ms`);
    assert.ok(Math.abs(lag) <= 48, `${format}: the sound is ${(lag / 48).toFixed(2)} ms from the native capture's`);
  }
  assert.equal((await privateFiles(page)).length, 1, 'the last video\'s file is kept for its download, no other');
  await page.close();
});

// The page's save picker stands in for the browser's: it gives a file in the page's private
// storage (or says the person closed it), so that the dialog's path through a picker is taken.
const STAND_IN_PICKER = () => {
  window.showSaveFilePicker = async ({ suggestedName }) => {
    if (window.pickerCloses) throw new DOMException('closed', 'AbortError');
    window.picked = `picked-${suggestedName}`;
    return (await navigator.storage.getDirectory()).getFileHandle(window.picked, { create: true });
  };
};

async function dialogPage(url = site.url) {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(STAND_IN_PICKER);
  await page.goto(url);
  await waitForState(page, () => window.voxelshow.phase === 'ready' && window.voxelshow.music === 'ready' && window.voxelshow.video !== undefined);
  // The page's storage as a new visitor has it (the tests before kept their last video).
  await page.evaluate(async () => {
    const folder = await navigator.storage.getDirectory();
    for await (const name of folder.keys()) await folder.removeEntry(name);
  });
  await page.click('#start');
  await waitForState(page, () => window.voxelshow.phase === 'playing');
  await page.click('#video');
  return page;
}

const lineOf = (page) => page.$eval('#video-line', (p) => p.textContent);

test('the dialog writes a video through the save picker; a cancelled one leaves no file and offers no download', async () => {
  const page = await dialogPage();
  await page.click('#video-part');
  for (const [id, value] of [['#video-from', '1:00'], ['#video-to', '61.5']]) {
    await page.$eval(id, (input) => { input.value = ''; });
    await page.type(id, value);
  }
  await page.select('#video-fps', '25');
  await page.click('#video-make');
  await page.waitForFunction(() => /written|: /.test(document.getElementById('video-line').textContent)
    && !document.getElementById('video-make').disabled, { polling: 100, timeout: 120000 });
  assert.match(await lineOf(page), /^picked-voxelshow\.mp4: written, made in /);
  const bytes = Buffer.from(await page.evaluate(async () => {
    const file = await (await (await navigator.storage.getDirectory()).getFileHandle(window.picked)).getFile();
    return Array.from(new Uint8Array(await file.arrayBuffer()));
  }));
  const file = join(work, 'picked.mp4');
  writeFileSync(file, bytes);
  const probe = JSON.parse(tool('ffprobe', ['-v', 'error', '-count_frames', '-show_streams', '-of', 'json', file], 'utf8'));
  assert.deepEqual(probe.streams.map((s) => s.codec_name), ['h264', 'aac']);
  assert.equal(Number(probe.streams[0].nb_read_frames), 38);  // 60 to 61.5 s at 25: passes 1500 to 1537
  assert.equal(await page.$eval('#video-download', (a) => a.hidden), true);
  await page.evaluate(() => (async () => (await navigator.storage.getDirectory()).removeEntry(window.picked))());

  // A picker closed without a name makes nothing.
  await page.evaluate(() => { window.pickerCloses = true; });
  await page.click('#video-make');
  await page.evaluate(() => new Promise((done) => setTimeout(done, 0)));  // the click's handler has run
  assert.deepEqual(await privateFiles(page), []);
  assert.equal(await page.$eval('#video-make', (button) => button.disabled), false);

  // Cancelled in the dialog, then through the test surface: nothing is left.
  await page.evaluate(() => { window.pickerCloses = false; });
  await page.click('#video-whole');
  await page.click('#video-make');
  // The bar still shows the last video's end until this one is under way (its cancel shown).
  await page.waitForFunction(() => !document.getElementById('video-cancel').hidden
    && document.getElementById('video-progress').value > 0, { polling: 50, timeout: 60000 });
  // The focus goes with the pressed button to the one shown, never left on a disabled or hidden one.
  const focused = () => page.evaluate(() => document.activeElement.id);
  assert.equal(await focused(), 'video-cancel');
  await page.click('#video-cancel');
  await page.waitForFunction(() => /^cancelled/.test(document.getElementById('video-line').textContent), { polling: 50, timeout: 60000 });
  assert.equal(await focused(), 'video-make');
  assert.equal(await page.$eval('#video-download', (a) => a.hidden), true);
  assert.deepEqual(await privateFiles(page), []);

  const outcome = page.evaluate(() => window.voxelshow.video({ from: 0, to: 60, fps: 60, format: 'mp4', sound: true })
    .then(() => 'finished', (error) => error.message));
  await waitForState(page, () => window.voxelshow.videoProgress?.frame > 0, 60000);
  await page.evaluate(() => window.voxelshow.cancelVideo());
  assert.match(await outcome, /^cancelled/);
  assert.deepEqual(await privateFiles(page), []);
  await page.close();
});

// A VP9 encoder that the browser lists as supported but that fails to start, in the page and in
// the worker (a copy of the site whose worker starts with the same fault).
const BROKEN_VP9 = `(() => {
  const configure = VideoEncoder.prototype.configure;
  VideoEncoder.prototype.configure = function (config) {
    if (config.codec.startsWith('vp09')) throw new DOMException('the encoder could not be created', 'OperationError');
    return configure.call(this, config);
  };
})();\n`;

test('an encoder that fails to start gives one line, and the dialog offers the other format', async () => {
  const broken = join(work, 'broken-site');
  execFileSync('mkdir', ['-p', broken]);
  // A copy, not links: the server serves nothing that leads out of its folder.
  for (const name of readdirSync(SITE)) {
    if (name !== 'video_worker.js') cpSync(join(SITE, name), join(broken, name), { recursive: true });
  }
  writeFileSync(join(broken, 'video_worker.js'), BROKEN_VP9 + readFileSync(join(SITE, 'video_worker.js'), 'utf8'));
  const brokenSite = await startSite(broken);
  try {
    const page = await browser.newPage();
    await page.evaluateOnNewDocument(BROKEN_VP9);
    await page.goto(brokenSite.url);
    await waitForState(page, () => window.voxelshow.phase === 'ready' && window.voxelshow.music === 'ready' && window.voxelshow.video !== undefined);
    const made = await makeVideo(page, { from: 10, to: 11, fps: 30, format: 'webm', sound: false });
    assert.match(made.error ?? '', /^webm: VP9 encoder fails to start: .*could not be created$/);
    assert.ok(!made.error.includes('\n'));
    assert.deepEqual(await privateFiles(page), []);
    await page.click('#start');
    await waitForState(page, () => window.voxelshow.phase === 'playing');
    await page.click('#video');
    await page.select('#video-format', 'webm');
    await page.waitForFunction(() => document.querySelector('#video-format option[value=webm]').disabled
      && document.getElementById('video-format').value === 'mp4', { polling: 50, timeout: 60000 });
    const line = await page.$eval('#video-line', (p) => p.textContent);
    assert.match(line, /^webm: VP9 encoder fails to start: .*; mp4 is offered$/);
    assert.equal(await page.$eval('#video-name', (input) => input.value), 'voxelshow.mp4');
    await page.close();
  } finally {
    brokenSite.server.close();
  }
});

test('the show plays on and keys act while a video is made', async () => {
  const page = await readyPage();
  await page.click('#start');
  await waitForState(page, () => window.voxelshow.phase === 'playing' && window.voxelshow.shownMs > 500);
  await page.evaluate(() => {
    window.videoDone = false;
    window.voxelshow.video({ from: 30, to: 40, fps: 60, format: 'mp4', sound: false })
      .finally(() => { window.videoDone = true; });
  });
  // Once the worker draws, the page goes on presenting frames meanwhile.
  await waitForState(page, () => window.voxelshow.videoProgress?.frame > 0, 60000);
  const presented = await page.evaluate(() => window.voxelshow.presented);
  await waitForState(page, (from) => window.voxelshow.presented >= from + 20, 30000, presented);
  // Space pauses on the next frame: the one shown stays and the video is still being made.
  await page.keyboard.press('Space');
  const paused = await page.evaluate(() => ({ paused: window.voxelshow.paused, done: window.videoDone }));
  assert.deepEqual(paused, { paused: true, done: false });
  await page.evaluate(() => window.voxelshow.cancelVideo());
  await page.close();
});
