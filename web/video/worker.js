// Makes a video on a thread of its own: draws every pass of the span with the show's
// WebAssembly core, encodes the frames with WebCodecs and the sound with the chosen encoder,
// and muxes them, streaming, into the file handle it is given. Answers with progress messages
// and then { done } or { error } (one line); { cancel } stops it, the file left to the page.
import { Output, Mp4OutputFormat, WebMOutputFormat, StreamTarget, EncodedVideoPacketSource, EncodedPacket } from 'mediabunny';
import { FORMATS, startVideoEncoder, chooseSound, frameOptions } from './encoders.js';
import { SoundTrack } from './sound_track.js';
import { samplesBeforeFrame } from './span.js';

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
    // The MP4's index at the front, in room kept for it from the packets' counts, so that the
    // file plays while it downloads and is still written straight through.
    format: format === 'mp4' ? new Mp4OutputFormat({ fastStart: 'reserve' }) : new WebMOutputFormat(),
    target: new StreamTarget(writable, { chunked: true }),
  });
  const videoSource = new EncodedVideoPacketSource(FORMATS[format].video);
  output.addVideoTrack(videoSource, { frameRate: fps, maximumPacketCount: frameCount + 16 });
  let soundChoice = null;
  let soundTrack = null;
  if (sound) {
    soundChoice = await chooseSound(format);
    // An AAC packet holds 1024 samples, an Opus one 960 (20 ms at 48 kHz); a few more for priming.
    soundTrack = new SoundTrack(output, soundChoice, sound.rate, Math.ceil(sound.length / 960) + 32);
  }

  let failure = null;
  let muxing = Promise.resolve();
  const onChunk = (chunk, meta) => {
    const packet = EncodedPacket.fromEncodedChunk(chunk);
    muxing = muxing.then(() => videoSource.add(packet, meta)).catch((error) => { failure ??= error; });
  };
  let wake = null;  // ends the wait for the encoder's queue when the encoder fails instead
  const onError = (error) => {
    failure ??= error;
    wake?.();
  };

  try {
    await soundTrack?.start();
    await output.start();
    module._web_video_start(firstPass, fps);
    const first = frameAt(0);
    let encoder;
    let config;
    try {
      ({ encoder, config } = await startVideoEncoder(format, first, fps, onChunk, onError));
    } finally {
      first.close();
    }
    postMessage({ started: true, note: soundChoice?.note ?? '' });
    let soundDone = 0;  // the sound's frames added so far
    const addSound = async (upToFrame) => {
      if (!sound) return;
      const end = Math.min(sound.length, samplesBeforeFrame(upToFrame, fps, sound.rate));
      while (soundDone < end) {
        const count = Math.min(end - soundDone, Math.round(sound.rate * SOUND_BLOCK_SECONDS));
        await soundTrack.add(sound.channels.map((channel) => channel.subarray(soundDone, soundDone + count)), soundDone);
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
      encoder.encode(frame, frameOptions(config, k % (fps * 2) === 0));
      frame.close();
      while (encoder.encodeQueueSize > QUEUE && !failure) {
        await new Promise((resolve) => {
          wake = resolve;
          encoder.addEventListener('dequeue', resolve, { once: true });
        });
      }
      await addSound(k + 1);
      if (k % 10 === 0) postMessage({ progress: k + 1, of: frameCount, seconds: (performance.now() - started) / 1000 });
    }
    await encoder.flush();
    encoder.close();
    await muxing;
    if (failure) throw failure;
    if (cancelled) throw new Error('cancelled');
    await addSound(frameCount);
    await soundTrack?.finish();
    videoSource.close();
    await output.finalize();
    const encoded = `${config.codec}, ${config.bitrateMode === 'quantizer' ? `quantizer ${frameOptions(config).avc?.quantizer ?? frameOptions(config).vp9?.quantizer}` : `${config.bitrate} b/s`}`;
    return { hashes: hashLines.join(''), note: soundChoice?.note ?? '', encoded, seconds: (performance.now() - started) / 1000 };
  } catch (error) {
    // The partial file is given up: the stream discards what it held, the page removes the file.
    await soundTrack?.cancel();
    await output.cancel().catch(() => {});
    await writable.abort().catch(() => {});
    throw failure ?? error;  // an encoder's own failure, rather than what it broke afterwards
  }
}
