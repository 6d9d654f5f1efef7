'use strict';
// Plays the web game in Chromium and Firefox, pressing keys through each
// browser's own input protocol and reading the canvas: the journey through
// every key on every screen with the views every platform shows, ended by Esc
// and started again; a key held across a focus loss let go; the keys the game
// takes doing nothing else in the page, and the browser's own still working;
// a start from disk. Usage: node web_test.js GAME_FOLDER VIEWS_FILE
const fs = require('fs');
const http = require('http');
const path = require('path');
const puppeteer = require('puppeteer-core');

const [folder, viewsFile] = process.argv.slice(2);
const PRINTS = Object.fromEntries(fs.readFileSync(viewsFile, 'utf8').split('\n')
  .filter((line) => line && !line.startsWith('#')).map((line) => line.split(' ')));
const ENDED = 'The game has ended. Press Enter or click to play again.';
const CHECK_MS = 120000;

const BROWSERS = [
  {
    name: 'Chromium',
    launch: {
      executablePath: '/usr/bin/chromium',
      // As root Chromium runs only without its sandbox; the rest keeps it off
      // the network, which the tests' machines do not reach.
      args: ['--no-sandbox', '--no-first-run', '--disable-background-networking', '--disable-component-update',
             '--disable-sync', '--disable-features=Translate'],
    },
    enter: 'Enter',
    // Another tab brought to the front takes the focus from the game's.
    loseFocus: async (page) => (await page.browser().newPage()).bringToFront(),
  },
  {
    name: 'Firefox',
    launch: { browser: 'firefox', executablePath: '/usr/bin/firefox-esr' },
    // WebDriver's Enter is the keypad's; its Return is the main Enter key.
    enter: '\uE006',
    // Headless Firefox gives no page the focus, so none can lose it: the
    // window is told it has.
    loseFocus: (page) => page.evaluate(() => window.dispatchEvent(new FocusEvent('blur'))),
  },
];

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function waitUntil(condition, ms) {
  for (const end = Date.now() + ms; Date.now() < end; await sleep(20)) {
    if (await condition())
      return true;
  }
  return condition();
}

// The fingerprint of the canvas's rows 220 to 289, as views.txt counts it.
function fingerprint(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById('screen');
    if (canvas.hidden)
      return 'none';
    const pixels = canvas.getContext('2d').getImageData(0, 220, 640, 70).data;
    let print = 0n;
    for (let i = 0; i < pixels.length; i += 4)
      print = BigInt.asUintN(64, print * 1000003n + BigInt(pixels[i] << 16 | pixels[i + 1] << 8 | pixels[i + 2]));
    return '0x' + print.toString(16);
  });
}

// Whether anything but black and an obstacle's green shows in rows 300 to
// 399, where only a jumping runner can be.
function runnerUp(page) {
  return page.evaluate(() => {
    const pixels = document.getElementById('screen').getContext('2d').getImageData(0, 300, 640, 100).data;
    for (let i = 0; i < pixels.length; i += 4) {
      if ((pixels[i] | pixels[i + 2]) !== 0 || (pixels[i + 1] !== 0 && pixels[i + 1] !== 255))
        return true;
    }
    return false;
  });
}

// The key leaves the game on the view, tapped again till the view shows and
// stays, each tap after a random while (see the window test's after_key).
async function afterKey(page, key, view) {
  let seen;
  for (let tap = 0; tap < 20 && seen !== PRINTS[view]; ++tap) {
    await sleep(Math.random() * 400);
    await page.keyboard.down(key);
    await sleep(120);
    await page.keyboard.up(key);
    await waitUntil(async () => await fingerprint(page) === PRINTS[view], 500);
    await sleep(300);
    seen = await fingerprint(page);
  }
  if (seen !== PRINTS[view])
    throw new Error(`key ${JSON.stringify(key)} should leave the game ${view}, but it shows ${seen}`);
}

// Each key event the game's page sees, and whether it kept it from the browser.
function recordKeys(page) {
  return page.evaluateOnNewDocument(() => {
    window.keysSeen = [];
    document.addEventListener('keydown', (event) => window.keysSeen.push(
      { code: event.code, ctrl: event.ctrlKey, kept: event.defaultPrevented }));
  });
}

async function journey(page, browser) {
  const enter = browser.enter;
  await afterKey(page, 'Shift', 'title');
  await afterKey(page, ' ', 'title');
  await afterKey(page, 'Tab', 'title');
  await afterKey(page, enter, 'playing');
  await afterKey(page, enter, 'playing');
  await afterKey(page, 'Tab', 'paused');
  for (const key of [enter, 'Escape', ' '])
    await afterKey(page, key, 'paused');
  await afterKey(page, 'Tab', 'playing');
  await afterKey(page, 'Shift', 'game_over');
  for (const key of [' ', 'Tab'])
    await afterKey(page, key, 'game_over');
  // As in the window test: Space held as the round starts.
  await page.keyboard.down(' ');
  await page.keyboard.down(enter);
  if (!await waitUntil(async () => await fingerprint(page) === PRINTS.playing && await runnerUp(page), 2000))
    throw new Error('Space held did not make the runner jump');
  await page.keyboard.up(enter);
  await page.keyboard.up(' ');
  await afterKey(page, 'Shift', 'game_over');
  await page.keyboard.down('Escape');
  if (!await waitUntil(() => page.evaluate((ended) => document.getElementById('said').textContent === ended, ENDED), 2000))
    throw new Error('Esc on the game-over screen did not end the game');
  await page.keyboard.up('Escape');
}

const checks = {
  async 'the journey, ended by Esc and started again by Enter'(page, browser) {
    await journey(page, browser);
    await page.keyboard.press(browser.enter);
    await afterKey(page, 'Shift', 'title');
  },

  async 'Tab, Space, Enter and Esc kept from the page, its shortcuts and F keys left to it'(page, browser) {
    // Keys pressed while the page loads reach no game yet.
    await afterKey(page, 'Shift', 'title');
    await page.evaluate(() => { window.keysSeen = []; });
    await afterKey(page, browser.enter, 'playing');
    await afterKey(page, 'Tab', 'paused');
    await afterKey(page, 'Tab', 'playing');
    await page.keyboard.press(' ');
    await page.keyboard.press('F2');
    await page.keyboard.down('Control');
    await page.keyboard.press('a');
    await page.keyboard.up('Control');
    await page.keyboard.press('Escape');
    const seen = await page.evaluate(() => ({ keys: window.keysSeen, focus: document.activeElement === document.body,
                                              scrolled: window.scrollX + window.scrollY }));
    const wrong = seen.keys.filter((key) => key.kept === (key.ctrl || /^F\d+$/.test(key.code)));
    if (wrong.length || !seen.focus || seen.scrolled)
      throw new Error(`keys kept or let through wrongly: ${JSON.stringify(seen)}`);
  },

  // Held, Tab pauses the game again each pass it runs; let go, it does not.
  async 'a key held when the page loses the focus let go'(page, browser) {
    await afterKey(page, browser.enter, 'playing');
    await page.keyboard.down('Tab');
    if (!await waitUntil(async () => await fingerprint(page) === PRINTS.paused, 1000)
        || !await waitUntil(async () => await fingerprint(page) === PRINTS.playing, 1000))
      throw new Error('Tab held did not pause the game again and again');
    await browser.loseFocus(page);
    await sleep(300);
    await page.bringToFront();
    await sleep(500);
    let pauses = 0;
    for (let was = await fingerprint(page), end = Date.now() + 1500; Date.now() < end; await sleep(20)) {
      const now = await fingerprint(page);
      pauses += now === PRINTS.paused && was !== PRINTS.paused;
      was = now;
    }
    await page.keyboard.up('Tab');
    if (pauses)
      throw new Error(`Tab held when the page lost the focus was not let go: the game paused ${pauses} times more`);
  },

  async 'a start from disk'(page) {
    await page.goto('file://' + path.resolve(folder, 'index.html'));
    await afterKey(page, 'Shift', 'title');
  },
};

// Serves the game's folder on a free port of 127.0.0.1.
function serve() {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.png': 'image/png' };
  const server = http.createServer((request, response) => {
    const file = path.join(folder, path.normalize(decodeURIComponent(request.url.split('?')[0])).replace(/^\/$/, '/index.html'));
    fs.readFile(file, (error, data) => {
      response.writeHead(error ? 404 : 200, { 'Content-Type': types[path.extname(file)] || 'text/plain' });
      response.end(error ? '' : data);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

(async () => {
  const server = await serve();
  const address = `http://127.0.0.1:${server.address().port}/`;
  let failures = 0;
  for (const browser of BROWSERS) {
    // A page whose program never sleeps answers nothing: calls to it give up.
    const running = await puppeteer.launch({ headless: true, protocolTimeout: CHECK_MS, ...browser.launch });
    for (const [name, check] of Object.entries(checks)) {
      const page = await running.newPage();
      const first = (await running.pages()).filter((open) => open !== page);
      await page.bringToFront();
      await recordKeys(page);
      try {
        await page.goto(address);
        await Promise.race([check(page, browser), sleep(CHECK_MS).then(() => {
          throw new Error(`no end after ${CHECK_MS / 1000} s`);
        })]);
        console.log(`ok: ${browser.name}: ${name}`);
      } catch (error) {
        failures++;
        console.log(`FAILED: ${browser.name}: ${name}: ${error.message}`);
      }
      for (const open of await running.pages()) {
        if (!first.includes(open))
          await open.close();
      }
    }
    await running.close();
  }
  server.close();
  process.exit(failures ? 1 : 0);
})();
