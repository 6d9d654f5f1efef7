'use strict';
// Plays the web game in real browsers, through their own input protocols,
// reading the canvas: the journey of every platform (journey.txt, with the
// views of views.txt), ended by Esc and started again; the keys kept from the
// page; a hidden page holding the game; a host's frame; touch; the picture's
// fit; offline play; each way the page can fail; a start from disk. A page
// error fails a check. Usage: node web_test.js GAME_FOLDER TESTS_FOLDER
const fs = require('fs');
const path = require('path');
const puppeteer = require('puppeteer-core');
const { browsers, serve, address } = require('./browsers.js');

const [folder, tests] = process.argv.slice(2);
const lines = (file) => fs.readFileSync(path.join(tests, file), 'utf8').split('\n')
  .filter((line) => line && !line.startsWith('#')).map((line) => line.split(/\s+/));
const VIEWS = Object.fromEntries(lines('views.txt').map(([name, top, bottom, print]) => [name, { top, bottom, print }]));
const JOURNEY = lines('journey.txt');
const ENDED = 'The game has ended. Press Enter or click to play again.';
const NO_WASM = 'The game could not be started, as its WebAssembly could not be loaded or compiled; '
  + 'reloading the page may help.';
const STOPPED = 'The game stopped on an error; reloading the page may help.';
const CHECK_MS = 120000;
const HIDDEN_MS = 3000;
// The highest row the runner's top reaches with Space held, on every platform.
const HELD_TOP_ROW = Number(JOURNEY.find(([step]) => step === 'jump')[1]);
const STANDING_TOP_ROW = 435;

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const must = async (holds, failure) => { if (!await holds) throw new Error(failure); };

async function waitUntil(condition, ms) {
  for (const end = Date.now() + ms; Date.now() < end; await sleep(20))
    if (await condition()) return true;
  return condition();
}

// What the game shows of each view named that is not as views.txt has it,
// '' if each is; in play, the score and the ground line must also be drawn,
// which only a game that runs draws.
const unlike = (target, names) => target.evaluate((views) => {
  if (document.getElementById('game').hidden)
    return 'no game';
  const rows = (top, bottom) => document.getElementById('screen').getContext('2d')
    .getImageData(0, top, 640, bottom - top).data;
  const drawn = (top) => rows(top, top + 1).some((value, i) => i % 4 !== 3 && value);
  return views.map((view) => {
    const pixels = rows(view.top, view.bottom);
    let f = 0n;
    for (let i = 0; i < pixels.length; i += 4)
      f = BigInt.asUintN(64, f * 1000003n + BigInt(pixels[i] << 16 | pixels[i + 1] << 8 | pixels[i + 2]));
    const print = '0x' + f.toString(16);
    return print === view.print && (view.name !== 'playing' || (drawn(24) && drawn(460))) ? '' : `${view.name} ${print} `;
  }).join('');
}, names.map((name) => ({ ...VIEWS[name], name })));
const showing = (target, view, ms = 1000) => waitUntil(async () => !await unlike(target, [view]), ms);

// The key leaves the game on the views, tapped again till they show and stay,
// each tap but the first after a random while (see the window test's after_key).
async function afterKey(page, key, names, target = page) {
  let seen = 'no tap';
  for (let tap = 0; tap < 20 && seen; ++tap) {
    await sleep(tap && Math.random() * 400);
    await page.keyboard.down(key);
    await sleep(120);
    await page.keyboard.up(key);
    await waitUntil(async () => !await unlike(target, names), 500);
    await sleep(300);
    seen = await unlike(target, names);
  }
  await must(!seen, `key ${JSON.stringify(key)} should leave the game on ${names}, but it shows ${seen}`);
}

// The page's service worker has taken it, as it does soon after a first visit.
const takenByServiceWorker = (page) => must(waitUntil(() => page.evaluate(() => !!navigator.serviceWorker.controller),
                                                      5000), 'no service worker took the page');

// What the page says instead of the game, if it does.
const said = (page) => page.evaluate(() => !document.getElementById('said').hidden
                                     && document.getElementById('said').textContent);

// The page says the text, or something the pattern matches, instead of the game.
async function says(page, text) {
  const right = (now) => now && (typeof text === 'string' ? now === text : text.test(now));
  await must(waitUntil(async () => right(await said(page)), 5000), `the page should say ${text}, but says ${await said(page)}`);
}

// Gives what tells the highest row the runner has reached since, rows counted
// from the top: what is neither black, the ground's green, nor the score's
// white, where only the runner can be. Looked at in each frame the game shows:
// a busy browser paints only some, and the runner is at its top for three.
async function watchRunner(page) {
  await page.evaluate(() => {
    window.highest = 480;
    const context = document.getElementById('screen').getContext('2d');
    const show = context.putImageData;
    context.putImageData = (...frame) => {
      show.apply(context, frame);
      // Pixels as 0xAABBGGRR: not black, green or white, whatever the alpha.
      const pixels = new Uint32Array(context.getImageData(40, 250, 50, 210).data.buffer);
      const at = pixels.findIndex((p) => ![0, 0xff00, 0xffffff].includes(p & 0xffffff));
      window.highest = Math.min(window.highest, at < 0 ? 480 : 250 + Math.floor(at / 50));
    };
  });
  return () => page.evaluate(() => window.highest);
}

async function journey(page, browser) {
  const keys = { shift: 'Shift', space: ' ', tab: 'Tab', escape: 'Escape', enter: browser.enter };
  for (const [step, ...views] of JOURNEY) {
    if (step === 'jump') {
      // Space held as the round starts: the runner jumps as high as it can.
      views.shift();
      const highest = await watchRunner(page);
      await page.keyboard.down(' ');
      await page.keyboard.down(browser.enter);
      if (!await waitUntil(async () => !await unlike(page, views) && await highest() === HELD_TOP_ROW, 5000))
        throw new Error(`Space held took the runner to row ${await highest()}, not ${HELD_TOP_ROW}, as high as it can`);
      await page.keyboard.up(browser.enter);
      await page.keyboard.up(' ');
    } else if (step === 'quit') {
      await page.keyboard.down('Escape');
      await says(page, ENDED);
      await page.keyboard.up('Escape');
    } else
      await afterKey(page, keys[step], views);
  }
}

// The middle of the picture, where a tap or a click lands.
const picture = (target) => target.evaluate(() => {
  const box = document.getElementById('screen').getBoundingClientRect();
  return [box.x + box.width / 2, box.y + box.height / 2];
});

// All of the picture in sight, as wide as the largest that fits, and with two
// screen pixels or more to a game pixel, a whole number of them to each.
async function fits(target, where, width) {
  const seen = await target.evaluate(() => {
    const box = document.getElementById('screen').getBoundingClientRect();
    const pixels = box.width / 640 * window.devicePixelRatio;
    return { size: `${box.width}x${box.height}`, inSight: box.left >= 0 && box.top >= 0 && box.right <= innerWidth
             && box.bottom <= innerHeight, crisp: pixels < 2 || pixels % 1 === 0 };
  });
  console.log(`  ${where}: the picture is ${seen.size}`);
  await must(seen.inSight && seen.crisp && Math.abs(parseFloat(seen.size) - width) < 1,
             `the picture is not the largest that fits ${where}: ${JSON.stringify(seen)}`);
}

// The page's size, for a check whose subject is not the screen's orientation,
// which Puppeteer sets with it: Firefox ESR 140, bookworm's without its
// security suite, has no WebDriver BiDi command for that, and there the size
// is set alone.
async function resize(page, width, height) {
  try {
    await page.setViewport({ width, height });
  } catch (error) {
    if (!/emulation\.setScreenOrientationOverride\): unknown command/.test(error.message))
      throw error;
    console.log(`  ${await page.browser().version()} cannot set the screen's orientation: the page's size set alone`);
    await page.mainFrame().browsingContext.setViewport({ viewport: { width, height } });
  }
}

const frame = (target) => target.evaluate(() => document.getElementById('screen').toDataURL());

// A check's flags say where it plays: webkit, where WebKit's driver can play
// it; devTools, where it needs Chromium's; pageFails, where its page fails on
// purpose, so that its page errors fail nothing.
const flag = (flags, check) => Object.assign(check, flags);

const checks = {
  'the journey, ended by Esc and started again by Enter':
  flag({ webkit: true }, async (page, browser) => {
    await journey(page, browser);
    await page.keyboard.press(browser.enter);
    await afterKey(page, 'Shift', ['title']);
  }),

  async 'in a large window: a crisp picture, and Tab, Space, Enter and Esc kept from the page, its shortcuts and F keys left to it'(page, browser) {
    await resize(page, 1920, 1080);
    await sleep(300);
    await fits(page, 'a 1920x1080 window', 1280);
    await page.evaluate(() => {
      window.keysSeen = [];
      document.addEventListener('keydown', (event) => window.keysSeen.push(
        { code: event.code, ctrl: event.ctrlKey, kept: event.defaultPrevented }));
    });
    for (const key of [browser.enter, 'Tab', ' ', 'F2'])
      await page.keyboard.press(key);
    await page.keyboard.down('Control');
    await page.keyboard.press('a');
    await page.keyboard.up('Control');
    await page.keyboard.press('Escape');
    const seen = await page.evaluate(() => ({ keys: window.keysSeen, focus: document.activeElement === document.body,
                                              scrolled: window.scrollX + window.scrollY }));
    const wrong = seen.keys.filter((key) => key.kept === (key.ctrl || /^F\d+$/.test(key.code)));
    await must(!wrong.length && seen.focus && !seen.scrolled, `keys kept or let through wrongly: ${JSON.stringify(seen)}`);
  },

  // Held, Tab pauses the game again each pass it runs, a pass every 320 ms:
  // the game moves, slowly enough to reach no obstacle before the end.
  'hidden for a while: the game holds its frame and lets go of a held key, then goes on':
  flag({ webkit: true }, async (page, browser) => {
    await page.keyboard.press(browser.enter);
    await page.keyboard.down('Tab');
    const paused = () => showing(page, 'paused', 0);
    await must(await waitUntil(paused, 1000) && waitUntil(async () => !await paused(), 1000),
               'Tab held did not pause the game again and again');
    await (await page.browser().newPage()).bringToFront();
    await sleep(300);
    const hidden = await frame(page);
    await sleep(HIDDEN_MS);
    await must(await frame(page) === hidden && page.evaluate(() => document.hidden), 'the game went on while hidden');
    // Let go, Tab leaves the game as it was, paused or not, till tapped again.
    await page.bringToFront();
    await sleep(300);
    const was = await paused();
    await must(!await waitUntil(async () => await paused() !== was, 1000), 'Tab held when hidden was not let go');
    await page.keyboard.up('Tab');
    await afterKey(page, 'Tab', [was ? 'playing' : 'paused']);
  }),

  // Away from the frame, the game holds its frame, and says a click brings it back.
  async "in a host's frame of 640x400: all of the picture, and the game waits for a click"(page, browser) {
    await page.goto(page.url() + 'host.html');
    const game = () => page.frames().find((f) => f.url().endsWith('index.html'));
    await waitUntil(async () => game() && showing(game(), 'title'), 5000);
    const box = await (await page.$('iframe')).boundingBox();
    const away = () => game().evaluate(() => !document.getElementById('away').hidden
                                       && document.getElementById('away').textContent === 'Click to play');
    for (const view of ['playing', 'paused']) {
      await must(away(), 'the frame without the focus does not say "Click to play"');
      const [x, y] = await picture(game());
      await page.mouse.click(box.x + x, box.y + y);
      await afterKey(page, view === 'playing' ? browser.enter : 'Tab', [view], game());
      await page.mouse.click(box.x + box.width + 20, 10);
      await waitUntil(away, 1000);
      const held = await frame(game());
      await sleep(1000);
      await must(await frame(game()) === held, 'the game went on in a frame without the focus');
    }
    await fits(game(), 'a frame of 640x400', 640 * 400 / 480);
  },

  'touch: a tap starts, a touch held jumps as Space held does, the pause control, a tap after a lost round':
  flag({ devTools: true }, async (page) => {
    await page.emulate(puppeteer.KnownDevices['iPhone 13']);
    await page.reload();
    await afterKey(page, 'Shift', ['title']);
    await page.touchscreen.tap(...await picture(page));
    if (!await showing(page, 'playing', 5000))
      throw new Error(`a tap on the title did not start the game; the page says ${await said(page)}`);
    // The tap's jump is over before the hold begins, and the first obstacle
    // that can hit comes after it.
    await sleep(700);
    const watched = await watchRunner(page);
    await page.touchscreen.touchStart(...await picture(page));
    await sleep(900);
    await page.touchscreen.touchEnd();
    const highest = await watched();
    await must(highest === HELD_TOP_ROW,
               `a touch held took the runner to row ${highest}, not ${HELD_TOP_ROW} as Space held does`);
    await fits(page, 'an iPhone 13, upright', 390);
    // Play looks at Tab every pass, the pause screen once in 300 ms, as at a key.
    await (await page.$('#pause')).tap();
    await must(showing(page, 'paused'), 'a tap on the pause control did not pause the game');
    let tapped = 0;
    while (tapped++ < 10 && !await showing(page, 'playing', 500))
      await (await page.$('#pause')).tap();
    await must(showing(page, 'playing'), 'taps on the pause control did not go on with the game');
    await showing(page, 'game_over', 10000);
    await page.touchscreen.tap(...await picture(page));
    await must(await showing(page, 'playing') && !await page.evaluate(() => window.scrollX + window.scrollY),
               'a tap after a lost round did not start the next, or touches scrolled the page');
  }),

  // What a phone does to a page: it keeps it in the back-forward cache, drops
  // its canvas, and takes the focus away in the middle of a touch.
  "a phone's day: restored from the back-forward cache, its canvas given back blank, a touch lifted without the focus":
  flag({ devTools: true }, async (page) => {
    // A service worker that takes the page while it is cached evicts it: first a page it has taken.
    await takenByServiceWorker(page);
    await page.evaluate(() => {
      window.switches = [];
      const told = Module.onDisplaySwitch;
      Module.onDisplaySwitch = (shown) => {
        switches.push(shown);
        told(shown);
      };
    });
    await page.goto(page.url() + 'LICENSE.txt');
    await page.goBack();
    await must(waitUntil(() => page.evaluate(() => window.switches?.join() === 'false,true'), 3000),
               `back from the cache, the game was switched ${await page.evaluate(() => window.switches?.join())}`);
    await page.evaluate(() => {
      const canvas = document.getElementById('screen');
      canvas.getContext('2d').clearRect(0, 0, 640, 480);
      canvas.dispatchEvent(new Event('contextrestored'));
    });
    await must(showing(page, 'title'), 'a canvas given back blank was not shown again');
    // Enter and Space down start the game and jump; let go, the runner lands and stays.
    await page.emulate(puppeteer.KnownDevices['iPhone 13']);
    await page.reload();
    await showing(page, 'title', 5000);
    const highest = await watchRunner(page);
    await page.evaluate(() => {
      const canvas = document.getElementById('screen');
      const finger = new Touch({ identifier: 1, target: canvas });
      const touch = (type, touches) => canvas.dispatchEvent(new TouchEvent(type, { touches, cancelable: true }));
      touch('touchstart', [finger]);
      document.hasFocus = () => false;
      touch('touchend', []);
      delete document.hasFocus;
    });
    await sleep(700);
    await page.evaluate(() => { window.highest = 480; });
    await sleep(800);
    await must(await highest() === STANDING_TOP_ROW, 'a touch lifted without the focus was not let go');
  }),

  async 'offline: a page visited once plays with no network, and can be installed'(page, browser) {
    const own = await serve(folder);
    await page.goto(address(own));
    await afterKey(page, 'Shift', ['title']);
    await takenByServiceWorker(page);
    const { installabilityErrors: errors } = browser.devTools
      ? await (await page.createCDPSession()).send('Page.getInstallabilityErrors') : { installabilityErrors: [] };
    await must(!errors.length, `Chromium cannot install the game: ${JSON.stringify(errors)}`);
    own.closeAllConnections();
    await new Promise((resolve) => own.close(resolve));
    await page.reload();
    await afterKey(page, 'Shift', ['title']);
    await afterKey(page, browser.enter, ['playing']);
  },

  // A missing WebAssembly, an aborted program, and a sheet that the library's
  // reader would write outside its bitmap for (the fuzz test replays the rest).
  'each way the game can fail to load or stop, said in one sentence':
  flag({ pageFails: true }, async (page) => {
    await page.goto(page.url() + 'no-wasm/');
    await says(page, NO_WASM);
    await page.goto(page.url().replace('no-wasm/', ''));
    await afterKey(page, 'Shift', ['title']);
    await page.evaluate(() => setTimeout(() => window.abort('a test')));
    await says(page, STOPPED);
    const damaged = await page.browser().newPage();
    // Written over the one built in, before the game starts.
    await damaged.evaluateOnNewDocument((bytes) => Object.defineProperty(window, 'Module', {
      configurable: true,
      set(module) {
        const started = module.onRuntimeInitialized;
        module.onRuntimeInitialized = () => {
          FS.writeFile('quorvelin.bmp', new Uint8Array(bytes));
          started();
        };
        Object.defineProperty(window, 'Module', { value: module, writable: true });
      },
    }), [...fs.readFileSync(path.join(tests, 'sheets', 'rle8-delta-past-row.bmp'))]);
    await damaged.goto(page.url());
    await says(damaged,
               /^quorvelin: the sprite sheet quorvelin\.bmp .* has damaged pixel data.* Press Enter or click to try again\.$/);
    await damaged.close();
  }),

  async 'a start from disk'(page, browser) {
    await page.goto('file://' + path.resolve(folder, 'index.html'));
    await afterKey(page, 'Shift', ['title']);
    await afterKey(page, browser.enter, ['playing']);
  },
};
// Plays the check on a page of its own, closed after: why it failed, if it
// did, and whether the browser broke it off (the checks throw plain errors).
async function play(running, browser, server, name, check) {
  try {
    const page = await running.newPage();
    const first = (await running.pages()).filter((open) => open !== page);
    const errors = [];
    // WebKit's WebDriver tells no page errors: the page shows them instead of the game.
    page.on?.('pageerror', (error) => errors.push(error.message));
    await page.bringToFront();
    // Loaded in full first: a page left while it loads fails in Firefox.
    await page.goto(address(server));
    await showing(page, 'title', 10000);
    const late = sleep(CHECK_MS).then(() => { throw new Error(`no end after ${CHECK_MS / 1000} s`); });
    await Promise.race([check(page, browser), late]);
    if (errors.length && !check.pageFails)
      throw new Error(`the page failed: ${errors.join('; ')}`);
    for (const open of (await running.pages()).filter((open) => !first.includes(open)))
      await open.close();
    return {};
  } catch (error) {
    return { failure: error.message || error.name, broken: error.constructor !== Error };
  }
}

(async () => {
  const server = await serve(folder, { '/host.html': path.join(tests, 'web', 'host.html') });
  let failures = 0;
  for (const browser of browsers()) {
    // A page whose program never sleeps answers nothing: calls to it give up.
    const launch = () => browser.launch({ headless: true, protocolTimeout: CHECK_MS });
    let running = await launch();
    const relaunch = async () => { await running.close(); running = await launch(); };
    for (const [name, check] of Object.entries(checks)) {
      if ((check.devTools && !browser.devTools) || (browser.limited && !check.webkit))
        continue;
      let { failure, broken } = await play(running, browser, server, name, check);
      // WebKit's web process now and then crashes under load, in WebKit's own
      // code, and its WebDriver then ends the session: a check the browser
      // broke off is played once more in a new one.
      if (broken) {
        console.log(`  ${browser.name} broke the check off (${failure}): once more in a new ${browser.name}`);
        await relaunch();
        ({ failure } = await play(running, browser, server, name, check));
      }
      // A failed check may have left keys held or windows open: not for the next.
      if (failure)
        await relaunch();
      failures += !!failure;
      console.log(failure ? `FAILED: ${browser.name}: ${name}: ${failure}` : `ok: ${browser.name}: ${name}`);
    }
    await running.close();
  }
  server.close();
  process.exit(failures ? 1 : 0);
})();
