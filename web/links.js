// Moments of the show in links and in the tab's memory: "#t=83.5" or "#t=1:23.5" in the address
// starts the show there, a link to the moment shown can be made, and a reload goes on from where
// the visitor was.
const MEMORY_KEY = 'voxelshow.position';

// Milliseconds of a time as the native --start reads it: seconds with optional decimals ("83.5",
// ".25") or minutes and two-digit seconds ("1:23.5"), rounded to the millisecond; null for any
// other text.
export function parseTime(text) {
  const match = /^(?:(\d+):([0-5]\d(?:\.\d+)?)|(\d*(?:\.\d+)?))$/.exec(text);
  if (match === null || text === '' || text === '.') return null;
  const seconds = match[3] ?? match[2];
  const [whole, fraction = ''] = seconds.split('.');
  const thousandths = Number((fraction + '000').slice(0, 3)) + (fraction.length > 3 && fraction[3] >= '5' ? 1 : 0);
  const ms = Number(whole || '0') * 1000 + thousandths + Number(match[1] ?? 0) * 60000;
  return Number.isSafeInteger(ms) ? ms : null;
}

// The time that the address's "#t=" names: { ms } or { error } naming it, or null without one.
export function linkedTime(hash, showMs) {
  const text = new URLSearchParams(hash.replace(/^#/, '')).get('t');
  if (text === null) return null;
  const ms = parseTime(text);
  if (ms === null) return { error: `#t=${text}: not a time (83.5 or 1:23.5)` };
  if (ms >= showMs) return { error: `#t=${text}: past the show's end` };
  return { ms };
}

// The page's address with "#t=" at `ms`, in seconds to the millisecond.
export function linkAt(href, ms) {
  const url = new URL(href);
  url.hash = `t=${(ms / 1000).toFixed(3).replace(/\.?0+$/, '')}`;
  return url.href;
}

// Where the visitor was in this tab, kept across reloads; null when nothing is kept.
export function rememberedPosition(storage = globalThis.sessionStorage) {
  const ms = Number(storage?.getItem(MEMORY_KEY) ?? NaN);
  return Number.isInteger(ms) && ms > 0 ? ms : null;
}

export function rememberPosition(ms, storage = globalThis.sessionStorage) {
  try {
    if (ms === null) storage?.removeItem(MEMORY_KEY);
    else storage?.setItem(MEMORY_KEY, String(ms));
  } catch {
    // Storage refused (private mode, quota): the position is simply not kept.
  }
}
