// The encoders a video is made with: WebCodecs' own for the picture, and for the sound the
// browser's or, for AAC where it has none, the npm AAC encoder. A codec the browser lists as
// supported can still fail to start, so the picture's is proven by encoding a real frame.
import { canEncodeAudio } from 'mediabunny';
import { registerAacEncoder } from '@mediabunny/aac-encoder';

export const FORMATS = {
  mp4: { video: 'avc', name: 'H.264', sound: ['aac', 'opus'] },
  webm: { video: 'vp9', name: 'VP9', sound: ['opus'] },
};
const SOUND_NAMES = { aac: 'AAC', opus: 'Opus' };
const SOUND_BITRATES = { aac: 192000, opus: 160000 };

// Candidate codec strings, best first: H.264 High, Main and Constrained Baseline at level 5.2
// (2560x1920 at 60 a second fits), VP9 profile 0 at level 5.1 and 4.1.
const CODEC_STRINGS = {
  avc: ['avc1.640034', 'avc1.4d0034', 'avc1.42e034'],
  vp9: ['vp09.00.51.08', 'vp09.00.41.08'],
};

// Bits a second for the picture where the encoder takes no constant quantizer (H.264 here): about
// 1.6 Mbit a frame at 640x480, which the radial view, the show's most detailed, needs to keep
// within 35 dB of the frame as 4:2:0 holds it; the quieter views take far less of it. Growing
// with the pixels less than in proportion, as the larger sizes repeat pixels.
export function videoBitrate(width, height, fps) {
  const pixels = (width * height) / (640 * 480);
  return Math.min(Math.round(1.6e6 * fps * Math.sqrt(pixels)), 200e6);
}

// A constant quantizer per frame, as the native capture's constant quality: the show's views
// differ so much in detail that a bit rate to suit the radial view's would be wasted on the rest.
export const QUANTIZER = { avc: 20, vp9: 24 };

export function videoConfig(codec, width, height, fps, quantizer = true) {
  const config = { codec, width, height, framerate: fps, latencyMode: 'quality' };
  if (quantizer) config.bitrateMode = 'quantizer';
  else config.bitrate = videoBitrate(width, height, fps);
  if (codec.startsWith('avc1')) config.avc = { format: 'avc' };
  return config;
}

// The options of one frame's encode under `config`.
export function frameOptions(config, keyFrame) {
  const options = { keyFrame };
  if (config.bitrateMode === 'quantizer') {
    if (config.codec.startsWith('avc1')) options.avc = { quantizer: QUANTIZER.avc };
    else options.vp9 = { quantizer: QUANTIZER.vp9 };
  }
  return options;
}

// Starts an encoder for the first configuration that takes the frame `frame` (a VideoFrame the
// caller keeps) and gives a chunk for it, which goes to onChunk: resolves with { encoder,
// config }, or rejects with the reason for the last configuration tried.
export async function startVideoEncoder(format, frame, fps, onChunk, onError) {
  let reason = 'no configuration is supported';
  const candidates = CODEC_STRINGS[FORMATS[format].video].flatMap((codec) => [true, false].map((quantizer) => (
    videoConfig(codec, frame.codedWidth, frame.codedHeight, fps, quantizer))));
  for (const config of candidates) {
    const { codec } = config;
    try {
      const support = await VideoEncoder.isConfigSupported(config);
      if (!support.supported) {
        reason = `${codec} at ${config.width}x${config.height} is not supported`;
        continue;
      }
    } catch (error) {
      reason = error.message;
      continue;
    }
    const started = await tryEncoder(config, frame, onChunk, onError);
    if (started.encoder) return { encoder: started.encoder, config };
    reason = started.reason;
  }
  throw new Error(`${FORMATS[format].name} encoder fails to start: ${reason}`);
}

// Encodes the first frame and waits for its chunk: an encoder that errs or gives nothing has
// not started.
async function tryEncoder(config, frame, onChunk, onError) {
  let failure = null;
  let live = false;
  const held = [];  // the first frame's chunks, passed on once the encoder has proved itself
  const encoder = new VideoEncoder({
    output: (chunk, meta) => {
      if (live) onChunk(chunk, meta);
      else held.push([chunk, meta]);
    },
    error: (error) => {
      failure = error;
      if (live) onError(error);
    },
  });
  try {
    encoder.configure(config);
    encoder.encode(frame, frameOptions(config, true));
    await encoder.flush();
  } catch (error) {
    failure = failure ?? error;
  }
  if (failure === null && held.length > 0) {
    live = true;
    for (const [chunk, meta] of held) onChunk(chunk, meta);
    return { encoder };
  }
  if (encoder.state !== 'closed') encoder.close();
  return { reason: failure?.message ?? 'it gave no data for a frame' };
}

// The sound's codec for a format: the first the browser or an npm encoder can make, with a
// note when it is not the format's usual one.
export async function chooseSound(format) {
  const wanted = FORMATS[format].sound;
  for (const codec of wanted) {
    if (codec === 'aac' && !(await canEncodeAudio('aac'))) {
      try {
        registerAacEncoder();
      } catch {
        continue;
      }
    }
    if (await canEncodeAudio(codec, { numberOfChannels: 2, sampleRate: codec === 'opus' ? 48000 : 44100 })) {
      const note = codec === wanted[0] ? '' : `no ${SOUND_NAMES[wanted[0]]} encoder here: the sound is ${SOUND_NAMES[codec]}`;
      return { codec, bitrate: SOUND_BITRATES[codec], note };
    }
  }
  throw new Error(`no ${wanted.map((c) => SOUND_NAMES[c]).join(' or ')} encoder for the sound`);
}

// Whether a format can be made here at a size and rate, by starting its encoders on a black
// frame: resolves with { ok, line } (the reason, or a note on the sound).
export async function probeFormat(format, width, height, fps) {
  const frame = new VideoFrame(new Uint8Array(width * height * 4), { format: 'BGRX', codedWidth: width, codedHeight: height, timestamp: 0 });
  try {
    const { encoder } = await startVideoEncoder(format, frame, fps, () => {}, () => {});
    encoder.close();
    const { note } = await chooseSound(format);
    return { ok: true, line: note };
  } catch (error) {
    return { ok: false, line: error.message };
  } finally {
    frame.close();
  }
}
