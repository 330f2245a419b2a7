// The text pane: the script as text, kept in step with the model both ways. Typing is taken as an
// edit once the text parses; until then the error shows as `LINE: reason` at its line, and the
// model (so the timeline and the preview) keeps the last good script.

export class TextPane {
  constructor(model, textarea, errorBox) {
    this.model = model;
    this.textarea = textarea;
    this.errorBox = errorBox;
    this.scheduled = false;
    this.showing = false;
    this.taking = false;  // the model's change comes from this pane's own text
    textarea.value = model.text;
    textarea.addEventListener('input', () => this.schedule());
    textarea.addEventListener('scroll', () => this.placeError());
    model.subscribe((change) => this.changed(change));
  }

  // Reads the pane at most once a frame, however fast the keys come.
  schedule() {
    if (this.scheduled) return;
    this.scheduled = true;
    requestAnimationFrame(() => {
      this.scheduled = false;
      this.take();
    });
  }

  // The pane's text to the model now (also for the test surface).
  take() {
    this.taking = true;
    try {
      return this.model.setText(this.textarea.value);
    } finally {
      this.taking = false;
    }
  }

  setText(text) {
    this.textarea.value = text;
    return this.take();
  }

  changed({ kind }) {
    if (kind === 'refused') {
      this.showError(this.model.error);
      return;
    }
    this.showError('');
    if (!this.taking) this.scheduleShow();
  }

  // The model's text into the pane once a frame at most: a large script takes the browser a while
  // to lay out, which the preview does not wait for.
  scheduleShow() {
    if (this.showing) return;
    this.showing = true;
    requestAnimationFrame(() => {
      this.showing = false;
      this.show();
    });
  }

  show() {
    if (this.textarea.value === this.model.text) return;
    const { selectionStart, selectionEnd, scrollTop } = this.textarea;
    this.textarea.value = this.model.text;
    this.textarea.setSelectionRange(selectionStart, selectionEnd);
    this.textarea.scrollTop = scrollTop;
  }

  showError(error) {
    this.errorBox.textContent = error;
    this.errorBox.hidden = error === '';
    this.textarea.classList.toggle('refused', error !== '');
    this.placeError();
  }

  // The error box beside its line, kept within the pane.
  placeError() {
    if (this.errorBox.hidden) return;
    const line = Number(/^(\d+):/.exec(this.errorBox.textContent)?.[1] ?? 1);
    const style = getComputedStyle(this.textarea);
    const lineHeight = parseFloat(style.lineHeight) || 16;
    const top = parseFloat(style.paddingTop) + (line - 1) * lineHeight - this.textarea.scrollTop;
    const limit = this.textarea.clientHeight - this.errorBox.offsetHeight;
    this.errorBox.style.top = `${this.textarea.offsetTop + Math.max(0, Math.min(top, limit))}px`;
  }
}
