'use strict';
// Measures the web game in Chromium, Firefox and WebKit, served from 127.0.0.1: what
// the page downloads, the first frame after the page is opened, passes a
// second in play, the CPU of the browser's processes on each screen, and
// whether the frames of a round played with Space held match the Linux ones;
// and, to set against them, the CPU of a page that does nothing but copy to
// a canvas as often as the game does; and Lighthouse's scores for the page in
// Chromium, as a phone and as a desktop, with the Lighthouse that LIGHTHOUSE
// names. Prints a table. Usage: node web_bench.js GAME_FOLDER REFERENCE_FRAMES [SECONDS]
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const { execFile } = require('child_process');
const { promisify } = require('util');
const { browsers, serve, address, CHROMIUM_ARGS } = require('../tests/web/browsers.js');

const [folder, referenceFile, seconds = '20'] = process.argv.slice(2);
const reference = fs.readFileSync(referenceFile, 'utf8').trim().split('\n');
const SAMPLE_MS = Number(seconds) * 1000;
const TICKS_PER_SECOND = 100;
const RESTART_MS = 460;
const ROUND_GAP_MS = 100;
const LIGHTHOUSE_RUNS = 3;

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// CPU ticks of a process and all its descendants, from /proc.
function treeTicks(pid) {
  let ticks = 0;
  for (const entry of fs.readdirSync('/proc').filter((name) => /^\d+$/.test(name))) {
    try {
      const stat = fs.readFileSync(`/proc/${entry}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      if (isDescendant(Number(entry), pid))
        ticks += Number(fields[11]) + Number(fields[12]);
    } catch (gone) { /* ended meanwhile */ }
  }
  return ticks;
}

function isDescendant(pid, ancestor) {
  for (let at = pid; at > 1;) {
    if (at === ancestor)
      return true;
    const stat = fs.readFileSync(`/proc/${at}/stat`, 'utf8');
    at = Number(stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]);
  }
  return false;
}

async function cpuPercent(pid) {
  const start = treeTicks(pid);
  await sleep(SAMPLE_MS);
  return (treeTicks(pid) - start) / TICKS_PER_SECOND / (SAMPLE_MS / 1000) * 100;
}

// The time of every copy to the canvas, the frame it belongs to, and while
// keepRows is set, the pixels of the rectangle copied. A frame's copies are
// made in one go, as the program wakes: the first of them opens a frame,
// which closes once that go is over.
function recordPresents(page) {
  return page.evaluateOnNewDocument(() => {
    window.presents = [];
    window.keepRows = false;
    let frame = 0, open = false;
    const put = CanvasRenderingContext2D.prototype.putImageData;
    CanvasRenderingContext2D.prototype.putImageData = function (image, dx, dy, x, y, w, h) {
      const rows = [];
      for (let row = y; window.keepRows && row < y + h; ++row)
        rows.push(image.data.slice((row * image.width + x) * 4, (row * image.width + x + w) * 4));
      if (!open) {
        open = true;
        frame++;
        queueMicrotask(() => { open = false; });
      }
      window.presents.push({ time: performance.now(), frame, x, y, w, h, rows });
      return put.call(this, image, dx, dy, x, y, w, h);
    };
  });
}

// Whether the game copies to the canvas pass after pass, as in play.
async function inPlay(page) {
  const before = (await frameTimes(page)).length;
  await sleep(300);
  return (await frameTimes(page)).length - before > 5;
}

// Hashes of the whole frames that the copies after a time make, as
// reference_frames hashes them.
function framesAfter(page, time) {
  return page.evaluate((after) => {
    const canvas = new Uint8ClampedArray(640 * 480 * 4);
    const hashes = [];
    window.presents.forEach((present, i) => {
      present.rows.forEach((row, y) => canvas.set(row, ((present.y + y) * 640 + present.x) * 4));
      const next = window.presents[i + 1];
      if (present.time <= after || (next && next.frame === present.frame))
        return;
      let hash = 2166136261;
      for (let j = 0; j < canvas.length; j += 4) {
        for (let byte = 0; byte < 3; ++byte)
          hash = Math.imul(hash ^ canvas[j + byte], 16777619) >>> 0;
      }
      hashes.push(hash.toString(16).padStart(8, '0'));
    });
    window.presents = [];
    return hashes;
  }, time);
}

// When each frame began to be copied to the canvas.
function frameTimes(page) {
  return page.evaluate(() => window.presents.filter((present, i) => i === 0
                                                    || present.frame !== window.presents[i - 1].frame)
    .map((present) => present.time));
}

// A quick player's tap.
async function tap(page, key) {
  await page.keyboard.down(key);
  await sleep(40);
  await page.keyboard.up(key);
}

// The CPU while the keys of play are pressed, Space held and Enter tapped
// twice a second, as on the bare page, where they cost the browser as much.
async function playingCpu(page, browser, pid) {
  let playing = true;
  const restarts = (async () => {
    for (; playing; await sleep(RESTART_MS))
      await tap(page, browser.enter);
  })();
  const cpu = await cpuPercent(pid);
  playing = false;
  await restarts;
  return cpu;
}

async function measure(browser, address) {
  const running = await browser.launch({ headless: true });
  // WebKit's processes are this one's children, under its WebDriver.
  const pid = running.process ? running.process().pid : process.pid;
  const page = await running.newPage();
  await page.bringToFront();
  await recordPresents(page);
  await page.goto(address);
  await sleep(1000);
  const firstFrame = await page.evaluate(() => performance.getEntriesByName('first frame')[0].startTime);
  const figures = { browser: browser.name, first_frame_ms: Math.round(firstFrame) };
  figures.title_cpu = await cpuPercent(pid);

  // A round with Space held from its first pass, its frames up to the first random obstacle.
  await page.keyboard.down(' ');
  const pressed = await page.evaluate(() => { window.keepRows = true; return performance.now(); });
  await tap(page, browser.enter);
  figures.short_tap = await inPlay(page) ? 'seen' : 'lost';
  await sleep(1700);
  await page.evaluate(() => { window.keepRows = false; });
  const frames = await framesAfter(page, pressed);
  // From the round's first frame: WebKit's clock, in whole milliseconds, can
  // take a title frame copied as Enter went down for one after.
  const first = Math.max(0, frames.indexOf(reference[0]));
  let matching = 0;
  while (matching < reference.length && frames[first + matching] === reference[matching])
    ++matching;
  figures.frames_matching = `${matching} of ${reference.length}`;

  // Play: Space held jumps again and again, and Enter starts a new round
  // soon after one is lost.
  await page.evaluate(() => { window.presents = []; });
  figures.play_cpu = await playingCpu(page, browser, pid);
  // Passes a second in the rounds, not over the game-over screens between them.
  const times = await frameTimes(page);
  const passes = times.slice(1).map((time, i) => time - times[i]).filter((gap) => gap < ROUND_GAP_MS);
  figures.play_passes_per_s = passes.length / passes.reduce((sum, gap) => sum + gap, 0) * 1000;
  await page.keyboard.up(' ');

  // Standing, the runner soon meets an obstacle, and the game-over screen
  // copies nothing more.
  for (let wait = 0; wait < 30 && await inPlay(page); ++wait)
    ;
  figures.game_over_cpu = await cpuPercent(pid);

  await tap(page, browser.enter);
  await sleep(300);
  await tap(page, 'Tab');
  await sleep(500);
  figures.paused_cpu = await cpuPercent(pid);

  await page.close();
  const floor = await running.newPage();
  await floor.bringToFront();
  await floor.goto(address + 'canvas_floor.html');
  await sleep(1000);
  await floor.keyboard.down(' ');
  figures.floor_cpu = await playingCpu(floor, browser, pid);
  await running.close();
  return figures;
}

// Kilobytes gzipped of the files a page loads, served or opened from disk.
function downloadKb(files) {
  const bytes = files.reduce((sum, file) => sum + zlib.gzipSync(fs.readFileSync(path.join(folder, file)),
                                                                { level: 9 }).length, 0);
  return `${(bytes / 1000).toFixed(1)} KB`;
}

// Performance, accessibility, best practices and SEO: a phone is Lighthouse's
// default, with a slow network and processor simulated. It runs apart, as
// this process serves the page.
async function lighthouse(url, preset) {
  const report = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'lighthouse-')), 'report.json');
  const flags = [`--output-path=${report}`, `--chrome-flags=--headless ${CHROMIUM_ARGS.join(' ')}`,
                 ...(preset === 'desktop' ? ['--preset=desktop'] : [])];
  await promisify(execFile)(process.env.LIGHTHOUSE, [url, '--quiet', '--output=json', ...flags],
                            { env: { ...process.env, CHROME_PATH: '/usr/bin/chromium' } });
  const { categories } = JSON.parse(fs.readFileSync(report, 'utf8'));
  fs.rmSync(path.dirname(report), { recursive: true });
  return Object.values(categories).map((category) => Math.round(category.score * 100));
}

// Each score the median of a few audits, as Lighthouse's own advice has it:
// its simulated load varies from run to run.
async function audit(url, preset) {
  const runs = [];
  for (let run = 0; run < LIGHTHOUSE_RUNS; ++run)
    runs.push(await lighthouse(url, preset));
  const median = (scores) => scores.sort((a, b) => a - b)[Math.floor(scores.length / 2)];
  return runs[0].map((_, category) => median(runs.map((scores) => scores[category]))).join(' / ');
}

(async () => {
  const server = await serve(folder, { '/canvas_floor.html': path.join(__dirname, 'canvas_floor.html') });
  const results = [];
  for (const browser of browsers())
    results.push(await measure(browser, address(server)));
  const audits = [];
  for (const preset of ['phone', 'desktop'])
    audits.push([preset, await audit(address(server), preset)]);
  server.close();
  const percent = (figure) => `${figure.toFixed(1)} %`;
  const rows = [
    ['first frame after opening the page', (r) => `${r.first_frame_ms} ms`, '< 500 ms'],
    ['a 40 ms tap of Enter on the title', (r) => r.short_tap, 'seen'],
    ['frames of play matching Linux, pass by pass', (r) => r.frames_matching, 'all'],
    ['passes a second in play', (r) => r.play_passes_per_s.toFixed(1), '>= 49'],
    ['CPU of the browser while playing', (r) => percent(r.play_cpu), '< 10 %'],
    ['  on the title screen', (r) => percent(r.title_cpu), '< 5 %'],
    ['  paused', (r) => percent(r.paused_cpu), '< 5 %'],
    ['  on the game-over screen', (r) => percent(r.game_over_cpu), '< 5 %'],
    ['  a bare page copying to a canvas as often', (r) => percent(r.floor_cpu), ''],
    ['  play, as many times the bare page', (r) => (r.play_cpu / r.floor_cpu).toFixed(2), '<= 1.25'],
    ['download, gzipped, served', () => downloadKb(['index.html', 'quorvelin.js', 'quorvelin.wasm', 'icon.png',
                                                    'manifest.webmanifest', 'service-worker.js', 'icon-192.png',
                                                    'icon-512.png']), '< 150 KB'],
    ['  opened from disk', () => downloadKb(['index.html', 'quorvelin.js', 'quorvelin.wasm.js', 'icon.png']), ''],
  ];
  const line = (cells) => console.log(`| ${cells.map((cell, i) => cell.padEnd(i ? 12 : 44)).join(' | ')} |`);
  line(['web measure', ...results.map((r) => r.browser), 'goal']);
  console.log(`|${['-'.repeat(46), ...results.map(() => '-'.repeat(14)), '-'.repeat(14)].join('|')}|`);
  for (const [what, figure, goal] of rows)
    line([what, ...results.map(figure), goal]);
  console.log('\nLighthouse in Chromium, the median of three audits: performance / accessibility / best practices / SEO (goal: 95+ / 100 / 100 / 100)');
  for (const [preset, scores] of audits)
    console.log(`  as a ${preset}: ${scores}`);
})();
