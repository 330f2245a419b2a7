// The studio's own keys: Space plays and stops, `,` and `.` step one pass, Home and End go to the
// show's first and last pass; Ctrl+Z undoes, Ctrl+Shift+Z and Ctrl+Y redo, Ctrl+S exports. Keys
// typed into the text pane or a field are theirs, but for undo, redo and export.

function typing(target) {
  return target instanceof HTMLElement && (target.isContentEditable || /^(INPUT|TEXTAREA|SELECT)$/.test(target.tagName));
}

// `actions`: { toggle, step(by), first, last, undo, redo, exportScript }.
export function listenKeys(actions) {
  document.addEventListener('keydown', (event) => {
    if (event.defaultPrevented || event.altKey) return;
    const control = event.ctrlKey || event.metaKey;
    const key = event.key.length === 1 ? event.key.toLowerCase() : event.key;
    let action = null;
    if (control) {
      if (key === 's') action = actions.exportScript;
      else if (key === 'y' || (key === 'z' && event.shiftKey)) action = actions.redo;
      else if (key === 'z') action = actions.undo;
    } else if (!typing(event.target)) {
      if (event.code === 'Space') action = actions.toggle;
      else if (key === ',') action = () => actions.step(-1);
      else if (key === '.') action = () => actions.step(1);
      else if (key === 'Home') action = actions.first;
      else if (key === 'End') action = actions.last;
    }
    if (action === null) return;
    event.preventDefault();
    action();
  });
}
