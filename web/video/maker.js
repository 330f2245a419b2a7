// Makes a video of the show from the page: the span, size, rate, format and sound asked for,
// drawn and encoded in a worker, written to a file handle as it is made (the one the save
// picker gave, or one in the page's private storage, whose file is then the result).
import { DATA_FILES, fetchData } from '../loading.js';
import { FORMATS } from './encoders.js';
import { spanOf, factorOf } from './span.js';
import { soundOfSpan } from './sound_span.js';

const PRIVATE_PREFIX = 'video-';

// The request checked and turned into passes, or an Error naming what is wrong with it.
export function requestOf({ from = 0, to = null, fps = 60, width = 640, height = 480, format = 'mp4', sound = true }) {
  if (!(format in FORMATS)) throw new Error(`${format}: the format is mp4 or webm`);
  return { ...spanOf(from, to, fps), factor: factorOf(width, height), format, sound: Boolean(sound) };
}

// host.music() gives the decoded music the page plays (an AudioBuffer, or null without one),
// host.script() the scene script playing ({ name, bytes }, or null for the built-in one).
export function videoMaker(host) {
  let current = null;  // the video being made: { worker, cancel }

  // Resolves with { file (a Blob, or null when written through `handle`), hashes, note,
  // seconds }; rejects with the failure's one line. onProgress gets { frame, of, seconds }.
  async function make(options, { handle = null, onProgress = () => {}, onStarted = () => {} } = {}) {
    if (current) throw new Error('a video is being made already');
    const request = requestOf(options);
    const job = { cancelled: false, worker: null };
    current = job;
    let privateName = null;
    try {
      if (handle === null) {
        const folder = await navigator.storage.getDirectory();
        await removePrivateVideos(folder);  // the last video's file, kept until now for its download
        privateName = `${PRIVATE_PREFIX}${Date.now()}.${request.format}`;
        handle = await folder.getFileHandle(privateName, { create: true });
      }
      const names = [...DATA_FILES];
      const bytes = await Promise.all(names.map((name) => fetchData(name)));
      const files = Object.fromEntries(names.map((name, i) => [name, bytes[i]]));
      let sound = null;
      if (request.sound) {
        const music = host.music();
        if (!music) throw new Error('the page has no music to put in the video: choose no sound');
        sound = await soundOfSpan(music, request);
      }
      if (job.cancelled) throw new Error('cancelled');
      const result = await runWorker(job, { request: { ...request, hashes: Boolean(options.hashes) }, files,
        script: host.script(), sound, handle }, onProgress, onStarted);
      return { ...result, file: privateName ? await handle.getFile() : null };
    } catch (error) {
      // Nothing is left behind: the file made for this video goes.
      await handle?.remove?.().catch(() => {});
      throw new Error(job.cancelled ? 'cancelled: no file was written' : `${request.format}: ${error.message}`);
    } finally {
      current = null;
    }
  }

  function cancel() {
    if (!current) return false;
    current.cancelled = true;
    current.worker?.postMessage({ cancel: true });
    return true;
  }

  return { make, cancel, get busy() { return current !== null; } };
}

function runWorker(job, message, onProgress, onStarted) {
  return new Promise((resolve, reject) => {
    const worker = new Worker('video_worker.js');
    job.worker = worker;
    worker.onmessage = ({ data }) => {
      if (data.progress !== undefined) onProgress({ frame: data.progress, of: data.of, seconds: data.seconds });
      else if (data.started) onStarted(data);
      else {
        worker.terminate();
        if (data.error) reject(new Error(data.error));
        else resolve(data);
      }
    };
    worker.onerror = (event) => {
      worker.terminate();
      reject(new Error(`video_worker.js: ${event.message}`));
    };
    const transfer = [...Object.values(message.files).map((b) => b.buffer), ...(message.sound?.channels.map((c) => c.buffer) ?? [])];
    worker.postMessage(message, transfer);
  });
}

async function removePrivateVideos(folder) {
  for await (const name of folder.keys()) {
    if (name.startsWith(PRIVATE_PREFIX)) await folder.removeEntry(name).catch(() => {});
  }
}
