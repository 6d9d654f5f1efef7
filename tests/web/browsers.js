'use strict';
// The browsers the web game is tested and measured in (web_test.js beside it,
// bench/web_bench.js), and the local server both serve it from. Their npm
// packages are those of tests/web/package.json.
const fs = require('fs');
const http = require('http');
const zlib = require('zlib');
const path = require('path');
const puppeteer = require('puppeteer-core');

// As root Chromium runs only without its sandbox; the rest keeps it off the
// network, which the tests' machines do not reach.
const CHROMIUM_ARGS = ['--no-sandbox', '--no-first-run', '--disable-background-networking', '--disable-component-update',
                       '--disable-sync', '--disable-features=Translate'];

const BROWSERS = [
  {
    name: 'Chromium',
    launch: (options) => puppeteer.launch({ executablePath: '/usr/bin/chromium', ...options, args: CHROMIUM_ARGS }),
    enter: 'Enter',
    devTools: true,
  },
  {
    name: 'Firefox',
    launch: (options) => puppeteer.launch({ browser: 'firefox', executablePath: '/usr/bin/firefox-esr', ...options }),
    // WebDriver's Enter is the keypad's; its Return is the main Enter key.
    enter: '\uE006',
  },
  {
    // Safari's engine, in a window on the X server that DISPLAY names. Its
    // WebDriver can neither touch, emulate a phone nor reach into a frame: it
    // plays only the checks flagged for it.
    name: 'WebKit',
    launch: () => require('./webkit.js').launch(),
    enter: 'Enter',
    limited: true,
  },
];

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.png': 'image/png',
                '.webmanifest': 'application/manifest+json' };

// Serves the game's folder on a free port of 127.0.0.1, and each of the
// other files named by its path; under /no-wasm/ the WebAssembly is missing.
function serve(folder, others = {}) {
  const server = http.createServer((request, response) => {
    let name = path.normalize(decodeURIComponent(request.url.split('?')[0])).replace(/\/$/, '/index.html');
    const blocked = name.startsWith('/no-wasm/') && name.endsWith('.wasm');
    name = name.replace(/^\/no-wasm\//, '/');
    const file = others[name] || path.join(folder, name);
    fs.readFile(file, (error, data) => {
      const missing = error || blocked;
      // Compressed for a browser that asks, as a web host serves it.
      const gzip = !missing && /\bgzip\b/.test(request.headers['accept-encoding'] || '') && !file.endsWith('.png');
      response.writeHead(missing ? 404 : 200, { 'Content-Type': TYPES[path.extname(file)] || 'text/plain',
                                                ...(gzip ? { 'Content-Encoding': 'gzip' } : {}) });
      response.end(missing ? '' : gzip ? zlib.gzipSync(data) : data);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

const address = (server) => `http://127.0.0.1:${server.address().port}/`;

// The browsers WEB_BROWSERS names (Chromium,Firefox,...), or all of them.
const wanted = process.env.WEB_BROWSERS?.split(',');
const browsers = () => BROWSERS.filter((browser) => !wanted || wanted.includes(browser.name));

module.exports = { browsers, serve, address, CHROMIUM_ARGS };
