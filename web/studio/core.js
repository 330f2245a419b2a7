// The WebAssembly core as the studio uses it: the program's own parser checks script texts, and
// the show, seeded as the headless modes are, draws any pass of the 60-a-second grid exactly.

export const TYPES = ['char', 'unsigned char', 'short', 'unsigned short', 'float'];  // numbered as the core's
export const OBJECTS = ['landscape', 'wave', 'layer'];                                  // numbered as the core's
const ROW_WORDS = 8;  // the core's row record: line, start, end, from, to, type, target, layer

export class StudioCore {
  // `module` is the instantiated core with the show's data in /data.
  constructor(module) {
    this.module = module;
    this.checkedText = null;  // the text of the last good check, whose rows a load registers
  }

  // Builds the show with the built-in script and draws pass 0; throws the failure's line.
  start() {
    if (this.module._studio_start() !== 0) throw new Error(this.lastError());
  }

  lastError() {
    return this.module.UTF8ToString(this.module._studio_error());
  }

  // A string argument on the core's heap (a script may be megabytes: too much for its stack).
  withString(text, call) {
    const m = this.module;
    const size = m.lengthBytesUTF8(text) + 1;
    const pointer = m._malloc(size);
    try {
      m.stringToUTF8(text, pointer, size);
      return call(pointer);
    } finally {
      m._free(pointer);
    }
  }

  // The text checked by the native parser: { records } (one per row: line, start, end, from,
  // to as float32 values, from = Infinity for clock; type, target and layer as numbers) or
  // { error: 'LINE: reason' }. A load afterwards registers exactly these rows.
  check(text) {
    const count = this.withString(text, (pointer) => this.module._studio_check(pointer));
    this.checkedText = count < 0 ? null : text;
    if (count < 0) return { error: this.lastError() };
    const base = this.module._studio_rows() >>> 2;
    const words = new Uint32Array(this.module.HEAPU32.buffer, base * 4, count * ROW_WORDS);
    const floats = new Float32Array(this.module.HEAPU32.buffer, base * 4, count * ROW_WORDS);
    const records = new Array(count);
    for (let i = 0, w = 0; i < count; ++i, w += ROW_WORDS) {
      records[i] = {
        line: words[w], start: floats[w + 1], end: floats[w + 2], from: floats[w + 3], to: floats[w + 4],
        type: words[w + 5], target: words[w + 6], layer: words[w + 7],
      };
    }
    return { records };
  }

  // Registers the rows of `text` (which must parse) as the tracks and draws the pass shown again.
  // The text last checked is not read twice.
  load(text) {
    if (this.checkedText !== text && this.check(text).error !== undefined) throw new Error(this.lastError());
    if (this.module._studio_load() !== 0) throw new Error(this.lastError());
  }

  // Draws pass `pass` exactly; returns the pass drawn (the show's last for any later one).
  draw(pass) {
    return this.module._studio_draw(pass >>> 0);
  }

  get pass() { return this.module._studio_pass(); }
  get lastPass() { return this.module._studio_last_pass(); }

  // The frame's hash as --hashes writes it (16 hexadecimal digits).
  hash() {
    return this.module.UTF8ToString(this.module._studio_hash());
  }

  // The frame's 640x480 pixels, 0x00RRGGBB words, a view of the core's memory valid until the next call.
  frame() {
    return new Uint32Array(this.module.HEAPU8.buffer, this.module._studio_frame(), 640 * 480);
  }

  // The value the field holds after pass `pass` (object 'landscape', 'wave' or 'layer'), or NaN.
  fieldValue(object, layer, field, pass) {
    return this.module.ccall('studio_field_value', 'number', ['number', 'number', 'string', 'number'],
      [OBJECTS.indexOf(object), layer ?? 0, field, pass >>> 0]);
  }

  // The loaded script's cuts (the starts of rows that change the landscape's view), in time order:
  // [{ seconds, text }], `seconds` the row's float32 start and `text` a time that reads back as it.
  cuts() {
    const texts = this.module.UTF8ToString(this.module._studio_cuts()).trim().split(/\s+/).filter(Boolean);
    return texts.map((text) => ({ seconds: Math.fround(Number(text)), text }));
  }

  // The built-in script as `voxelshow --dump-script` writes it.
  builtinText() {
    return this.module.UTF8ToString(this.module._studio_builtin_text());
  }
}
