// The music's waveform for the timeline: the lowest and highest sample of each hundredth of a
// second over the channels, worked out once when the music is decoded.
export const PEAKS_PER_SECOND = 100;

export function wavePeaks(buffer) {
  const per = buffer.sampleRate / PEAKS_PER_SECOND;
  const count = Math.ceil(buffer.length / per);
  const min = new Float32Array(count);
  const max = new Float32Array(count);
  for (let c = 0; c < buffer.numberOfChannels; ++c) {
    const samples = buffer.getChannelData(c);
    for (let k = 0; k < count; ++k) {
      let low = min[k];
      let high = max[k];
      const end = Math.min(samples.length, Math.floor((k + 1) * per));
      for (let i = Math.floor(k * per); i < end; ++i) {
        const s = samples[i];
        if (s < low) low = s;
        if (s > high) high = s;
      }
      min[k] = low;
      max[k] = high;
    }
  }
  return { perSecond: PEAKS_PER_SECOND, min, max };
}
