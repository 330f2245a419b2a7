// Another music in place of the show's: an MP3 or Ogg file decoded by the browser, or a module
// (.mod, .s3m, .xm, .it) rendered by the module player, either way a buffer of samples that plays
// from any moment and whose waveform the timeline draws.

const MODULE = /\.(mod|s3m|xm|it)$/i;

async function decodeFile(file, sound) {
  const bytes = new Uint8Array(await file.arrayBuffer());
  if (MODULE.test(file.name)) {
    const { renderModule } = await import('./module_music.js');
    return renderModule(bytes, sound.context);
  }
  await sound.load(bytes);
  return sound.buffer;
}

// Decodes `file` and makes it the sound's music: { name, buffer }. Throws the file's name and the
// reason; the music before stays then.
export async function loadMusic(file, sound) {
  if (sound.context === null) throw new Error(`${file.name}: this browser has no sound`);
  const before = sound.buffer;
  let buffer;
  try {
    buffer = await decodeFile(file, sound);
  } catch (error) {
    sound.buffer = before;
    throw new Error(`${file.name}: cannot decode: ${error?.message ?? error}`);
  }
  sound.buffer = buffer;
  return { name: file.name, buffer };
}
