// A module (.mod, .s3m, .xm, .it) rendered whole, once, by the npm module player (its
// AudioWorklet, on the studio's own audio context) into a buffer of samples: it then plays from
// any moment and shows its waveform like any other music.
import { ChiptuneJsPlayer } from '../vendor/chiptune3/chiptune3.js';

const RENDER_LIMIT_MS = 120000;  // a module that renders longer than this is taken as broken

let player = null;
let ready = null;

function modulePlayer(context) {
  if (player === null || player.context !== context) {
    // Played once, not looped: the rendering ends with the song.
    player = new ChiptuneJsPlayer({ context, repeatCount: 0 });
    ready = new Promise((resolve) => player.onInitialized(resolve));
  }
  return player;
}

export async function renderModule(bytes, context) {
  const modules = modulePlayer(context);
  await ready;
  const rendered = await new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error('the module player gave no samples')), RENDER_LIMIT_MS);
    const settle = (action) => (value) => {
      clearTimeout(timer);
      modules.handlers = modules.handlers.filter((h) => h.eventName !== 'onFullAudioData' && h.eventName !== 'onError');
      action(value);
    };
    modules.onFullAudioData(settle(resolve));
    modules.onError(settle(({ type }) => reject(new Error(`not a module the player reads (${type})`))));
    modules.decodeAll(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength));
  });
  const [left, right] = rendered.data;
  if (!left?.length) throw new Error('the module holds no sound');
  const buffer = context.createBuffer(2, left.length, context.sampleRate);
  buffer.copyToChannel(Float32Array.from(left), 0);
  buffer.copyToChannel(Float32Array.from(right), 1);
  return buffer;
}
