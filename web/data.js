// The show's data files, fetched by the page and put in the module's file system, where the
// core reads them as the native program reads its data folder.
export const DATA_FILES = [
  'heightmap2', 'waterheight', 'colormap2', 'colormap2blue', 'colormap2b', 'colormap2gray', 'colormap2test',
  'colormap2red', 'text1.png', 'text2.png', 'text3.png', 'text4.png', 'text5.png', 'text6.png', 'title.png',
];
export const MUSIC_FILE = 'ostrel&vandt_-_cube.mp3';

// The file's bytes, or an Error whose message names the file and the reason in one line.
export async function fetchData(name) {
  const url = 'data/' + encodeURIComponent(name);
  let response;
  try {
    response = await fetch(url);
  } catch (error) {
    throw new Error(`data/${name}: cannot fetch: ${error.message}`);
  }
  if (!response.ok) {
    throw new Error(`data/${name}: cannot fetch: ${response.status} ${response.statusText}`.trim());
  }
  return new Uint8Array(await response.arrayBuffer());
}

// Every data file but the music into /data; rejects with the first file that failed.
export async function loadData(module) {
  const files = await Promise.all(DATA_FILES.map(fetchData));
  module.FS.mkdir('/data');
  DATA_FILES.forEach((name, i) => module.FS.writeFile('/data/' + name, files[i]));
}
