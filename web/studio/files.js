// Files in and out: a script opened with the button or dropped on the page, a music file dropped
// or chosen, and the script exported as a text file the program plays.

const MUSIC = /\.(mp3|ogg|mod|s3m|xm|it)$/i;
const MAX_SCRIPT_BYTES = 16 << 20;

export function isMusicFile(file) {
  return MUSIC.test(file.name);
}

// The file's text, every byte kept (a byte-order mark too, which the parser passes over).
export async function readScriptFile(file) {
  if (file.size > MAX_SCRIPT_BYTES) throw new Error(`${file.name}: larger than 16 MiB, too large for a scene script`);
  let bytes;
  try {
    bytes = await file.arrayBuffer();
  } catch (error) {
    throw new Error(`${file.name}: cannot read: ${error.message}`);
  }
  return new TextDecoder('utf-8', { ignoreBOM: true }).decode(bytes);
}

// Offers `text` as a download named `name`.
export function exportText(text, name) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([text], { type: 'text/plain' }));
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

// Calls onScript(file) or onMusic(file) for a file chosen with an input or dropped on the page.
export function acceptFiles({ scriptInput, musicInput, onScript, onMusic }) {
  const take = (file) => (isMusicFile(file) ? onMusic(file) : onScript(file));
  scriptInput.addEventListener('change', () => {
    const file = scriptInput.files[0];
    scriptInput.value = '';
    if (file) take(file);
  });
  musicInput.addEventListener('change', () => {
    const file = musicInput.files[0];
    musicInput.value = '';
    if (file) onMusic(file);
  });
  window.addEventListener('dragover', (event) => event.preventDefault());
  window.addEventListener('drop', (event) => {
    event.preventDefault();
    const file = event.dataTransfer?.files[0];
    if (file) take(file);
  });
}
