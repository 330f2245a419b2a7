// The show as the page plays it: one pass per frame of the browser at the audio clock, the
// viewer's keys, the control bar, scripts opened or dropped, and the end.

// The player's commands, numbered as the core's PlayerCommand.
const COMMAND = { pause: 1, back: 2, forward: 3, farBack: 4, farForward: 5, toStart: 6, stepForward: 7, stepBack: 8 };
const KEYS = {
  Space: COMMAND.pause, ArrowLeft: COMMAND.back, ArrowRight: COMMAND.forward, PageUp: COMMAND.farBack,
  PageDown: COMMAND.farForward, Home: COMMAND.toStart, Period: COMMAND.stepForward, Comma: COMMAND.stepBack,
};
const SHOW_MS = 196000;
// The largest script the page reads: its most rows at a long line each. A larger file is
// refused before it is read.
export const MAX_SCRIPT_BYTES = 8 * 1024 * 1024;
const SCRIPTS = '/scripts';
const IDLE_MS = 2500;  // the bar hides after this long without the mouse moving
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
    this.idleTimer = 0;
    this.seeking = false;
    this.holdUntil = 0;  // the counter's reading before which the frame shown stays (the music's start)
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

  updateBar() {
    const shown = this.state.shownMs;
    $('time').textContent = `${formatTime(shown)} / ${formatTime(SHOW_MS)}`;
    if (!this.seeking) $('seek').value = String(shown);
    $('play').textContent = this.state.paused ? 'play' : 'pause';
    $('stats').textContent = this.module.UTF8ToString(this.module._web_title());
  }

  async start() {
    const at = this.sound.aheadNow();
    this.module._web_begin(at);
    this.sound.playFrom(0, at);
    this.holdUntil = at;
    this.present(at);
    this.state.firstFrameAt = performance.now();
    this.state.phase = 'playing';
    this.setUpControls();
    this.markCuts();
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
      this.updateBar();
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
    this.showBar();
    const again = $('again');
    again.hidden = false;
    again.focus();
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
    this.updateBar();
  }

  landed(ms, at) {
    this.sound.playFrom(ms, at);
    this.holdUntil = at;
    this.present(at);
    $('again').hidden = true;
    if (this.state.phase === 'ended') this.state.phase = this.state.paused ? 'paused' : 'playing';
    this.loop();
  }

  seekTo(ms) {
    const at = this.sound.aheadNow();
    this.landed(this.module._web_seek(ms, at), at);
    this.updateBar();
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
    this.updateBar();
    return true;
  }

  showError(text) {
    this.state.message = text;
    $('message').textContent = text;
    $('message').hidden = false;
  }

  markCuts() {
    const cuts = this.module.UTF8ToString(this.module._web_cuts()).trim().split(/\s+/).filter(Boolean).map(Number);
    $('cuts').replaceChildren(...cuts.map((seconds) => {
      const mark = document.createElement('span');
      mark.style.left = `${(seconds * 1000 / SHOW_MS) * 100}%`;
      mark.title = formatTime(seconds * 1000);
      return mark;
    }));
    this.state.cuts = cuts;
  }

  showBar() {
    const bar = $('bar');
    bar.hidden = false;
    bar.classList.remove('idle');
    document.body.classList.remove('idle');
    clearTimeout(this.idleTimer);
    this.idleTimer = setTimeout(() => {
      if (this.state.phase === 'playing' && !bar.matches(':hover')) {
        bar.classList.add('idle');
        document.body.classList.add('idle');
      }
    }, IDLE_MS);
  }

  toggleFullscreen() {
    if (document.fullscreenElement) document.exitFullscreen();
    else $('stage').requestFullscreen?.().catch(() => {});
  }

  setUpControls() {
    this.showBar();
    this.canvas.focus();
    window.addEventListener('mousemove', () => this.showBar());
    window.addEventListener('keydown', (event) => {
      if (event.target instanceof HTMLInputElement && event.target.type !== 'range') return;
      if (event.code === 'KeyF') {
        this.toggleFullscreen();
        return;
      }
      const code = KEYS[event.code];
      if (code === undefined || event.ctrlKey || event.altKey || event.metaKey) return;
      event.preventDefault();  // the page does not scroll on the show's keys
      this.command(code);
    });
    // After a button, the keys go to the show again (a focused button would take Space itself).
    const button = (id, action) => $(id).addEventListener('click', () => {
      action();
      this.canvas.focus();
    });
    button('play', () => this.command(this.state.phase === 'ended' ? COMMAND.toStart : COMMAND.pause));
    button('again', () => this.command(COMMAND.toStart));
    button('fullscreen', () => this.toggleFullscreen());
    const seek = $('seek');
    seek.addEventListener('input', () => { this.seeking = true; });
    seek.addEventListener('change', () => {
      this.seeking = false;
      this.seekTo(Number(seek.value));
      this.canvas.focus();
    });
    $('script-file').addEventListener('change', (event) => {
      const file = event.target.files[0];
      if (file) this.openScript(file);
      event.target.value = '';
    });
    window.addEventListener('dragover', (event) => event.preventDefault());
    window.addEventListener('drop', (event) => {
      event.preventDefault();
      const file = event.dataTransfer?.files[0];
      if (file) this.openScript(file);
    });
  }
}
