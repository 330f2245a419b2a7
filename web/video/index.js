// The video maker as the pages use it: attachVideo adds the "video" button to a bar and
// returns video(options), the test surface, which resolves with the finished file as a Blob
// and rejects with the failure's one line.
import { videoMaker } from './maker.js';
import { createDialog } from './dialog.js';

// bar: the element the button goes into; music() the decoded music playing (AudioBuffer or
// null); script() the scene script playing ({ name, bytes } or null); span() the span to offer
// ({ from, to } in seconds, or null for the whole show); record: an object that gets the last
// video's hashes and note and the progress of the one being made, for tests.
export function attachVideo({ bar, music, script = () => null, span = () => null, record = {} }) {
  const maker = videoMaker({ music, script });
  const dialog = createDialog({ make: maker.make, cancel: maker.cancel, span });
  const button = document.createElement('button');
  button.id = 'video';
  button.type = 'button';
  button.title = 'make a video of the show';
  button.textContent = 'video';
  button.addEventListener('click', () => dialog.open());
  bar.append(button);
  return {
    async video(options) {
      record.videoProgress = null;
      const result = await maker.make(options, { onProgress: (progress) => { record.videoProgress = progress; } });
      record.lastVideo = { hashes: result.hashes, note: result.note, encoded: result.encoded, seconds: result.seconds };
      return result.file;
    },
    cancel: maker.cancel,
  };
}
