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
const { browsers, serve, address } = require('../web/browsers.js');

const [desktop, web] = process.argv.slice(2);
// extimer's first point comes after five seconds of rests.
const POINT_MS = 15000;
const END_MS = 5000;
const LOOK_MS = 50;
const STEADY_LOOKS = 20;
const TAP_MS = 50;
const XWD_BYTES = 1 << 24;
// The 32-bit fields of xwd's header that say where its pixels are.
const XWD = { headerBytes: 0, width: 4, height: 5, rowBytes: 12, colours: 19, colourBytes: 12 };
const X_KEYS = { Enter: 'Return', Control: 'Control_L', Shift: 'Shift_L', Space: 'space', ArrowLeft: 'Left',
                 ArrowRight: 'Right', ArrowUp: 'Up', ArrowDown: 'Down', PageUp: 'Prior', PageDown: 'Next' };

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
  const points = name && (examples.get(name) || examples.set(name, []).get(name));
  if (at) points.push({ at: `${at} ${count}`, freeMs: at === 'free' && Number(count),
                        keys: rest.filter((word) => !/^\d/.test(word)),
                        out: rest.filter((word) => /^\d/.test(word)).map((word) => word.split(',').map(Number)) });
}

// A window's pixels as RGBA, from xwd's dump: a header of big-endian 32-bit
// fields, a colour map of 12-byte entries, then rows of 32-bit pixels.
function xwd(window) {
  const dump = execFileSync('xwd', ['-silent', '-id', window], { maxBuffer: XWD_BYTES });
  const field = (i) => dump.readUInt32BE(4 * i);
  const [width, height, row] = [field(XWD.width), field(XWD.height), field(XWD.rowBytes)];
  const start = field(XWD.headerBytes) + XWD.colourBytes * field(XWD.colours);
  const pixels = Buffer.alloc(4 * width * height);
  for (let i = 0; i < width * height; ++i)
    pixels.writeUInt32BE((dump.readUInt32LE(start + row * Math.floor(i / width) + 4 * (i % width)) << 8 | 0xff) >>> 0,
                         4 * i);
  return { width, height, pixels };
}

// With no xmessage on its PATH, the library prints its messages on stdout.
function onDesktop(name, holds) {
  const example = spawn(path.join(desktop, name), { env: { ...process.env, EXAMPLE_HOLDS: holds, PATH: '/none' } });
  let printed = '', status;
  example.stdout.on('data', (data) => { printed += data; });
  example.stderr.on('data', (data) => { printed += data; });
  const exit = new Promise((resolve) => example.on('exit', (code) => resolve(status = code)));
  // The window drawn in, whether a window or full screen: the one two below the root.
  const window = () => execFileSync('xwininfo', ['-root', '-tree'], { encoding: 'utf8' }).match(/^ {8}(0x\w+) /m)[1];
  return {
    printed: async () => printed.split('\n').filter(Boolean),
    status: async () => status,
    // Without a window manager the keys go where the pointer is: put in the
    // window as it is read, before each point's keys.
    picture: async () => {
      const drawn = window();
      execFileSync('xdotool', ['mousemove', '--window', drawn, '1', '1']);
      return xwd(drawn);
    },
    key: async (key, down) => execFileSync('xdotool', [down ? 'keydown' : 'keyup', X_KEYS[key] || key]),
    stop: () => {
      example.kill();
      return exit;
    },
  };
}

async function inBrowser(browser, running, server, name, holds) {
  const page = await running.newPage();
  await page.goto(`${address(server)}page.html?example=${name}&holds=${encodeURIComponent(holds)}`);
  return {
    printed: () => page.evaluate(() => window.printed),
    status: () => page.evaluate(() => window.exitStatus),
    picture: async () => {
      const { width, height, rgba } = await page.evaluate(() => {
        const canvas = window.Module.canvas;
        const bytes = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
        // In pieces, as a call takes only so many arguments.
        let text = '';
        for (let i = 0; i < bytes.length; i += 0x8000)
          text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
        return { width: canvas.width, height: canvas.height, rgba: btoa(text) };
      });
      return { width, height, pixels: Buffer.from(rgba, 'base64') };
    },
    // Puppeteer gives Chromium a letter's capital with Shift only by the key's place.
    key: (key, down) => page.keyboard[down ? 'down' : 'up']({ Enter: browser.enter, Space: ' ' }[key]
                                                            || key.replace(/^[a-z]$/, (c) => `Key${c.toUpperCase()}`)),
    stop: () => page.close(),
  };
}

// The pictures at each point, once they stay the same from one look to the
// next, what the example printed and how it ended, or where it failed.
// "+Key" holds a key down, "-Key" lets it go, "Key" taps it.
async function play(run, points) {
  const seen = { pictures: [] };
  const says = async (line) => (await run.printed()).includes(line);
  const ended = async () => await run.status() !== undefined;
  try {
    for (const point of points) {
      await sleep(point.freeMs);
      if (!point.freeMs && !(await waitUntil(async () => await says(`held ${point.at}`) || ended(), POINT_MS)
                             && await says(`held ${point.at}`)))
        throw new Error(`never held at ${point.at}: ${await ended() ? 'it ended' : 'it ran on'}, printing `
                        + JSON.stringify(await run.printed()));
      let last = !point.freeMs && await run.picture();
      for (let look = 0, now; last && look < STEADY_LOOKS && !now?.pixels.equals(last.pixels); ++look)
        [last, now] = [now || last, await sleep(LOOK_MS).then(run.picture)];
      seen.pictures.push(last);
      for (const key of point.keys) {
        if (key[0] !== '-') await run.key(key.replace(/^\+/, ''), true);
        if (key[0] !== '-' && !await waitUntil(async () => point.freeMs || await ended() || says(`let go ${point.at}`),
                                               POINT_MS))
          throw new Error(`${key} did not let it go on from ${point.at}`);
        if (key[0] !== '+') await sleep(TAP_MS).then(() => run.key(key.replace(/^-/, ''), false));
      }
    }
    if (!await waitUntil(ended, END_MS))
      throw new Error('it did not end');
    seen.printed = (await run.printed()).filter((line) => !/^(held|let go) /.test(line)).concat(await run.status());
  } catch (error) {
    // The checks throw plain errors; the browser's own mean a page that hangs.
    Object.assign(seen, { failure: error.message, hung: error.constructor !== Error });
  }
  await run.stop().catch(() => {});
  return seen;
}

// How the browser's picture differs from the window's, if it does.
function unlike(window, canvas, out) {
  if (!window || !canvas) return '';
  if (canvas.width !== window.width || canvas.height !== window.height)
    return `the canvas is ${canvas.width}x${canvas.height}, the window ${window.width}x${window.height}`;
  const kept = (x, y) => !out.some(([left, top, w, h]) => x >= left && x < left + w && y >= top && y < top + h);
  const rgb = (picture, i) => picture.pixels.readUInt32BE(4 * i) >>> 8;
  const hex = (picture, i) => rgb(picture, i).toString(16).padStart(6, '0');
  let count = 0, first = '';
  for (let i = 0; i < window.width * window.height; ++i) {
    const [x, y] = [i % window.width, Math.floor(i / window.width)];
    if (rgb(window, i) !== rgb(canvas, i) && kept(x, y) && !count++)
      first = ` (the first at ${x},${y}: #${hex(canvas, i)} where the window has #${hex(window, i)})`;
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
      async (browser, i) => play(await inBrowser(browser, running[i], server, name, holds), points))]);
    for (const [i, seen] of here.entries()) {
      const printed = [there, seen].map((run) => JSON.stringify(run.printed));
      const wrong = [there.failure && `on Xvfb ${there.failure}`, seen.failure && `in the browser ${seen.failure}`,
                     ...points.map(({ at, out }, p) => [at, unlike(there.pictures[p], seen.pictures[p], out)])
                       .map(([at, how]) => how && `at ${at}: ${how}`),
                     there.printed && seen.printed && printed[0] !== printed[1]
                       && `it printed and ended with ${printed[1]}, on Xvfb ${printed[0]}`].filter(Boolean);
      console.log([`${wrong.length ? 'FAILED' : 'ok'}: ${name} in ${tested[i].name}`, ...wrong].join('; '));
      failures += !!wrong.length;
      if (seen.hung)
        running[i] = await running[i].close().catch(() => {}).then(() => launch(tested[i]));
    }
  }
  await Promise.all(running.map((browser) => browser.close()));
  server.close();
  console.log(`${examples.size * tested.length - failures} passed, ${failures} failed`);
  process.exit(failures ? 1 : 0);
})();
