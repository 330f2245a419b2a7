// The show as the page plays it: one pass per frame of the browser at the audio clock, the
// viewer's commands and jumps, scripts opened or dropped, and the end. The controls that drive
// it are controls.js'.

// The player's commands, numbered as the core's PlayerCommand.
export const COMMAND = { pause: 1, back: 2, forward: 3, farBack: 4, farForward: 5, toStart: 6, stepForward: 7, stepBack: 8 };
export const SHOW_MS = 196000;
// The largest script the page reads: its most rows at a long line each. A larger file is
// refused before it is read.
export const MAX_SCRIPT_BYTES = 8 * 1024 * 1024;
const SCRIPTS = '/scripts';
const $ = (id) => document.getElementById(id);

export function formatTime(ms) {
  const tenths = Math.floor(ms / 100);
  const minutes = Math.floor(tenths / 600);
  const seconds = ((tenths % 600) / 10).toFixed(1).padStart(4, '0');
  return `${minutes}:${seconds}`;
}

export class Player {
  constructor(module, sound, state) {
    this.module = module;
    this.sound = sound;
    this.state = state;
    this.canvas = $('screen');
    this.context2d = this.canvas.getContext('2d', { alpha: false });
    this.image = this.context2d.createImageData(640, 480);
    this.pixels = new Uint32Array(this.image.data.buffer);
    this.running = false;
    this.holdUntil = 0;  // the counter's reading before which the frame shown stays (the music's start)
    this.onChange = () => {};  // told after every pass and command, for the controls
  }

  // The framebuffer (0x00RRGGBB words) onto the canvas as opaque RGBA bytes.
  present(counter) {
    const frame = new Uint32Array(this.module.HEAPU8.buffer, this.module._web_frame(), 640 * 480);
    const out = this.pixels;
    for (let i = 0; i < out.length; ++i) {
      const p = frame[i];
      out[i] = 0xff000000 | ((p & 0xff) << 16) | (p & 0xff00) | ((p >>> 16) & 0xff);
    }
    this.context2d.putImageData(this.image, 0, 0);
    this.state.shownMs = this.module._web_shown_ms();
    this.state.counter = counter;  // the clock's reading the frame was drawn at
    this.state.paused = this.module._web_paused() === 1;
    this.state.presented = (this.state.presented ?? 0) + 1;
  }

  get title() { return this.module.UTF8ToString(this.module._web_title()); }

  // Starts the show at `fromMs` (0, a link's time or where the visitor was).
  async start(fromMs = 0) {
    const at = this.sound.aheadNow();
    this.module._web_begin(at);
    const landed = fromMs > 0 ? this.module._web_seek(fromMs, at) : 0;
    this.sound.playFrom(landed, at);
    this.state.startedFrom = landed;
    this.holdUntil = at;
    this.present(at);
    this.state.firstFrameAt = performance.now();
    this.state.phase = 'playing';
    this.markCuts();
    this.onChange();
    this.loop();
  }

  // The music, decoded after the show started, joins it at the moment the demo clock will be at
  // when its first sample plays; while paused or ended it waits for the next resume or jump.
  joinMusic() {
    if (!this.sound.ready || this.sound.source !== null || this.state.phase !== 'playing') return;
    const at = this.sound.aheadNow();
    this.sound.playFrom((at - this.module._web_clock_origin()) >>> 0, at);
  }

  loop() {
    if (this.running) return;
    this.running = true;
    const frame = () => {
      const now = this.sound.now();
      if (((now - this.holdUntil) | 0) < 0) {  // the music has not reached the frame shown yet
        requestAnimationFrame(frame);
        return;
      }
      const playing = this.module._web_pass(now) === 1;
      if (!this.state.paused) this.present(now);
      this.onChange();
      if (!playing) {
        this.running = false;
        this.end();
        return;
      }
      requestAnimationFrame(frame);
    };
    requestAnimationFrame(frame);
  }

  end() {
    this.state.phase = 'ended';
    this.sound.stop();
    this.onChange();
  }

  get ended() { return this.state.phase === 'ended'; }

  // Pause or resume; at the end, the show from the start.
  togglePause() {
    if (this.ended) this.command(COMMAND.toStart);
    else this.command(COMMAND.pause);
  }

  // A key's or a button's command; a jump moves the music to where the picture landed.
  command(code) {
    // A jump's frame is shown from the reading at which its music starts; a pause goes on from
    // the reading of the frame on screen, the audio clock having stood still meanwhile.
    const at = code === COMMAND.pause ? this.state.counter : this.sound.aheadNow();
    const landed = this.module._web_command(code, at);
    if (code === COMMAND.pause) {
      this.state.paused = this.module._web_paused() === 1;
      this.sound.pause(this.state.paused);
      this.state.phase = this.state.paused ? 'paused' : 'playing';
      if (!this.state.paused) this.joinMusic();
    }
    if (landed >= 0) this.landed(landed, at);
    this.onChange();
  }

  landed(ms, at) {
    this.sound.playFrom(ms, at);
    this.holdUntil = at;
    this.present(at);
    if (this.ended) this.state.phase = this.state.paused ? 'paused' : 'playing';
    this.loop();
  }

  // A jump to `ms` of the show (within it), as the seek bar, the links and the number keys make.
  seekTo(ms) {
    const at = this.sound.aheadNow();
    this.landed(this.module._web_seek(Math.max(0, Math.min(SHOW_MS, Math.round(ms))), at), at);
    this.onChange();
  }

  // Only the playing script stays in the module's files: a refused one is removed again, and a
  // file too large to be a script is refused before it is read.
  async openScript(file) {
    const name = file.name.replace(/[/\\]/g, '_') || 'script';
    if (file.size > MAX_SCRIPT_BYTES) {
      this.showError(`${name}: ${file.size} bytes, larger than a script can be (${MAX_SCRIPT_BYTES} bytes)`);
      return false;
    }
    let text;
    try {
      text = new Uint8Array(await file.arrayBuffer());
    } catch (error) {
      this.showError(`${name}: cannot be read: ${error.message}`);
      return false;
    }
    const FS = this.module.FS;
    if (!FS.analyzePath(SCRIPTS).exists) FS.mkdir(SCRIPTS);
    FS.chdir(SCRIPTS);
    const kept = FS.readdir(SCRIPTS).filter((entry) => entry !== '.' && entry !== '..');
    // A name of its own while it is checked, so that the playing script stays as it is.
    const trying = kept.includes(name) ? `${name}.new` : name;
    FS.writeFile(trying, text);
    text = null;
    const status = this.module.ccall('web_switch_script', 'number', ['string', 'number'], [trying, this.state.counter ?? 0]);
    if (status !== 0) {
      // The old tracks play on; the error names the file and the line.
      FS.unlink(trying);
      this.showError(this.module.UTF8ToString(this.module._web_error()).replace(`${trying}:`, `${name}:`));
      return false;
    }
    for (const old of kept) FS.unlink(old);
    if (trying !== name) FS.rename(trying, name);
    $('message').hidden = true;
    this.state.message = '';
    this.state.script = name;
    if (this.state.counter !== undefined) this.present(this.state.counter);
    this.markCuts();
    this.onChange();
    return true;
  }

  showError(text) {
    this.state.message = text;
    $('message').textContent = text;
    $('message').hidden = false;
  }

  markCuts() {
    const cuts = this.module.UTF8ToString(this.module._web_cuts()).trim().split(/\s+/).filter(Boolean).map(Number);
    this.state.cuts = cuts;
  }
}
