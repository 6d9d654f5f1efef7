'use strict';
// Runs Allegro's own examples, built for the desktop and for the web, on the
// X server that DISPLAY names and in Chromium and Firefox at once, each held
// at the points examples.txt gives and given the same keys there; compares
// the canvas's pixels with the window's, exactly, but for the regions left
// out; then that each ended, and printed the same.
// Usage: node examples.js DESKTOP_FOLDER WEB_FOLDER
const fs = require('fs');
const path = require('path');
const { execFileSync, spawn } = require('child_process');
const { browsers, serve, address } = require('../../scripts/lib/browsers.js');

const [desktop, web] = process.argv.slice(2);
// extimer's first point comes after five seconds of rests.
const POINT_MS = 15000;
const END_MS = 5000;
const LOOK_MS = 50;
const STEADY_LOOKS = 20;
const TAP_MS = 50;
const XWD_BYTES = 1 << 24;
const X_KEYS = { Enter: 'Return', Control: 'Control_L', Shift: 'Shift_L', Alt: 'Alt_L', Space: 'space',
                 Backspace: 'BackSpace', ArrowLeft: 'Left', ArrowRight: 'Right', ArrowUp: 'Up', ArrowDown: 'Down',
                 PageUp: 'Prior', PageDown: 'Next' };

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
async function waitUntil(condition, ms) {
  for (const end = Date.now() + ms; Date.now() < end; await sleep(LOOK_MS))
    if (await condition()) return true;
  return condition();
}

// Each example's points in order: where it is held, the keys then given, the
// regions left out of the comparison as x,y,w,h.
const examples = new Map();
for (const line of fs.readFileSync(path.join(__dirname, 'examples.txt'), 'utf8').split('\n')) {
  const [name, at, count, ...rest] = line.replace(/#.*/, '').split(/\s+/).filter(Boolean);
  if (!name) continue;
  const points = examples.get(name) || examples.set(name, []).get(name);
  if (at) points.push({ at: `${at} ${count}`, keys: rest.filter((word) => !/^\d/.test(word)),
                        out: rest.filter((word) => /^\d/.test(word)).map((word) => word.split(',').map(Number)) });
}

// A window's pixels as RGBA, from xwd's dump: a header of big-endian 32-bit
// fields, a colour map of 12-byte entries, then rows of 32-bit pixels.
function xwd(window) {
  const dump = execFileSync('xwd', ['-silent', '-id', window], { maxBuffer: XWD_BYTES });
  const field = (i) => dump.readUInt32BE(4 * i);
  const [width, height, row, start] = [field(4), field(5), field(12), field(0) + 12 * field(19)];
  const pixels = Buffer.alloc(4 * width * height);
  for (let i = 0; i < width * height; ++i)
    pixels.writeUInt32BE(((dump.readUInt32LE(start + row * Math.floor(i / width) + 4 * (i % width)) << 8) | 0xff) >>> 0,
                         4 * i);
  return { width, height, pixels };
}

// With no xmessage on its PATH, the library prints its messages on stdout.
function onDesktop(name, holds) {
  const example = spawn(path.join(desktop, name), [], { env: { ...process.env, EXAMPLE_HOLDS: holds, PATH: '/none' } });
  let printed = '', status;
  example.stdout.on('data', (data) => { printed += data; });
  example.stderr.on('data', (data) => { printed += data; });
  example.on('exit', (code) => { status = code; });
  // The window drawn in, as a window or full screen: the only one two below the root.
  const window = () => execFileSync('xwininfo', ['-root', '-tree'], { encoding: 'utf8' }).match(/^ {8}(0x[0-9a-f]+) /m)[1];
  return {
    name: 'Xvfb',
    printed: async () => printed.split('\n').filter(Boolean),
    status: async () => status,
    // Without a window manager the keys go where the pointer is: put in the
    // window as it is read, before the keys of each point.
    picture: async () => {
      execFileSync('xdotool', ['mousemove', '--window', window(), '1', '1']);
      return xwd(window());
    },
    key: async (key, down) => execFileSync('xdotool', [down ? 'keydown' : 'keyup', X_KEYS[key] || key]),
    stop: () => new Promise((resolve) => {
      if (status !== undefined) return resolve();
      example.on('exit', resolve);
      example.kill();
    }),
  };
}

async function inBrowser(running, browser, server, name, holds) {
  const page = await running.newPage();
  await page.goto(`${address(server)}page.html?example=${name}&holds=${encodeURIComponent(holds)}`);
  return {
    name: browser.name,
    printed: () => page.evaluate(() => window.printed),
    status: () => page.evaluate(() => window.exitStatus),
    picture: async () => {
      const { width, height, rgba } = await page.evaluate(() => {
        const canvas = window.Module.canvas;
        const bytes = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
        let text = '';
        for (let i = 0; i < bytes.length; i += 0x8000)
          text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
        return { width: canvas.width, height: canvas.height, rgba: btoa(text) };
      });
      return { width, height, pixels: Buffer.from(rgba, 'base64') };
    },
    key: (key, down) => page.keyboard[down ? 'down' : 'up']({ Enter: browser.enter, Space: ' ' }[key] || key),
    stop: () => page.close(),
  };
}

// The picture once it stays the same from one look to the next.
async function steady(run) {
  let last = await run.picture();
  for (let look = 0; look < STEADY_LOOKS; ++look) {
    await sleep(LOOK_MS);
    const now = await run.picture();
    if (now.pixels.equals(last.pixels)) break;
    last = now;
  }
  return last;
}

// The pictures at each point, what the example printed and how it ended, or
// where it failed. "+Key" holds a key down, "-Key" lets it go, "Key" taps it.
async function play(run, points) {
  const seen = { pictures: [] };
  try {
    const ended = async () => await run.status() !== undefined;
    for (const point of points) {
      const [at, count] = point.at.split(' ');
      const held = async () => (await run.printed()).includes(`held ${point.at}`);
      if (at === 'free')
        await sleep(Number(count));
      else if (!await waitUntil(async () => await held() || ended(), POINT_MS) || !await held())
        throw new Error(`never held at ${point.at}: ${await ended() ? `it ended with ${await run.status()}` : 'it ran on'}`
                        + `, printing ${JSON.stringify(await run.printed())}`);
      seen.pictures.push(at !== 'free' && await steady(run));
      for (const key of point.keys) {
        if (key[0] !== '-') await run.key(key.replace(/^\+/, ''), true);
        if (key[0] !== '+') await sleep(TAP_MS).then(() => run.key(key.replace(/^-/, ''), false));
      }
    }
    if (!await waitUntil(ended, END_MS))
      throw new Error('it did not end');
    seen.printed = (await run.printed()).filter((line) => !line.startsWith('held '));
    seen.status = await run.status();
  } catch (error) {
    // The checks throw plain errors; the browser's own mean a page that hangs.
    Object.assign(seen, { failure: error.message, hung: error.constructor !== Error });
  }
  await run.stop().catch(() => {});
  return seen;
}

// How the browser's picture differs from the window's, '' if it does not.
function unlike(window, canvas, out) {
  if (canvas.width !== window.width || canvas.height !== window.height)
    return `the canvas is ${canvas.width}x${canvas.height}, the window ${window.width}x${window.height}`;
  const kept = (x, y) => !out.some(([left, top, w, h]) => x >= left && x < left + w && y >= top && y < top + h);
  const rgb = (picture, i) => picture.pixels.readUIntBE(4 * i, 3).toString(16).padStart(6, '0');
  let count = 0, first = '';
  for (let i = 0; i < window.width * window.height; ++i) {
    const [x, y] = [i % window.width, Math.floor(i / window.width)];
    if (kept(x, y) && rgb(window, i) !== rgb(canvas, i) && !count++)
      first = ` (the first at ${x},${y}: #${rgb(canvas, i)} where the window has #${rgb(window, i)})`;
  }
  return count ? `${count} pixels differ${first}` : '';
}

(async () => {
  const server = await serve(web, { '/page.html': path.join(__dirname, 'page.html') });
  const tested = browsers().filter((browser) => !browser.limited);
  const launch = (browser) => browser.launch({ headless: true, protocolTimeout: POINT_MS });
  const running = await Promise.all(tested.map(launch));
  let failures = 0;
  for (const [name, points] of examples) {
    const holds = points.map((point) => point.at).join(' ');
    const [there, ...here] = await Promise.all([play(onDesktop(name, holds), points), ...tested.map(
      async (browser, i) => play(await inBrowser(running[i], browser, server, name, holds), points))]);
    for (const [i, seen] of here.entries()) {
      const wrong = [there.failure && `on Xvfb ${there.failure}`, seen.failure && `in the browser ${seen.failure}`,
                     ...points.map((point, p) => there.pictures[p] && seen.pictures[p]
                                   && unlike(there.pictures[p], seen.pictures[p], point.out)
                                   && `at ${point.at}: ${unlike(there.pictures[p], seen.pictures[p], point.out)}`),
                     !there.failure && !seen.failure && JSON.stringify([seen.printed, seen.status])
                     !== JSON.stringify([there.printed, there.status])
                     && `it printed ${JSON.stringify(seen.printed)} and ended with ${seen.status}, where on Xvfb `
                     + `${JSON.stringify(there.printed)} and ${there.status}`].filter(Boolean);
      console.log(`${wrong.length ? 'FAILED' : 'ok'}: ${name} in ${tested[i].name}${wrong.length ? ': ' + wrong.join('; ') : ''}`);
      failures += !!wrong.length;
      if (seen.hung) {
        await running[i].close().catch(() => {});
        running[i] = await launch(tested[i]);
      }
    }
  }
  await Promise.all(running.map((browser) => browser.close()));
  server.close();
  console.log(`${examples.size * tested.length - failures} passed, ${failures} failed`);
  process.exit(failures ? 1 : 0);
})();
