// The viewer's controls of the played show: the bar (which fades while the show plays and, faded,
// takes a tap or click only to come back), the keys, the seek bar with its cut marks and the time
// under the pointer, volume and mute, touch (a tap shows or hides the bar, a double tap on a side
// jumps 10 s), the system's media keys, links to a moment, and the end.
import { COMMAND, SHOW_MS, formatTime } from './player.js';
import { linkAt, rememberPosition } from './links.js';

const IDLE_MS = 2500;        // the bar fades after this long without the pointer moving
const DOUBLE_TAP_MS = 300;   // a second tap within this long is a double tap
const THUMB_PX = 16;         // the seek bar's thumb, whose centre travels its width less its own
const KEYS = {
  Space: COMMAND.pause, KeyK: COMMAND.pause, ArrowLeft: COMMAND.back, ArrowRight: COMMAND.forward,
  PageUp: COMMAND.farBack, PageDown: COMMAND.farForward, Home: COMMAND.toStart, Period: COMMAND.stepForward,
  Comma: COMMAND.stepBack,
};
const $ = (id) => document.getElementById(id);

// Where on the seek bar (0 to 1 of its width) the thumb's centre is at `ms`, and back.
export function seekFraction(ms, width) {
  return (THUMB_PX / 2 + (ms / SHOW_MS) * (width - THUMB_PX)) / width;
}

export function seekTimeAt(x, width) {
  return Math.round(Math.min(1, Math.max(0, (x - THUMB_PX / 2) / (width - THUMB_PX))) * SHOW_MS);
}

export class Controls {
  constructor(player, sound, state) {
    this.player = player;
    this.sound = sound;
    this.state = state;
    this.bar = $('bar');
    this.idleTimer = 0;
    this.dragging = false;
    this.lastTap = null;  // { at, side } of a touch tap that may become a double tap
    this.tapTimer = 0;
    this.rememberedAt = 0;
    player.onChange = () => this.update();
    this.setUp();
  }

  get idle() { return this.bar.classList.contains('idle'); }

  showBar() {
    this.bar.hidden = false;
    this.bar.classList.remove('idle');
    document.body.classList.remove('idle');
    this.state.barIdle = false;
    clearTimeout(this.idleTimer);
    this.idleTimer = setTimeout(() => this.hideBar(), IDLE_MS);
  }

  hideBar() {
    clearTimeout(this.idleTimer);
    if (this.state.phase !== 'playing' || this.bar.matches(':hover') || this.dragging) return;
    this.bar.classList.add('idle');
    document.body.classList.add('idle');
    this.state.barIdle = true;
  }

  // The bar, the pause sign and the media session after a pass or a command.
  update() {
    const { shownMs, paused, phase } = this.state;
    const ended = phase === 'ended';
    const shown = ended ? SHOW_MS : shownMs;
    $('time').textContent = `${formatTime(shown)} / ${formatTime(SHOW_MS)}`;
    const seek = $('seek');
    if (!this.dragging) seek.value = String(shown);
    seek.setAttribute('aria-valuetext', `${formatTime(Number(seek.value))} of ${formatTime(SHOW_MS)}`);
    const label = ended ? 'play again' : paused ? 'play' : 'pause';
    const play = $('play');
    if (play.textContent !== label) {
      play.textContent = label;
      play.setAttribute('aria-label', label);
    }
    $('pause-sign').hidden = !(paused && !ended);
    $('again').hidden = !ended;
    if (ended) this.showBar();
    const title = this.player.title;
    if ($('stats').textContent !== title) $('stats').textContent = title;
    if (navigator.mediaSession) navigator.mediaSession.playbackState = paused || ended ? 'paused' : 'playing';
    // Where the visitor is, for a reload; at the end, nothing to go back to.
    const now = performance.now();
    if (ended) rememberPosition(null);
    else if (now - this.rememberedAt > 500) {
      this.rememberedAt = now;
      rememberPosition(shownMs);
    }
  }

  markCuts() {
    const width = $('seek').clientWidth || 1;
    $('cuts').replaceChildren(...(this.state.cuts ?? []).map((seconds) => {
      const mark = document.createElement('span');
      mark.style.left = `calc(${seekFraction(seconds * 1000, width) * 100}% - 1px)`;
      mark.title = formatTime(seconds * 1000);
      return mark;
    }));
  }

  setVolume(volume, muted) {
    this.sound.setVolume(volume, muted);
    this.state.volume = this.sound.volume;
    this.state.muted = this.sound.muted;
    const slider = $('volume');
    slider.value = String(Math.round(this.sound.volume * 100));
    slider.setAttribute('aria-valuetext', muted ? 'muted' : `${slider.value}%`);
    const mute = $('mute');
    mute.textContent = muted ? 'sound off' : 'sound on';
    mute.setAttribute('aria-label', muted ? 'unmute' : 'mute');
    mute.setAttribute('aria-pressed', String(muted));
    try {
      localStorage.setItem('voxelshow.volume', JSON.stringify({ volume: this.sound.volume, muted }));
    } catch {
      // Not kept: the next visit starts at full volume.
    }
  }

  toggleFullscreen() {
    if (document.fullscreenElement) document.exitFullscreen();
    else $('stage').requestFullscreen?.().catch(() => {});
  }

  // The key list takes the focus while shown and gives it back to where it was when it closes
  // (by Escape or its button): a focus left on its hidden close button would take the next Space.
  toggleKeys(show = $('keys').hidden) {
    const list = $('keys');
    if (show === !list.hidden) return;
    if (show) this.focusBeforeKeys = document.activeElement;
    list.hidden = !show;
    this.state.keysShown = show;
    if (show) {
      $('keys-close').focus();
    } else if (list.contains(document.activeElement)) {
      const back = this.focusBeforeKeys;
      if (back instanceof HTMLElement && back.isConnected && back !== document.body) back.focus();
      else document.activeElement.blur();
    }
  }

  async copyLink() {
    const link = linkAt(location.href, this.state.phase === 'ended' ? SHOW_MS : this.state.shownMs);
    this.state.link = link;
    try {
      await navigator.clipboard.writeText(link);
      this.notice(`link copied: ${link}`);
    } catch {
      this.notice(`copy this link: ${link}`);
    }
  }

  notice(text) {
    const line = $('notice');
    line.textContent = text;
    line.hidden = false;
    this.state.notice = text;
    clearTimeout(this.noticeTimer);
    this.noticeTimer = setTimeout(() => { line.hidden = true; }, 4000);
  }

  // A key of the show's; false when the key is not one (the browser then does what it does).
  key(event) {
    const player = this.player;
    if (event.ctrlKey || event.altKey || event.metaKey) return false;
    if (event.key === '?') {
      this.toggleKeys();
      return true;
    }
    if (event.key === 'Escape' && !$('keys').hidden) {
      this.toggleKeys(false);
      return true;
    }
    const digit = /^Digit([0-9])$/.exec(event.code);
    const shown = this.state.shownMs;
    if (digit) player.seekTo((Number(digit[1]) * SHOW_MS) / 10);
    else if (event.code === 'KeyJ') player.seekTo(shown - 10000);
    else if (event.code === 'KeyL') player.seekTo(shown + 10000);
    else if (event.code === 'End') player.seekTo(SHOW_MS);
    else if (event.code === 'KeyM') this.setVolume(this.sound.volume, !this.sound.muted);
    else if (event.code === 'KeyF') this.toggleFullscreen();
    else if (event.code === 'Space' || event.code === 'KeyK') player.togglePause();
    else if (KEYS[event.code] !== undefined) player.command(KEYS[event.code]);
    else return false;
    this.showBar();
    return true;
  }

  // A touch tap on the picture: shows or hides the bar; a second tap soon after on the same side
  // third jumps 10 s back (left) or forward (right).
  tap(event) {
    const box = event.currentTarget.getBoundingClientRect();
    const x = (event.clientX - box.left) / box.width;
    const side = x < 1 / 3 ? -1 : x > 2 / 3 ? 1 : 0;
    const now = performance.now();
    if (this.lastTap !== null && now - this.lastTap.at < DOUBLE_TAP_MS && side !== 0 && side === this.lastTap.side) {
      clearTimeout(this.tapTimer);
      this.lastTap = null;
      this.player.seekTo(this.state.shownMs + side * 10000);
      this.notice(side < 0 ? '« 10 s' : '10 s »');
      return;
    }
    this.lastTap = { at: now, side };
    clearTimeout(this.tapTimer);
    const barShown = !this.bar.hidden && !this.idle;
    this.tapTimer = setTimeout(() => {
      this.lastTap = null;
      if (barShown) this.hideBar();
      else this.showBar();
    }, DOUBLE_TAP_MS);
  }

  setUp() {
    const player = this.player;
    const bar = this.bar;
    this.showBar();
    window.addEventListener('pointermove', (event) => {
      if (event.pointerType !== 'touch') this.showBar();
    });
    // A faded bar takes a press only to come back: its controls are out of reach (CSS) until then,
    // and the press that brings it back does nothing else.
    bar.addEventListener('pointerdown', (event) => {
      if (!this.idle) return;
      event.preventDefault();
      event.stopPropagation();
      this.showBar();
    }, true);
    bar.addEventListener('focusin', () => this.showBar());
    window.addEventListener('keydown', (event) => {
      const target = event.target;
      if (target instanceof HTMLInputElement && target.type !== 'range') return;
      // A focused button takes Space and Enter itself.
      if (target instanceof HTMLButtonElement && (event.code === 'Space' || event.code === 'Enter')) return;
      if (this.key(event)) event.preventDefault();  // the page does not scroll on the show's keys
    });
    $('play').addEventListener('click', () => player.togglePause());
    $('again').addEventListener('click', () => {
      player.command(COMMAND.toStart);
      if (this.state.paused) player.command(COMMAND.pause);
      $('screen').focus();
    });
    $('fullscreen').addEventListener('click', () => this.toggleFullscreen());
    $('mute').addEventListener('click', () => this.setVolume(this.sound.volume, !this.sound.muted));
    $('volume').addEventListener('input', (event) => this.setVolume(Number(event.target.value) / 100, false));
    $('copy-link').addEventListener('click', () => this.copyLink());
    $('keys-button').addEventListener('click', () => this.toggleKeys());
    $('keys-close').addEventListener('click', () => this.toggleKeys(false));
    $('open').addEventListener('click', () => $('script-file').click());
    $('script-file').addEventListener('change', (event) => {
      const file = event.target.files[0];
      if (file) player.openScript(file).then(() => this.markCuts());
      event.target.value = '';
    });

    // The seek bar: the frame follows the thumb while it is dragged, one jump a browser frame.
    const seek = $('seek');
    let pending = null;
    const follow = () => {
      if (pending !== null) player.seekTo(pending);
      pending = null;
    };
    seek.addEventListener('pointerdown', () => { this.dragging = true; });
    seek.addEventListener('input', () => {
      if (pending === null) requestAnimationFrame(follow);
      pending = Number(seek.value);
    });
    seek.addEventListener('change', () => {
      this.dragging = false;
      pending = Number(seek.value);
      follow();
    });
    window.addEventListener('pointerup', () => { this.dragging = false; });
    const hover = $('hover-time');
    const wrap = $('seek-wrap');
    wrap.addEventListener('pointermove', (event) => {
      const box = seek.getBoundingClientRect();
      const ms = seekTimeAt(event.clientX - box.left, box.width);
      hover.textContent = formatTime(ms);
      hover.style.left = `${seekFraction(ms, box.width) * 100}%`;
      hover.hidden = false;
      this.state.hoverText = hover.textContent;
    });
    wrap.addEventListener('pointerleave', () => { hover.hidden = true; });
    window.addEventListener('resize', () => this.markCuts());
    window.addEventListener('pagehide', () => rememberPosition(player.ended ? null : this.state.shownMs));

    // The picture: a touch tap shows or hides the bar (a double tap on a side jumps); a click
    // plays or pauses, as in the players the visitor knows.
    const screen = $('screen');
    screen.addEventListener('pointerup', (event) => {
      if (event.pointerType === 'touch') this.tap(event);
      else if (event.button === 0) player.togglePause();
    });

    // The system's media keys and lock screen.
    const session = navigator.mediaSession;
    if (session) {
      try {
        session.metadata = new MediaMetadata({ title: 'voxelshow', artist: 'ostrel & vandt: cube' });
      } catch {
        // Without metadata the keys still work.
      }
      const actions = {
        play: () => (this.state.paused || player.ended) && player.togglePause(),
        pause: () => !this.state.paused && !player.ended && player.togglePause(),
        seekbackward: () => player.seekTo(this.state.shownMs - 10000),
        seekforward: () => player.seekTo(this.state.shownMs + 10000),
        seekto: (details) => player.seekTo(details.seekTime * 1000),
      };
      for (const [action, handler] of Object.entries(actions)) {
        try {
          session.setActionHandler(action, handler);
        } catch {
          // An action this browser does not offer.
        }
      }
    }
    let volume = { volume: 1, muted: false };
    try {
      volume = { ...volume, ...JSON.parse(localStorage.getItem('voxelshow.volume') ?? '{}') };
    } catch {
      // A stored value that is not ours: full volume.
    }
    this.setVolume(Number(volume.volume) || 0, volume.muted === true);
    this.markCuts();
    this.update();
  }
}
