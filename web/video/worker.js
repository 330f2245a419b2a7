// Makes a video on a thread of its own: draws every pass of the span with the show's
// WebAssembly core, encodes the frames with WebCodecs and the sound with the chosen encoder,
// and muxes them, streaming, into the file handle it is given. Answers with progress messages
// and then { done } or { error } (one line); { cancel } stops it, the file left to the page.
import {
  Output, Mp4OutputFormat, WebMOutputFormat, StreamTarget, EncodedVideoPacketSource, EncodedPacket,
  AudioSampleSource, AudioSample,
} from 'mediabunny';
import { FORMATS, startVideoEncoder, chooseSound } from './encoders.js';

const QUEUE = 4;  // frames waiting in the encoder before the drawing waits for it
const SOUND_BLOCK_SECONDS = 0.5;

let cancelled = false;

onmessage = ({ data }) => {
  if (data.cancel) {
    cancelled = true;
    return;
  }
  make(data).then((result) => postMessage({ done: true, ...result }), (error) => {
    postMessage({ error: cancelled ? 'cancelled' : error.message });
  });
};

// The core with the page's data and script, its frame at pass `firstPass` of the grid.
async function startCore(files, script) {
  importScripts('voxelshow.js');
  const module = await createVoxelshow({ print: () => {}, printErr: () => {} });
  module.FS.mkdir('/data');
  for (const [name, bytes] of Object.entries(files)) module.FS.writeFile('/data/' + name, bytes);
  let path = '';
  if (script) {
    module.FS.mkdir('/scripts');
    path = '/scripts/' + script.name;
    module.FS.writeFile(path, script.bytes);
  }
  if (module.ccall('web_start', 'number', ['string', 'number'], [path, 0]) !== 0) {
    throw new Error(module.UTF8ToString(module._web_error()));
  }
  return module;
}

async function make({ request, files, script, sound, handle }) {
  const { firstPass, frameCount, fps, factor, format, hashes } = request;
  const width = 640 * factor;
  const height = 480 * factor;
  const module = await startCore(files, script);
  const hashLines = [];

  // Pass k of the span in the encoder's layout (the framebuffer's words are blue, green, red
  // and a byte that is not shown: BGRX), at timestamps on the frame grid.
  const frameAt = (k) => {
    if (hashes) hashLines.push(`${firstPass + k} ${module.UTF8ToString(module._web_frame_hash())}\n`);
    const pixels = new Uint8Array(module.HEAPU8.buffer, module._web_video_frame(factor), width * height * 4);
    return new VideoFrame(pixels, {
      format: 'BGRX', codedWidth: width, codedHeight: height,
      timestamp: Math.round((k * 1e6) / fps), duration: Math.round(1e6 / fps),
    });
  };

  const writable = await handle.createWritable();
  const output = new Output({
    format: format === 'mp4' ? new Mp4OutputFormat({ fastStart: false }) : new WebMOutputFormat(),
    target: new StreamTarget(writable, { chunked: true }),
  });
  const videoSource = new EncodedVideoPacketSource(FORMATS[format].video);
  output.addVideoTrack(videoSource, { frameRate: fps });
  let soundChoice = null;
  let soundSource = null;
  if (sound) {
    soundChoice = await chooseSound(format);
    soundSource = new AudioSampleSource({ codec: soundChoice.codec, bitrate: soundChoice.bitrate });
    output.addAudioTrack(soundSource);
  }

  let failure = null;
  let muxing = Promise.resolve();
  const onChunk = (chunk, meta) => {
    const packet = EncodedPacket.fromEncodedChunk(chunk);
    muxing = muxing.then(() => videoSource.add(packet, meta)).catch((error) => { failure ??= error; });
  };
  const onError = (error) => { failure ??= error; };

  try {
    await output.start();
    module._web_video_start(firstPass, fps);
    const first = frameAt(0);
    let encoder;
    try {
      ({ encoder } = await startVideoEncoder(format, first, fps, onChunk, onError));
    } finally {
      first.close();
    }
    postMessage({ started: true, note: soundChoice?.note ?? '' });
    let soundDone = 0;  // the sound's frames added so far
    const addSound = async (upToFrame) => {
      if (!sound) return;
      const end = Math.min(sound.length, Math.round((upToFrame * sound.rate) / fps));
      while (soundDone < end) {
        const count = Math.min(end - soundDone, Math.round(sound.rate * SOUND_BLOCK_SECONDS));
        const planar = new Float32Array(count * sound.channels.length);
        sound.channels.forEach((channel, c) => planar.set(channel.subarray(soundDone, soundDone + count), c * count));
        await soundSource.add(new AudioSample({
          data: planar, format: 'f32-planar', numberOfChannels: sound.channels.length, sampleRate: sound.rate,
          timestamp: soundDone / sound.rate,
        }));
        soundDone += count;
      }
    };
    await addSound(1);
    const started = performance.now();
    for (let k = 1; k < frameCount; ++k) {
      if (cancelled) throw new Error('cancelled');
      if (failure) throw failure;
      if (module._web_video_pass(firstPass + k, fps) !== 1) throw new Error(`the show ends before pass ${firstPass + k}`);
      const frame = frameAt(k);
      encoder.encode(frame, { keyFrame: k % (fps * 2) === 0 });
      frame.close();
      while (encoder.encodeQueueSize > QUEUE && !failure) {
        await new Promise((resolve) => encoder.addEventListener('dequeue', resolve, { once: true }));
      }
      await addSound(k + 1);
      if (k % 10 === 0) postMessage({ progress: k, of: frameCount, seconds: (performance.now() - started) / 1000 });
    }
    await encoder.flush();
    encoder.close();
    await muxing;
    if (failure) throw failure;
    if (cancelled) throw new Error('cancelled');
    await addSound(frameCount);
    if (sound) soundSource.close();
    videoSource.close();
    await output.finalize();
    return { hashes: hashLines.join(''), note: soundChoice?.note ?? '', seconds: (performance.now() - started) / 1000 };
  } catch (error) {
    // The partial file is given up: the stream discards what it held, the page removes the file.
    await output.cancel().catch(() => {});
    await writable.abort().catch(() => {});
    throw error;
  }
}
