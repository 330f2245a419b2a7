// The sound a page plays, taken from an AudioWorklet between the music and the output, and
// placed in the decoded music against the picture's clock.
import assert from 'node:assert/strict';

// The tap: passes its input on and posts a copy of the first channel with its first frame.
const TAP = `
class Tap extends AudioWorkletProcessor {
  process(inputs, outputs) {
    const input = inputs[0];
    for (let c = 0; c < input.length; ++c) outputs[0][c].set(input[c]);
    if (input.length > 0) this.port.postMessage({ frame: currentFrame, samples: input[0].slice() });
    return true;
  }
}
registerProcessor('tap', Tap);`;

export async function installTap(page) {
  await page.evaluate(async (source) => {
    const sound = window.voxelshow.sound;
    const url = URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
    await sound.context.audioWorklet.addModule(url);
    const tap = new AudioWorkletNode(sound.context, 'tap', { outputChannelCount: [2] });
    tap.connect(sound.context.destination);
    window.tapped = [];
    tap.port.onmessage = (event) => window.tapped.push(event.data);
    sound.tap = tap;
  }, TAP);
}

// For the blocks tapped from now on, over `seconds`: where each lies in the decoded music
// (the lag at which it matches best, searched within a second of where the picture's clock
// says it should be), minus the picture's clock at that moment, in milliseconds, and the
// largest sample difference at that lag.
export async function measure(page, seconds) {
  return page.evaluate(async (span) => {
    const state = window.voxelshow;
    const sound = state.sound;
    const rate = sound.context.sampleRate;
    const music = sound.buffer.getChannelData(0);
    // Blocks rendered before this moment may still be on their way from the audio thread: only
    // later ones count, which the music playing now produced.
    // The music's start block, where the source began within it, does not count either.
    const from = Math.max(Math.ceil(sound.context.currentTime * rate), Math.ceil((state.counter / 1000) * rate) + 128);
    window.tapped = [];
    await new Promise((done) => setTimeout(done, span * 1000));
    const origin = state.counter - state.shownMs;  // counter reading at demo time 0
    const results = [];
    for (const block of window.tapped.filter((b) => b.frame >= from).filter((b, i) => i % 8 === 0)) {
      let energy = 0;
      for (const s of block.samples) energy += Math.abs(s);
      if (energy < 1) continue;  // too quiet to place
      const pictureMs = (block.frame / rate) * 1000 - origin;
      const expected = Math.round((pictureMs / 1000) * rate);
      let best = { error: Infinity, at: 0 };
      for (let at = Math.max(0, expected - rate); at < Math.min(music.length - 128, expected + rate); ++at) {
        let error = 0;
        for (let i = 0; i < 128 && error < best.error; i += 4) error += Math.abs(music[at + i] - block.samples[i]);
        if (error < best.error) best = { error, at };
      }
      let largest = 0;
      for (let i = 0; i < 128; ++i) largest = Math.max(largest, Math.abs(music[best.at + i] - block.samples[i]));
      results.push({ offsetMs: (best.at / rate) * 1000 - pictureMs, largest });
    }
    return results;
  }, seconds);
}

export function checkInSync(t, results, when) {
  assert.ok(results.length >= 5, `${when}: enough audible blocks were tapped (${results.length})`);
  for (const { offsetMs, largest } of results) {
    assert.ok(largest < 1e-3, `${when}: a tapped block matches the decoded music (differs by ${largest})`);
    assert.ok(Math.abs(offsetMs) <= 5, `${when}: the music is ${offsetMs.toFixed(2)} ms from the picture`);
  }
  const offsets = results.map((r) => r.offsetMs);
  t.diagnostic(`${when}: music minus picture ${Math.min(...offsets).toFixed(2)} to ${Math.max(...offsets).toFixed(2)} ms`);
}
