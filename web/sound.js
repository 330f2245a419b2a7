// The music through the browser's own decoder, and the audio clock that the picture follows.
export class Sound {
  constructor() {
    // Made before the click, suspended, so that the music decodes meanwhile; the click resumes it.
    try {
      this.context = new AudioContext();
    } catch (error) {
      this.context = null;
    }
    this.buffer = null;
    this.source = null;
    this.offset = 0;       // seconds into the music at which the playing source started
    this.startedAt = 0;    // the context's time at which it started
  }

  async load(bytes) {
    if (this.context === null) throw new Error('this browser has no sound');
    this.buffer = await this.context.decodeAudioData(bytes.buffer);
  }

  get ready() { return this.buffer !== null; }

  // The counter behind the demo clock, in whole milliseconds: the audio clock while there is
  // music, which stands still while it is suspended.
  now() {
    if (this.context !== null) return Math.floor(this.context.currentTime * 1000) >>> 0;
    return Math.floor(performance.now()) >>> 0;
  }

  // Plays from `ms` into the music (also while suspended: it then starts when resumed).
  playFrom(ms) {
    if (!this.ready) return;
    this.stop();
    this.source = this.context.createBufferSource();
    this.source.buffer = this.buffer;
    this.source.connect(this.tap ?? this.context.destination);
    this.offset = ms / 1000;
    this.startedAt = this.context.currentTime;
    this.source.start(this.startedAt, Math.min(this.offset, this.buffer.duration));
  }

  stop() {
    if (this.source !== null) {
      this.source.stop();
      this.source.disconnect();
      this.source = null;
    }
  }

  async pause(paused) {
    if (this.context === null) return;
    if (paused) await this.context.suspend();
    else await this.context.resume();
  }
}
