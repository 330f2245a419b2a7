// The video's sound track: the music's samples encoded (by the browser's encoder or a registered
// npm one) and muxed with the encoder's priming recorded in the container. An AAC encoder puts
// 1024 samples of its own before the first one given to it; the packets come with timestamps that
// ignore them, so each is moved back by the priming, and the MP4 muxer records the negative
// start as an edit list that players skip, as the native capture's MP4 does. Opus carries its
// pre-skip in its own header.
import { Output, Mp4OutputFormat, NullTarget, AudioSampleSource, AudioSample, EncodedAudioPacketSource } from 'mediabunny';

export const PRIMING = { aac: 1024, opus: 0 };

export class SoundTrack {
  // Adds the track to `output`; the samples are encoded through a second output that keeps
  // nothing, whose encoder's packets come here.
  constructor(output, { codec, bitrate }, rate, maximumPacketCount) {
    this.rate = rate;
    this.failure = null;
    this.track = new EncodedAudioPacketSource(codec);
    output.addAudioTrack(this.track, { maximumPacketCount });
    const shift = PRIMING[codec] / rate;
    this.muxing = Promise.resolve();
    this.encoding = new Output({ format: new Mp4OutputFormat(), target: new NullTarget() });
    this.samples = new AudioSampleSource({
      codec, bitrate,
      onEncodedPacket: (packet, meta) => {
        const moved = shift === 0 ? packet : packet.clone({ timestamp: packet.timestamp - shift });
        this.muxing = this.muxing.then(() => this.track.add(moved, meta)).catch((error) => { this.failure ??= error; });
      },
    });
    this.encoding.addAudioTrack(this.samples);
  }

  start() {
    return this.encoding.start();
  }

  // Encodes `channels` (Float32Arrays of the same length) as the samples from `first` on.
  async add(channels, first) {
    const count = channels[0].length;
    const planar = new Float32Array(count * channels.length);
    channels.forEach((channel, c) => planar.set(channel, c * count));
    const sample = new AudioSample({ data: planar, format: 'f32-planar', numberOfChannels: channels.length, sampleRate: this.rate, timestamp: first / this.rate });
    try {
      await this.samples.add(sample);
    } finally {
      sample.close();
    }
    if (this.failure) throw this.failure;
  }

  // Every packet encoded and muxed; the track closed.
  async finish() {
    this.samples.close();
    await this.encoding.finalize();
    await this.muxing;
    if (this.failure) throw this.failure;
    this.track.close();
  }

  async cancel() {
    await this.encoding.cancel().catch(() => {});
  }
}
