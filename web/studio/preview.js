// The preview: the exact frame of the pass at the playhead on the 640x480 canvas, with its time,
// its pass on the 60-a-second grid and its hash as --hashes writes it.
import { passMs } from './numbers.js';

export function formatClock(ms) {
  const minutes = Math.floor(ms / 60000);
  const seconds = ((ms % 60000) / 1000).toFixed(3).padStart(6, '0');
  return `${minutes}:${seconds}`;
}

export class Preview {
  constructor(core, canvas, readout) {
    this.core = core;
    this.context2d = canvas.getContext('2d', { alpha: false });
    this.image = this.context2d.createImageData(640, 480);
    this.pixels = new Uint32Array(this.image.data.buffer);
    this.readout = readout;  // { time, pass, hash } elements
    this.hash = '';
  }

  // Draws pass `pass` (the core seeks there exactly) and shows it; returns the pass drawn.
  show(pass) {
    const drawn = this.core.draw(pass);
    this.present();
    return drawn;
  }

  // The core's frame (0x00RRGGBB words) onto the canvas as opaque RGBA bytes, and the readout.
  present() {
    const frame = this.core.frame();
    const out = this.pixels;
    for (let i = 0; i < out.length; ++i) {
      const p = frame[i];
      out[i] = 0xff000000 | ((p & 0xff) << 16) | (p & 0xff00) | ((p >>> 16) & 0xff);
    }
    this.context2d.putImageData(this.image, 0, 0);
    const pass = this.core.pass;
    this.hash = this.core.hash();
    this.readout.time.textContent = formatClock(passMs(pass));
    this.readout.pass.textContent = `pass ${pass}`;
    this.readout.hash.textContent = this.hash;
  }
}
