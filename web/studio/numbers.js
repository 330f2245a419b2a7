// Times and values as the script writes them: the 60-a-second grid of passes, and numbers as the
// shortest text that the program's parser reads back as exactly the same single-precision float.

export const GRID_FPS = 60;
const SCRIPT_PI = Math.fround(3.141592654);
const PI_DIVISORS = [1, 2, 3, 4, 6, 8];

// The demo clock's milliseconds at pass `pass`: floor(pass * 1000 / 60).
export function passMs(pass) {
  return Math.floor((pass * 1000) / GRID_FPS);
}

// The demo clock's seconds at pass `pass`, the float32 value the tracks are evaluated at.
export function passSeconds(pass) {
  return Math.fround(passMs(pass) / 1000);
}

// The time text of pass `pass`: a row edge written so reads back as the pass's exact time.
export function passTimeText(pass) {
  return formatNumber(passSeconds(pass));
}

// The first pass whose time is at or after `seconds`: where a row starting there first writes.
export function firstPassAtOrAfter(seconds) {
  let pass = Math.max(0, Math.ceil((seconds * GRID_FPS) - 1));
  while (passSeconds(pass) < seconds) ++pass;
  while (pass > 0 && passSeconds(pass - 1) >= seconds) --pass;
  return pass;
}

// The last pass whose time is at or before `seconds` (0 for any earlier time).
export function lastPassAtOrBefore(seconds) {
  const pass = firstPassAtOrAfter(seconds);
  return passSeconds(pass) > seconds && pass > 0 ? pass - 1 : pass;
}

// The shortest plain decimal that reads back as the float32 `value` ("255", "39.5", "1.5707964").
export function formatNumber(value) {
  const single = Math.fround(value);
  if (Object.is(single, -0)) return '-0';
  if (Math.abs(single) >= 1e21) return String(single);  // beyond toFixed's plain range: "1e+30"
  for (let digits = 0; digits <= 100; ++digits) {
    const text = single.toFixed(digits);
    if (Math.fround(Number(text)) === single) return text;
  }
  return String(single);
}

// Like formatNumber, but pi and its halves, thirds, quarters, sixths and eighths (and their
// negatives) as "pi/2" and so on, as the program's writer puts a key.
export function formatKey(value) {
  const single = Math.fround(value);
  for (const divisor of PI_DIVISORS) {
    const multiple = Math.fround(SCRIPT_PI / divisor);
    const name = divisor === 1 ? 'pi' : `pi/${divisor}`;
    if (single === multiple) return name;
    if (single === -multiple) return `-${name}`;
  }
  return formatNumber(single);
}
