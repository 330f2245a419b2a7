// The "video" dialog: span, size, rate, format, sound and file name, then a progress bar with
// the time reached, the speed and the time left, and a cancel button. The file is written
// through the save picker as it is made, or offered as a download where there is no picker.
import { RATES, sizes, parseTime, formatSeconds, SHOW_END_MS } from './span.js';
import { probeFormat } from './encoders.js';

function el(tag, props = {}, ...children) {
  const node = Object.assign(document.createElement(tag), props);
  node.append(...children);
  return node;
}

const labelled = (text, control) => el('label', {}, text, control);

function optionList(select, items) {
  select.replaceChildren(...items.map(([value, text]) => el('option', { value }, text)));
  return select;
}

// Builds the dialog into the page once; `make(options, handlers)` makes the video (see
// videoMaker), `cancel()` stops it. span() gives the span to offer ({ from, to } in seconds) or null.
export function createDialog({ make, cancel, span = () => null }) {
  const f = {
    whole: el('input', { id: 'video-whole', type: 'radio', name: 'video-span', value: 'whole', checked: true }),
    part: el('input', { id: 'video-part', type: 'radio', name: 'video-span', value: 'part' }),
    from: el('input', { id: 'video-from', size: 7, value: '0:00', title: 'M:SS or seconds' }),
    to: el('input', { id: 'video-to', size: 7, value: formatSeconds(SHOW_END_MS / 1000), title: 'M:SS or seconds' }),
    size: optionList(el('select', { id: 'video-size' }), sizes().map(({ width, height }) => [`${width}x${height}`, `${width}x${height}`])),
    fps: optionList(el('select', { id: 'video-fps' }), RATES.map((r) => [r, `${r} a second`])),
    format: optionList(el('select', { id: 'video-format' }), [['mp4', 'mp4 (H.264, AAC)'], ['webm', 'webm (VP9, Opus)']]),
    sound: optionList(el('select', { id: 'video-sound' }), [['music', 'the music playing'], ['none', 'no sound']]),
    name: el('input', { id: 'video-name', value: 'voxelshow.mp4', size: 18 }),
  };
  const makeButton = el('button', { id: 'video-make', type: 'button' }, 'make');
  const closeButton = el('button', { id: 'video-close', type: 'button' }, 'close');
  const cancelButton = el('button', { id: 'video-cancel', type: 'button', hidden: true }, 'cancel');
  const bar = el('progress', { id: 'video-progress', max: 1, value: 0, hidden: true });
  const progressText = el('span', { id: 'video-progress-text' });
  const line = el('p', { id: 'video-line', role: 'status' });
  const download = el('a', { id: 'video-download', hidden: true }, 'download');
  const dialog = el('dialog', { id: 'video-dialog' },
    el('h2', {}, 'video'),
    el('fieldset', {}, el('legend', {}, 'span'), el('label', {}, f.whole, ' the whole show'), el('br'),
      el('label', {}, f.part, ' from '), f.from, ' to ', f.to),
    el('div', { className: 'video-row' }, labelled('size ', f.size), labelled(' rate ', f.fps)),
    el('div', { className: 'video-row' }, labelled('format ', f.format), labelled(' sound ', f.sound)),
    el('div', { className: 'video-row' }, labelled('file ', f.name)),
    el('div', { className: 'video-row' }, makeButton, cancelButton, closeButton),
    el('div', { className: 'video-row' }, bar), el('div', { className: 'video-row' }, progressText),
    line, download);
  // Its look comes with it, so that any page that attaches it shows it alike.
  document.head.append(el('link', { rel: 'stylesheet', href: 'video.css' }));
  document.body.append(dialog);

  for (const input of [f.from, f.to]) input.addEventListener('focus', () => { f.part.checked = true; });
  const sizeOf = () => f.size.value.split('x').map(Number);
  f.format.addEventListener('change', () => {
    f.name.value = f.name.value.replace(/(\.(mp4|webm))?$/i, `.${f.format.value}`);
    notice = '';
    probe();
  });
  f.size.addEventListener('change', () => probe());

  // Marks the formats that cannot be made here at the chosen size, with their reasons, and
  // moves the choice to one that can; only the latest probe's findings count.
  const reasons = {};
  let notice = '';  // why the format chosen was changed, until the person chooses another
  let probing = 0;
  async function probe() {
    const generation = ++probing;
    const [width, height] = sizeOf();
    const fps = Number(f.fps.value);
    const found = [];
    for (const option of f.format.options) found.push(await probeFormat(option.value, width, height, fps));
    if (generation !== probing) return;
    [...f.format.options].forEach((option, i) => {
      option.disabled = !found[i].ok;
      reasons[option.value] = found[i].line;
    });
    offerAnother();
  }
  function offerAnother(failedLine = null) {
    const chosen = f.format.selectedOptions[0];
    if (chosen.disabled) {
      const other = [...f.format.options].find((o) => !o.disabled);
      if (other) {
        f.format.value = other.value;
        f.name.value = f.name.value.replace(/(\.(mp4|webm))?$/i, `.${other.value}`);
      }
      notice = `${failedLine ?? `${chosen.value}: ${reasons[chosen.value]}`}${other ? `; ${other.value} is offered` : ''}`;
      line.textContent = notice;
    } else if (!failedLine && !makeButton.disabled) {
      line.textContent = notice || reasons[chosen.value] || '';
    }
  }

  function options() {
    const [width, height] = sizeOf();
    const whole = f.whole.checked;
    const from = whole ? 0 : parseTime(f.from.value);
    const to = whole ? null : parseTime(f.to.value);
    if (Number.isNaN(from)) throw new Error(`from ${f.from.value}: not a time (M:SS or seconds)`);
    if (Number.isNaN(to)) throw new Error(`to ${f.to.value}: not a time (M:SS or seconds)`);
    return { from, to, fps: Number(f.fps.value), width, height, format: f.format.value, sound: f.sound.value === 'music' };
  }

  // While a video is made, "make" and "close" are disabled and "cancel" shows; after it, the
  // other way round. The focus goes from the button pressed to the one shown: a disabled button
  // keeps it until the browser's next rendering update (and the player leaves Space to a focused
  // button, so a Space then would be lost on it), a hidden one drops it to the page.
  function busy(on) {
    const [from, to] = on ? [makeButton, cancelButton] : [cancelButton, makeButton];
    const moved = document.activeElement === from || (on && document.activeElement === closeButton);
    makeButton.disabled = on;
    closeButton.disabled = on;
    cancelButton.hidden = !on;
    bar.hidden = false;
    if (moved) to.focus();
  }

  makeButton.addEventListener('click', async () => {
    let chosen;
    try {
      chosen = options();
    } catch (error) {
      line.textContent = error.message;
      return;
    }
    download.hidden = true;
    let handle = null;
    const name = f.name.value.trim() || `voxelshow.${chosen.format}`;
    if (window.showSaveFilePicker) {
      try {
        handle = await window.showSaveFilePicker({ suggestedName: name,
          types: [{ description: chosen.format, accept: { [`video/${chosen.format}`]: [`.${chosen.format}`] } }] });
      } catch (error) {
        if (error.name === 'AbortError') return;  // the picker was closed: nothing to do
        handle = null;  // no picker after all: a download
      }
    }
    busy(true);
    bar.value = 0;
    let frames = 0;
    line.textContent = 'starting…';
    progressText.textContent = '';
    try {
      const result = await make(chosen, {
        handle,
        onStarted: ({ note }) => { line.textContent = note || 'making the video…'; },
        onProgress: ({ frame, of, seconds }) => {
          frames = of;
          bar.value = frame / of;
          const shown = frame / chosen.fps;
          const speed = seconds > 0 ? shown / seconds : 0;
          const left = speed > 0 ? (of - frame) / chosen.fps / speed : 0;
          progressText.textContent = `${formatSeconds(Math.round(shown * 10) / 10)} of ${formatSeconds(Math.round((of / chosen.fps) * 10) / 10)}, `
            + `${speed.toFixed(2)}x real time, ${Math.ceil(left)} s left`;
        },
      });
      bar.value = 1;
      const took = `${result.seconds.toFixed(1)} s, ${(frames / chosen.fps / result.seconds).toFixed(2)}x real time`;
      if (result.file) {
        download.href = URL.createObjectURL(result.file);
        download.download = name;
        download.hidden = false;
        line.textContent = `${name}: ${(result.file.size / 1e6).toFixed(1)} MB, made in ${took}${result.note ? `; ${result.note}` : ''}`;
      } else {
        line.textContent = `${handle.name}: written, made in ${took}${result.note ? `; ${result.note}` : ''}`;
      }
    } catch (error) {
      line.textContent = error.message;
      if (/fails to start|no .* encoder/.test(error.message)) {
        f.format.selectedOptions[0].disabled = true;
        offerAnother(error.message);
      }
    } finally {
      busy(false);
    }
  });
  cancelButton.addEventListener('click', () => cancel());
  closeButton.addEventListener('click', () => dialog.close());

  return {
    element: dialog,
    open() {
      const offered = span();
      if (offered) {
        f.part.checked = true;
        f.from.value = formatSeconds(offered.from);
        f.to.value = formatSeconds(offered.to);
      }
      line.textContent = '';
      dialog.show();  // not modal: the show can be watched and played meanwhile
      probe();
    },
  };
}
