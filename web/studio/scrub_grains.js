// The music heard while scrubbing: a short grain of it at each new playhead position, faded in
// and out so that it does not click, the previous grain cut short by the next. The grains have
// a sound context of their own, made at the first scrub (within the gesture that lets a page
// sound), so that the show's clock, which the other context keeps, does not run while scrubbing.
const GRAIN_SECONDS = 0.07;
const FADE_SECONDS = 0.01;

export class ScrubGrains {
  constructor() {
    this.context = null;
    this.source = null;
    this.gain = null;
    this.played = 0;  // grains started, for the tests
  }

  // A grain of `buffer` (an AudioBuffer) from `seconds` into it.
  play(buffer, seconds) {
    if (!buffer || seconds < 0 || seconds >= buffer.duration) return;
    if (this.context === null) {
      try {
        this.context = new AudioContext();
      } catch (error) {
        return;  // a browser without sound scrubs in silence
      }
    }
    const context = this.context;
    this.stop();
    const now = context.currentTime;
    const gain = context.createGain();
    gain.gain.setValueAtTime(0, now);
    gain.gain.linearRampToValueAtTime(1, now + FADE_SECONDS);
    gain.gain.setValueAtTime(1, now + GRAIN_SECONDS - FADE_SECONDS);
    gain.gain.linearRampToValueAtTime(0, now + GRAIN_SECONDS);
    gain.connect(context.destination);
    const source = context.createBufferSource();
    source.buffer = buffer;
    source.connect(gain);
    source.start(now, seconds, GRAIN_SECONDS);
    this.source = source;
    this.gain = gain;
    this.played += 1;
  }

  stop() {
    if (this.source === null) return;
    this.source.stop();
    this.source.disconnect();
    this.gain.disconnect();
    this.source = null;
  }
}
