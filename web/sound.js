const START_LEAD = 0.1;  // seconds between starting a source and its first sample

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
    // The viewer's volume, after the music (and after any tap that the tests put before it).
    this.output = this.context?.createGain() ?? null;
    this.output?.connect(this.context.destination);
    this.volume = 1;
    this.muted = false;
    this.heldSince = null;  // without sound: when the pause began
    this.heldTotal = 0;     // and how long the pauses before it lasted, in milliseconds
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
    // Without sound: the page's own clock, standing still while paused as the audio clock does.
    const held = this.heldSince !== null ? performance.now() - this.heldSince : 0;
    return Math.floor(performance.now() - this.heldTotal - held) >>> 0;
  }

  // The counter's reading a little ahead, at which music started now reaches its speakers' side:
  // the context's time as the page reads it trails the time its audio thread renders by up to a
  // buffer (about 40 ms in Chromium), so a source started "now" would start late by that much.
  aheadNow() {
    if (this.context === null) return this.now();
    return Math.ceil((this.context.currentTime + START_LEAD) * 1000) >>> 0;
  }

  // Plays from `ms` into the music from the counter's reading `at` (from aheadNow), also while
  // suspended: it then starts when resumed. Work done between reading `at` and this call (the
  // core's start or jump, slow on a slow or busy machine) can take the lead and more: a source
  // started in the past plays at once from its offset, behind the picture by the delay. Such a
  // start is put a lead ahead of now, that much further into the music.
  playFrom(ms, at) {
    if (!this.ready) return;
    this.stop();
    this.source = this.context.createBufferSource();
    this.source.buffer = this.buffer;
    this.source.connect(this.tap ?? this.output);
    // Both on whole sample frames (within 12 microseconds at 44.1 kHz), so that the source plays
    // the decoded samples themselves rather than ones interpolated between them.
    const rate = this.context.sampleRate;
    const frames = (ms) => Math.round((ms * rate) / 1000) / rate;
    let when = frames(at);
    let offset = frames(ms);
    if (when < this.context.currentTime + START_LEAD / 2) {
      const later = frames(this.aheadNow());
      offset += later - when;
      when = later;
    }
    this.source.start(when, Math.min(offset, this.buffer.duration));
  }

  // The level heard, from 0 to 1, and whether it is muted; the music plays on either way.
  setVolume(volume, muted) {
    this.volume = Math.min(1, Math.max(0, volume));
    this.muted = muted;
    if (this.output !== null) this.output.gain.value = muted ? 0 : this.volume;
  }

  stop() {
    if (this.source !== null) {
      this.source.stop();
      this.source.disconnect();
      this.source = null;
    }
  }

  async pause(paused) {
    if (this.context === null) {
      if (paused && this.heldSince === null) this.heldSince = performance.now();
      if (!paused && this.heldSince !== null) {
        this.heldTotal += performance.now() - this.heldSince;
        this.heldSince = null;
      }
      return;
    }
    if (paused) await this.context.suspend();
    else await this.context.resume();
  }
}
