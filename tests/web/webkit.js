'use strict';
// WebKit, Safari's engine: Debian's MiniBrowser driven through WebKitWebDriver
// on the caller's X display, with as much of puppeteer's Browser and Page as
// the web test uses. WebDriver acts on one window at a time, so each page
// switches to its own first.
const { Builder, Key } = require('selenium-webdriver');
const { DriverService } = require('selenium-webdriver/remote');
const { findFreePort } = require('selenium-webdriver/net/portprober');

// Puppeteer's key names as WebDriver's. 'Enter' is WebDriver's keypad Enter,
// which WebKit, unlike Firefox, presses as the main one.
const keyOf = (name) => Key[name.toUpperCase()] || name;

async function launch() {
  const port = await findFreePort();
  const service = new DriverService('WebKitWebDriver', { port, args: [`--port=${port}`], loopback: true });
  // Asked for nothing more, the driver starts Debian's MiniBrowser with --automation.
  const driver = await new Builder().usingServer(await service.start()).forBrowser('MiniBrowser').build();
  const pages = new Map();
  let current = await driver.getWindowHandle();
  const use = async (handle) => current === handle || driver.switchTo().window(current = handle);

  function pageOf(handle) {
    const act = async (build) => { await use(handle); await build(driver.actions()).perform(); };
    // WebDriver runs no script before a page's own: these run once it has loaded.
    const onLoad = [];
    const page = {
      browser: () => browser,
      async goto(url) {
        await use(handle);
        await driver.get(url);
        for (const script of onLoad)
          await page.evaluate(script);
      },
      evaluateOnNewDocument: async (script) => onLoad.push(script),
      evaluate: (script, ...args) => use(handle).then(() =>
        driver.executeScript(`return (${script}).apply(null, arguments)`, ...args)),
      keyboard: {
        down: (key) => act((actions) => actions.keyDown(keyOf(key))),
        up: (key) => act((actions) => actions.keyUp(keyOf(key))),
        press: (key) => act((actions) => actions.keyDown(keyOf(key)).keyUp(keyOf(key))),
      },
      // As a tab brought to the front, the page hides the others: they are
      // minimised. A window switched to does not take the focus (there is no
      // window manager): one brought back from minimised does.
      async bringToFront() {
        for (const other of await driver.getAllWindowHandles()) {
          await use(other);
          if (other !== handle || !await driver.executeScript('return document.hasFocus()'))
            await driver.manage().window().minimize();
        }
        await use(handle);
        await driver.manage().window().setRect({ x: 0, y: 0 });
      },
      // WebDriver opens a window only from one still open.
      async close() {
        await use(handle);
        pages.delete(handle);
        const [next] = await driver.close();
        if (next)
          await use(next);
      },
    };
    return page;
  }
  const pageAt = (handle) => pages.get(handle) || pages.set(handle, pageOf(handle)).get(handle);

  const browser = {
    // A window, not a tab: MiniBrowser opens tabs hidden behind the one shown.
    async newPage() {
      await driver.switchTo().newWindow('window');
      return pageAt(current = await driver.getWindowHandle());
    },
    pages: async () => (await driver.getAllWindowHandles()).map(pageAt),
    async close() {
      // A session ended by its page's crash is gone, but its driver is not.
      await driver.quit().catch(() => {});
      await service.kill();
    },
  };
  return browser;
}

module.exports = { launch };
