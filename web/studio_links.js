// The player's side of the studio's links: a share link's script played in place of the built-in
// one, and the bar's "edit" button, which opens the studio at the moment shown with the script
// playing.
import { readLink, shareLink } from './studio/links.js';

const SCRIPTS = '/scripts';

// Plays the script that the address's # holds, if any; a damaged one is named on the page.
export async function playLinkedScript(player) {
  if (!new URLSearchParams(location.hash.slice(1)).has('script')) return;
  const link = await readLink(location.hash);  // its time is the player's own to read
  if (link.text === null) player.showError(link.error);
  else await player.openScript(new File([link.text], 'shared.txt'));
}

// The script playing as text: the opened file's, or the built-in one as --dump-script writes it.
function playingScript(module, state) {
  if (state.script) return module.FS.readFile(`${SCRIPTS}/${state.script}`, { encoding: 'utf8' });
  return module.UTF8ToString(module._studio_builtin_text());
}

export function setUpEditButton(button, module, state) {
  button.addEventListener('click', async () => {
    const studio = new URL('studio.html', location.href).href;
    window.open(await shareLink(studio, playingScript(module, state), (state.shownMs ?? 0) / 1000), '_blank');
  });
}
