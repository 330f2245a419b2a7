// The playhead: where the preview stands, stepping pass by pass, and playing from there with the
// music (Space), each frame of the browser drawing the exact pass the music has reached.
import { passMs } from './numbers.js';

// The last pass of the 60-a-second grid at or before `ms` of the demo clock.
export function passAtMs(ms) {
  return Math.max(0, Math.ceil(((Math.floor(ms) + 1) * 60) / 1000) - 1);
}

export class Transport {
  constructor(state, preview, sound, lastPass) {
    this.state = state;
    this.preview = preview;
    this.sound = sound;
    this.lastPass = lastPass;
    this.origin = 0;   // the sound clock's reading at which the demo clock read 0
    this.listeners = new Set();  // told of each pass shown
  }

  subscribe(listener) {
    this.listeners.add(listener);
    return () => this.listeners.delete(listener);
  }

  show(pass) {
    this.state.pass = this.preview.show(Math.max(0, Math.min(this.lastPass, Math.round(pass))));
    return this.shown();
  }

  // Shows the frame the core holds now: the pass shown, drawn again by a load of new tracks.
  refresh() {
    this.preview.present();
    return this.shown();
  }

  shown() {
    this.state.hash = this.preview.hash;
    for (const listener of this.listeners) listener(this.state.pass);
    return this.state.pass;
  }

  // Moves the playhead; while playing, the music goes on from there.
  seek(pass) {
    const shown = this.show(pass);
    if (this.state.playing) this.startMusic();
    return shown;
  }

  step(by) {
    this.stop();
    return this.show(this.state.pass + by);
  }

  toggle() {
    if (this.state.playing) this.stop();
    else this.play();
  }

  play() {
    if (this.state.playing) return;
    if (this.state.pass >= this.lastPass) this.show(0);
    this.state.playing = true;
    this.sound.context?.resume();  // within the key or click that asked for it
    this.startMusic();
    const frame = () => {
      if (!this.state.playing) return;
      const pass = passAtMs(this.sound.now() - this.origin);
      if (pass >= this.lastPass) {
        this.show(this.lastPass);
        this.stop();
        return;
      }
      if (pass !== this.state.pass && pass >= this.startPass) this.show(pass);
      requestAnimationFrame(frame);
    };
    requestAnimationFrame(frame);
  }

  startMusic() {
    const at = this.sound.aheadNow();
    const ms = passMs(this.state.pass);
    this.origin = (at - ms) | 0;
    this.startPass = this.state.pass;
    this.sound.playFrom(ms, at);
  }

  stop() {
    if (!this.state.playing) return;
    this.state.playing = false;
    this.sound.stop();
  }
}
