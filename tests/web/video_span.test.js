// The video's passes and samples are counted as the native capture counts them.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spanOf, samplesBeforeFrame, parseTime, lastPassOfShow, factorOf } from '../../web/video/span.js';

test('a span holds the passes whose reading lies in [from, to), cut at the show\'s last pass', () => {
  assert.deepEqual(spanOf(0, null, 60), { fps: 60, firstPass: 0, frameCount: 11761 });  // passes 0 to 11760
  assert.equal(lastPassOfShow(60), 11760);
  assert.equal(lastPassOfShow(25), 4900);
  // 38.5 s at 30: pass 1155 reads 38500 ms; 43.5 s is pass 1305, left out.
  assert.deepEqual(spanOf(38.5, 43.5, 30), { fps: 30, firstPass: 1155, frameCount: 150 });
  // A start between passes begins at the next one: at 60, 10.001 s is pass 601 (10016 ms).
  assert.equal(spanOf(10.001, 11, 60).firstPass, 601);
  // The end as the capture's summary gives it (196.02 at 60) is allowed, and ends with the last pass.
  assert.deepEqual(spanOf(196, 196.02, 60), { fps: 60, firstPass: 11760, frameCount: 1 });
  for (const [from, to, fps] of [[-1, 2, 60], [5, 5, 60], [6, 5, 60], [0, 197, 60], [0, 2, 24], [NaN, 2, 60]]) {
    assert.throws(() => spanOf(from, to, fps), Error, `${from} to ${to} at ${fps}`);
  }
});

test('the sound starts at the sample nearest the first frame\'s time and is as long as the picture', () => {
  assert.equal(samplesBeforeFrame(1, 60, 48000), 800);
  assert.equal(samplesBeforeFrame(1, 60, 44100), 735);
  assert.equal(samplesBeforeFrame(1, 30, 44100), 1470);
  // 1/50 s at 44.1 kHz is 882 samples exactly; 1/25 s of 7 frames rounds 12348 to the nearest.
  assert.equal(samplesBeforeFrame(7, 50, 44100), 6174);
  assert.equal(samplesBeforeFrame(11761, 60, 48000), 9408800);
  // Half a sample rounds up, as the native count does: 1 frame at 25 of a 1001 Hz track is 40.04.
  assert.equal(samplesBeforeFrame(1, 25, 1001), 40);
  assert.equal(samplesBeforeFrame(1, 16, 1000), 63);  // 62.5
});

test('times and sizes are read as the dialog and the command line take them', () => {
  assert.equal(parseTime('83.5'), 83.5);
  assert.equal(parseTime(' 1:23.5 '), 83.5);
  assert.equal(parseTime('0:05'), 5);
  for (const bad of ['1:5', '1:60', '-3', '', 'a', '1:2:03']) assert.ok(Number.isNaN(parseTime(bad)), bad);
  assert.equal(factorOf(640, 480), 1);
  assert.equal(factorOf(2560, 1920), 4);
  for (const [w, h] of [[960, 720], [1280, 720], [3200, 2400], [0, 0]]) assert.throws(() => factorOf(w, h), Error);
});
