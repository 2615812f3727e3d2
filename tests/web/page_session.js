'use strict';
/* The demo's page in headless Chromium (SwiftShader's WebGL2) as a visitor
 * sees it, for the page's tests and its benchmark: the site served from a
 * loopback port, a screen profile, the console, the canvas's pictures, a
 * finger on the touch screen. playwright-core comes from NODE_PATH. */

const fs = require('fs');
const http = require('http');
const path = require('path');
const { chromium } = require('playwright-core');
const { decodePng } = require('./png_pixels.js');

const ChromiumArguments = [
  '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox',
  '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run',
  '--disable-quic',
];
// The desktop leaves room around the canvas, for drags that leave it, and
// lays it out at the demo's own 1024 pixels; the phone is a common one.
const Profiles = {
  desktop: { viewport: { width: 1280, height: 1024 }, deviceScaleFactor: 1 },
  phone: { viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, isMobile: true, hasTouch: true },
};
// A ceiling, generous: SwiftShader on two shared cores draws a frame of the
// real effect in about half a second, and slower beside other work.
const StartupMilliseconds = 120000;
const ContentTypes = {
  '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.glsl': 'text/plain',
};

class Failure extends Error {}

function expect(condition, message) {
  if (!condition)
    throw new Failure(message);
}

function sleep(milliseconds) {
  return new Promise(resolve => setTimeout(resolve, milliseconds));
}

// Resolves once the browser has run count animation frames: as many frames
// as the demo, were it still running, would have drawn meanwhile.
function animationFrames(page, count) {
  return page.evaluate(count => new Promise(resolve => {
    const next = left => (left === 0 ? resolve() : requestAnimationFrame(() => next(left - 1)));
    next(count);
  }), count);
}

async function waitUntil(what, test, milliseconds = StartupMilliseconds) {
  const deadline = Date.now() + milliseconds;
  for (;;) {
    const result = await test();
    if (result)
      return result;
    expect(Date.now() < deadline, `${what}: not within ${milliseconds / 1000} s`);
    await sleep(100);
  }
}

// The site on 127.0.0.1 under folder (a static server's sub-path, "/" for
// its root); effectFile replaces assets/Shaders.glsl, and null leaves it
// missing (404).
function serve(site, { effectFile, folder = '/' }) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://page').pathname);
    let file = name.startsWith(folder) ? path.join(site, path.normalize(name.slice(folder.length - 1))) : null;
    if (name === `${folder}assets/Shaders.glsl` && effectFile !== undefined)
      file = effectFile;
    else if (file && !file.startsWith(site + path.sep))
      file = null;
    if (!file || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': ContentTypes[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise(resolve => server.listen(0, '127.0.0.1', () => resolve(server)));
}

class Page {
  constructor(page, server, folder, profile) {
    this.page = page;
    this.server = server;
    this.folder = folder;
    this.profile = profile;
    this.messages = [];
    // Every address the page asked for, wherever it points.
    this.requested = [];
    page.on('request', request => this.requested.push(request.url()));
    page.on('console', message => this.messages.push({ type: message.type(), text: message.text() }));
    page.on('pageerror', error => this.messages.push({ type: 'pageerror', text: error.message }));
  }

  async open(query = '') {
    await this.page.goto(`http://127.0.0.1:${this.server.address().port}${this.folder}index.html${query}`);
  }

  // The same site and profile in a browser context of its own: a visitor
  // with nothing stored.
  async freshContext() {
    const browser = this.page.context().browser();
    return new Page(await browser.newPage({ ...Profiles[this.profile], acceptDownloads: true }), this.server,
                    this.folder, this.profile);
  }

  // axe-core's findings on the page as it is now: the violations, none expected.
  async accessibilityViolations() {
    await this.page.addScriptTag({ path: require.resolve('axe-core/axe.min.js') });
    const violations = await this.page.evaluate(() => window.axe.run().then(results => results.violations));
    return violations.map(violation => `${violation.id}: ${violation.nodes.map(node => node.target).join(' ')}`);
  }

  async status() {
    return this.page.textContent('#status');
  }

  async figures() {
    return this.page.textContent('#figures-text');
  }

  async frame() {
    const match = /\(frame (\d+)\)/.exec(await this.figures());
    return match ? Number(match[1]) : 0;
  }

  async failureShown() {
    return this.page.$eval('#failure', failure => failure.hidden ? null : failure.textContent);
  }

  async waitForFrame(frame) {
    await waitUntil(`frame ${frame}`, async () => {
      const failure = await this.failureShown();
      expect(failure === null, `the page shows a failure: ${failure}`);
      return await this.frame() >= frame;
    });
  }

  async waitForStop() {
    await waitUntil('the page saying that the demo has stopped', async () => /has stopped/.test(await this.status()));
  }

  // The canvas's CSS box, its drawing buffer and the window it sits in.
  async layout() {
    return this.page.$eval('#canvas', canvas => {
      const box = canvas.getBoundingClientRect();
      return { x: box.x, y: box.y, width: box.width, height: box.height, bufferWidth: canvas.width,
               bufferHeight: canvas.height, windowWidth: innerWidth, ratio: devicePixelRatio };
    });
  }

  // The canvas as shown, in device pixels, without the figures over it: as
  // a PNG, and as { width, height, rgb }.
  canvasScreenshot() {
    return this.page.locator('#canvas').screenshot({ style: '#figures { visibility: hidden; }' });
  }

  async canvasPicture() {
    return decodePng(await this.canvasScreenshot());
  }

  // Fingers on the touch screen, at CSS pixels of the page: touches lists
  // every finger down after the event, by the order they came down in; the
  // browser starts, moves or ends those that changed. A touchEnd lifts all.
  async touch(type, touches) {
    this.touchScreen ??= await this.page.context().newCDPSession(this.page);
    await this.touchScreen.send('Input.dispatchTouchEvent', {
      type, touchPoints: touches.map(([x, y], id) => ({ x, y, id })),
    });
  }

  // Presses and releases of the left button at a point of the page in CSS
  // pixels, each stamped apart milliseconds after the last. The browser
  // gives the events these time stamps however late they arrive, so a
  // double click stays one on a machine too busy to send it in time.
  async leftButton(types, [x, y], apart) {
    this.mouseInput ??= await this.page.context().newCDPSession(this.page);
    const start = Date.now() / 1000;
    for (const [index, type] of types.entries()) {
      await this.mouseInput.send('Input.dispatchMouseEvent', {
        type: type === 'down' ? 'mousePressed' : 'mouseReleased', x, y, button: 'left',
        buttons: type === 'down' ? 1 : 0, clickCount: 1, timestamp: start + index * apart / 1000,
      });
    }
  }

  consoleProblems() {
    return this.messages.filter(message => ['error', 'warning', 'pageerror'].includes(message.type));
  }

  expectCleanConsole() {
    const problems = this.consoleProblems();
    expect(problems.length === 0, `the console shows problems: ${JSON.stringify(problems)}`);
  }

  // The JSON messages of the console, parsed.
  consoleJson() {
    return this.messages.map(message => {
      try {
        return JSON.parse(message.text);
      } catch {
        return null;
      }
    }).filter(json => json !== null && typeof json === 'object');
  }
}

// One browser with one page on a profile; the check opens the page itself
// (page.open), as often as it needs.
async function withBrowser(site, { profile = 'desktop', effectFile, folder = '/' }, check) {
  const server = await serve(site, { effectFile, folder });
  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ChromiumArguments });
  try {
    const page = new Page(await browser.newPage({ ...Profiles[profile], acceptDownloads: true }), server, folder,
                          profile);
    await check(page);
  } finally {
    await browser.close();
    server.close();
  }
}

// The page opened once, at query.
function withPage(site, { query = '', ...settings }, check) {
  return withBrowser(site, settings, async page => {
    await page.open(query);
    await check(page);
  });
}

module.exports = { Failure, animationFrames, expect, sleep, waitUntil, withBrowser, withPage };
