// The passes and the samples of a video, as the native capture counts them: pass k of F a
// second reads floor(k * 1000 / F) ms, the span holds the passes whose reading t satisfies
// from <= t < to, and the sound starts at the sample nearest the first frame's time.
export const SHOW_END_MS = 196000;
export const RATES = [60, 50, 30, 25];
export const BASE = { width: 640, height: 480 };
export const LARGEST_FACTOR = 4;  // 2560x1920

// The first pass whose reading is at least `ms` milliseconds: ceil(ms * fps / 1000).
export function firstPassFrom(ms, fps) {
  return Math.floor((ms * fps + 999) / 1000);
}

// The last pass the show draws: the largest k with floor(k * 1000 / fps) <= the show's end.
export function lastPassOfShow(fps) {
  return Math.floor(((SHOW_END_MS + 1) * fps - 1) / 1000);
}

// The video's passes between `from` and `to` seconds (to: null for the end of the show), or
// an Error naming what is wrong with the request.
export function spanOf(from, to, fps) {
  if (!RATES.includes(fps)) throw new Error(`${fps} passes a second: the rate is one of ${RATES.join(', ')}`);
  const fromMs = Math.round(from * 1000);
  const toMs = to === null || to === undefined ? null : Math.round(to * 1000);
  if (!Number.isFinite(fromMs) || fromMs < 0) throw new Error(`from ${from}: a time from 0 on`);
  // The show's end as the capture's summary prints it, in hundredths rounded up: a `to` up to
  // there ends with the last pass.
  const printedEndMs = Math.ceil(((lastPassOfShow(fps) + 1) * 100) / fps) * 10;
  if (toMs !== null && (!Number.isFinite(toMs) || toMs > printedEndMs)) {
    throw new Error(`to ${to}: past the end of the show (${printedEndMs / 1000} s at ${fps} a second)`);
  }
  if (toMs !== null && toMs <= fromMs) throw new Error(`from ${from} to ${to}: the end must come after the start`);
  const end = Math.min(toMs === null ? Infinity : firstPassFrom(toMs, fps), lastPassOfShow(fps) + 1);
  const firstPass = firstPassFrom(fromMs, fps);
  if (firstPass >= end) throw new Error(`from ${from} to ${to}: no pass falls in the span`);
  return { fps, firstPass, frameCount: end - firstPass };
}

// The samples of a `rate` Hz track before frame `frame`, rounded to the nearest sample.
export function samplesBeforeFrame(frame, fps, rate) {
  return Math.floor((frame * rate * 2 + fps) / (2 * fps));
}

// A time typed as seconds ("83.5") or minutes and seconds ("1:23.5", the seconds in two
// digits below 60), in seconds; NaN for anything else.
export function parseTime(text) {
  const trimmed = text.trim();
  if (/^\d+(\.\d+)?$/.test(trimmed)) return Number(trimmed);
  const match = /^(\d+):([0-5]\d(\.\d+)?)$/.exec(trimmed);
  return match ? Number(match[1]) * 60 + Number(match[2]) : NaN;
}

export function formatSeconds(seconds) {
  const minutes = Math.floor(seconds / 60);
  const rest = seconds - minutes * 60;
  return `${minutes}:${rest.toFixed(rest % 1 === 0 ? 0 : 2).padStart(rest % 1 === 0 ? 2 : 5, '0')}`;
}

// The sizes offered: 640x480 and its integer multiples up to 2560x1920.
export function sizes() {
  return Array.from({ length: LARGEST_FACTOR }, (_, i) => ({ width: BASE.width * (i + 1), height: BASE.height * (i + 1) }));
}

// The scale factor of a size, or an Error for a size that is not one of those.
export function factorOf(width, height) {
  const factor = width / BASE.width;
  if (!Number.isInteger(factor) || factor < 1 || factor > LARGEST_FACTOR || height !== BASE.height * factor) {
    throw new Error(`${width}x${height}: the size is 640x480 or a multiple of it up to 2560x1920`);
  }
  return factor;
}
