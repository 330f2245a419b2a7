// Share links: the script compressed with the browser's own CompressionStream (raw deflate, then
// base64url) in the address's # part, with the time: `#t=83.5&script=…`. The player and the
// studio read the same links; a link with only `t=` gives the time alone.

const MAX_SCRIPT_BYTES = 16 << 20;  // as the program reads no larger script

function toBase64Url(bytes) {
  let binary = '';
  for (let i = 0; i < bytes.length; i += 0x8000) binary += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

function fromBase64Url(text) {
  const binary = atob(text.replace(/-/g, '+').replace(/_/g, '/'));
  return Uint8Array.from(binary, (c) => c.charCodeAt(0));
}

async function drain(stream, limit) {
  const reader = stream.getReader();
  const chunks = [];
  let size = 0;
  for (;;) {
    const { done, value } = await reader.read();
    if (done) break;
    size += value.length;
    if (size > limit) {
      await reader.cancel();
      throw new Error('larger than 16 MiB, too large for a scene script');
    }
    chunks.push(value);
  }
  const out = new Uint8Array(size);
  let at = 0;
  for (const chunk of chunks) {
    out.set(chunk, at);
    at += chunk.length;
  }
  return out;
}

export async function compressScript(text) {
  const stream = new Blob([new TextEncoder().encode(text)]).stream().pipeThrough(new CompressionStream('deflate-raw'));
  return toBase64Url(await drain(stream, Infinity));
}

export async function decompressScript(data) {
  const stream = new Blob([fromBase64Url(data)]).stream().pipeThrough(new DecompressionStream('deflate-raw'));
  const bytes = await drain(stream, MAX_SCRIPT_BYTES);
  return new TextDecoder('utf-8', { ignoreBOM: true }).decode(bytes);
}

// The link to `page` (an absolute address without #) holding the script and the time in seconds.
export async function shareLink(page, text, seconds) {
  const time = `t=${Number(seconds.toFixed(3))}`;
  return text === null ? `${page}#${time}` : `${page}#${time}&script=${await compressScript(text)}`;
}

// Seconds from "83.5" or "1:23.5", or null.
function readTime(text) {
  const match = /^(?:(\d+):)?(\d+(?:\.\d+)?|\.\d+)$/.exec(text);
  if (match === null || (match[1] !== undefined && Number(match[2]) >= 60)) return null;
  return Number(match[1] ?? 0) * 60 + Number(match[2]);
}

// What a # part holds: { seconds, text }, each null when the link has none or it cannot be read,
// and { error } naming the first that cannot.
export async function readLink(hash) {
  const params = new URLSearchParams(hash.replace(/^#/, ''));
  const result = { seconds: null, text: null };
  const errors = [];
  if (params.has('t')) {
    result.seconds = readTime(params.get('t'));
    if (result.seconds === null) errors.push(`the link's time ${params.get('t')} is not a time (83.5 or 1:23.5)`);
  }
  if (params.has('script')) {
    try {
      result.text = await decompressScript(params.get('script'));
    } catch (error) {
      errors.push(`the link's script cannot be read: ${error.message}`);
    }
  }
  return errors.length ? { ...result, error: errors[0] } : result;
}
