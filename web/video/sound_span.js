// The music of a video's span, from the decoded music the page plays: its first sample at the
// first frame's time, as long as the picture, at the rate the encoders take (48 kHz: Opus
// records at no other, and AAC takes it too). Music that runs out before the span's end is
// followed by silence, as a stream that has played once is.
import { samplesBeforeFrame } from './span.js';

export const SOUND_RATE = 48000;

// { rate, length, channels: [Float32Array, ...] } for the span, from an AudioBuffer.
export async function soundOfSpan(buffer, { firstPass, frameCount, fps }) {
  const length = samplesBeforeFrame(frameCount, fps, SOUND_RATE);
  if (buffer.sampleRate === SOUND_RATE) {
    const start = samplesBeforeFrame(firstPass, fps, SOUND_RATE);
    const channels = stereo(buffer).map((data) => {
      const out = new Float32Array(length);
      out.set(data.subarray(Math.min(start, data.length), Math.min(start + length, data.length)));
      return out;
    });
    return { rate: SOUND_RATE, length, channels };
  }
  // Another rate: the browser's resampler renders the span, starting on the source's sample
  // nearest the first frame's time.
  const context = new OfflineAudioContext(2, length, SOUND_RATE);
  const source = context.createBufferSource();
  source.buffer = buffer;
  source.connect(context.destination);
  const offset = samplesBeforeFrame(firstPass, fps, buffer.sampleRate) / buffer.sampleRate;
  source.start(0, Math.min(offset, buffer.duration));
  const rendered = await context.startRendering();
  return { rate: SOUND_RATE, length, channels: [0, 1].map((c) => new Float32Array(rendered.getChannelData(c))) };
}

// The first two channels; a mono track on both sides.
function stereo(buffer) {
  const left = buffer.getChannelData(0);
  return [left, buffer.numberOfChannels > 1 ? buffer.getChannelData(1) : left];
}
