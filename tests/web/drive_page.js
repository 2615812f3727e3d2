#!/usr/bin/env node
'use strict';
/* Loads the demo's page in headless Chromium (SwiftShader's WebGL2) the way a
 * visitor would, and checks what can be seen from outside: the console, the
 * canvas's pictures, the answers to the mouse and the keyboard, and what the
 * page shows when the run ends.
 *
 *     node drive_page.js CASE SITE_FOLDER
 *
 * The site folder (index.html, vanteel.js, vanteel.wasm, assets/) is served
 * from a loopback port of its own; a case may hand the page another effect
 * file, or none. playwright-core comes from NODE_PATH. The startup case
 * leaves its screenshot of the nebula in the working folder (web_nebula.png).
 */

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
const CanvasSize = 1024;
// Generous: SwiftShader on two shared cores draws a frame of the real effect
// in about half a second.
const StartupMilliseconds = 60000;
const ProbeEffectFile = path.join(__dirname, 'probe_shaders.web.glsl');
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

// The site on 127.0.0.1; effectFile replaces assets/Shaders.glsl, and null
// leaves it missing (404).
function serve(site, effectFile) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://page').pathname);
    let file = path.join(site, path.normalize(name));
    if (name === '/assets/Shaders.glsl' && effectFile !== undefined)
      file = effectFile;
    else if (!file.startsWith(site + path.sep))
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
  constructor(page) {
    this.page = page;
    this.messages = [];
    page.on('console', message => this.messages.push({ type: message.type(), text: message.text() }));
    page.on('pageerror', error => this.messages.push({ type: 'pageerror', text: error.message }));
  }

  async status() {
    return this.page.textContent('#status');
  }

  async frame() {
    const match = /\(frame (\d+)\)/.exec(await this.status());
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

  async canvasOrigin() {
    const box = await this.page.locator('#canvas').boundingBox();
    expect(box.width === CanvasSize && box.height === CanvasSize, `the canvas is ${box.width}x${box.height}`);
    return box;
  }

  // The canvas as shown: { width, height, rgb }.
  async canvasPicture() {
    return decodePng(await this.page.locator('#canvas').screenshot());
  }

  consoleProblems() {
    return this.messages.filter(message => ['error', 'warning', 'pageerror'].includes(message.type));
  }

  expectCleanConsole() {
    const problems = this.consoleProblems();
    expect(problems.length === 0, `the console shows problems: ${JSON.stringify(problems)}`);
  }
}

async function withPage(site, { effectFile, query = '' }, check) {
  const server = await serve(site, effectFile);
  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ChromiumArguments });
  try {
    // Room around the canvas, for drags that leave it.
    const page = new Page(await browser.newPage({ viewport: { width: 1280, height: 1150 } }));
    await page.page.goto(`http://127.0.0.1:${server.address().port}/index.html${query}`);
    await check(page);
  } finally {
    await browser.close();
    server.close();
  }
}

function pixelAt(picture, x, y) {
  const offset = (y * picture.width + x) * 3;
  return [...picture.rgb.subarray(offset, offset + 3)];
}

const isGrey = ([red, green, blue]) => [red, green, blue].every(channel => channel >= 118 && channel <= 138);
// The nebula's particles: blue to cyan while slow, amber and white when fast.
const isParticle = ([red, green, blue]) => !isGrey([red, green, blue]) && Math.max(red, green, blue) > 140;

function share(picture, test, left = 0, top = 0, size = picture.width) {
  let count = 0;
  for (let y = top; y < top + size; y++)
    for (let x = left; x < left + size; x++)
      count += test(pixelAt(picture, x, y)) ? 1 : 0;
  return count / (size * size);
}

const isWarm = ([red]) => red > 170;

// Where a circle about the centre crosses an arm most densely.
function densestArmPoint(picture) {
  let best = null;
  for (let degrees = 0; degrees < 360; degrees += 10) {
    const x = Math.round(CanvasSize / 2 + 250 * Math.cos(degrees * Math.PI / 180));
    const y = Math.round(CanvasSize / 2 + 250 * Math.sin(degrees * Math.PI / 180));
    const density = share(picture, isParticle, x - 20, y - 20, 40);
    if (!best || density > best.density)
      best = { x, y, density };
  }
  return best;
}

function changedShare(before, after) {
  let changed = 0;
  for (let offset = 0; offset < before.rgb.length; offset += 3)
    for (let channel = 0; channel < 3; channel++)
      if (Math.abs(before.rgb[offset + channel] - after.rgb[offset + channel]) > 24) {
        ++changed;
        break;
      }
  return changed / (before.width * before.height);
}

// Escape, then no frame more: the picture stays as it was, and the page says so.
async function expectEscapeStops(page) {
  await page.page.keyboard.press('Escape');
  await page.waitForStop();
  const first = await page.canvasPicture();
  await sleep(2000);
  const second = await page.canvasPicture();
  expect(first.rgb.equals(second.rgb), 'the picture still changes after Escape');
}

/* The real effect file: the driver's version line, a running nebula, a drag
 * that pulls the particles to the pointer, Escape, and a clean console. */
async function caseStartup(page) {
  await page.waitForFrame(3);
  expect(await page.page.title() === 'Vanteel', `the page's title is ${await page.page.title()}`);
  const versions = page.messages.filter(message => message.text.startsWith('OpenGL Version: '));
  expect(versions.length === 1 && /^OpenGL Version: OpenGL ES 3\.0 \(WebGL 2\.0/.test(versions[0].text),
         `the console's version lines: ${JSON.stringify(versions)}`);
  const origin = await page.canvasOrigin();

  const screenshot = await page.page.locator('#canvas').screenshot();
  fs.writeFileSync('web_nebula.png', screenshot);
  const nebula = decodePng(screenshot);
  const particles = share(nebula, isParticle);
  expect(particles > 0.15, `only ${(particles * 100).toFixed(1)} % of the canvas shows particles`);
  expect(isGrey(pixelAt(nebula, 8, 8)) && isGrey(pixelAt(nebula, CanvasSize - 8, CanvasSize - 8)),
         'the corners do not show the grey background');

  const frame = await page.frame();
  await page.waitForFrame(frame + 3);
  expect(changedShare(nebula, await page.canvasPicture()) > 0.001, 'the nebula stands still');

  // Held on an arm, the pointer pulls the particles around it together and
  // makes them glow white and amber, colours the undisturbed nebula's slow
  // particles never take.
  const onArm = densestArmPoint(nebula);
  const warmNearPointer = picture => share(picture, isWarm, onArm.x - 20, onArm.y - 20, 40);
  expect(warmNearPointer(nebula) < 0.01, `the arm at (${onArm.x}, ${onArm.y}) glows before any input`);
  await page.page.mouse.move(origin.x + onArm.x - 30, origin.y + onArm.y - 30);
  await page.page.mouse.down();
  for (let step = 1; step <= 3; step++)
    await page.page.mouse.move(origin.x + onArm.x - 30 + step * 10, origin.y + onArm.y - 30 + step * 10);
  await page.waitForFrame(await page.frame() + 3);
  const held = warmNearPointer(await page.canvasPicture());
  expect(held > 0.2, `${(held * 100).toFixed(1)} % of the pixels around the pointer glow after a drag onto the arm`);
  await page.page.mouse.up();

  await expectEscapeStops(page);
  page.expectCleanConsole();
}

/* The probe effect file: every mouse rule, read off the canvas. */
async function caseInput(page) {
  const origin = await page.canvasOrigin();
  const mouse = page.page.mouse;
  const pointAt = (x, y) => mouse.move(origin.x + x, origin.y + y);
  const colourAt = async (x, y) => {
    const rgb = pixelAt(await page.canvasPicture(), x, y);
    if (rgb[0] > 200 && rgb[1] < 60 && rgb[2] < 60)
      return 'red';
    if (rgb[2] > 200 && rgb[0] < 60 && rgb[1] < 60)
      return 'blue';
    return isGrey(rgb) ? 'grey' : `rgb(${rgb})`;
  };
  const waitFor = (x, y, colour, what) =>
    waitUntil(`${what}: (${x}, ${y}) ${colour}`, async () => await colourAt(x, y) === colour);
  // For what must not change: three frames later it still has not.
  const still = async (x, y, colour, what) => {
    await page.waitForFrame(await page.frame() + 3);
    const found = await colourAt(x, y);
    expect(found === colour, `${what}: (${x}, ${y}) is ${found}, not ${colour}`);
  };
  const centre = CanvasSize / 2;

  await page.waitForFrame(1);
  await waitFor(centre, centre, 'blue', 'with no input mLoc is the centre and the button up');
  await pointAt(200, 300);
  await still(200, 300, 'grey', 'movement with the button up moved mLoc');

  await pointAt(300, 400);
  await mouse.down();
  await waitFor(300, 400, 'red', 'a press sets mLoc and mUp 0');
  expect(await colourAt(centre, centre) === 'grey', 'the point stayed at the centre after the press');
  await pointAt(700, 650);
  await waitFor(700, 650, 'red', 'a move with the button held moves mLoc');

  // Left of the canvas, on the page: a drag beyond the canvas.
  await pointAt(-100, 500);
  await still(700, 650, 'red', 'a move outside the canvas moved mLoc');
  await mouse.up();
  await waitFor(700, 650, 'blue', 'a release outside the canvas is delivered');

  await pointAt(400, 800);
  await mouse.down();
  await mouse.up();
  await mouse.down();
  await waitFor(400, 800, 'blue', 'the first click of a double click moves mLoc');
  await still(400, 800, 'blue', 'the second press of a double click counted as a press');
  await mouse.up();
  await mouse.down();
  await waitFor(400, 800, 'red', 'a third press starts over as a press');
  await mouse.up();
  await waitFor(400, 800, 'blue', 'the release after a third press');

  for (const key of ['q', 'Space', 'Enter'])
    await page.page.keyboard.press(key);
  await still(400, 800, 'blue', 'a key other than Escape stopped the demo');
  await expectEscapeStops(page);
  page.expectCleanConsole();
}

/* No effect file: the page shows the demo's fatal message in place of the canvas. */
async function caseMissingEffect(page) {
  const expected = "Can't find vertex shader: Shaders.Composite.VS";
  const shown = await waitUntil('a failure shown on the page', () => page.failureShown());
  expect(shown === expected, `the page shows ${JSON.stringify(shown)}, not ${JSON.stringify(expected)}`);
  expect(await page.page.$eval('#canvas', canvas => canvas.hidden), 'the canvas is still shown');
  expect(page.messages.some(message => message.type === 'error' && message.text.includes(expected)),
         'the console has no error naming the missing shader');
}

/* The query string as the command line: a frame limit, a refused value, and
 * the benchmark's figures as JSON on the console. */
async function caseOptions(site) {
  await withPage(site, { query: '?frames=3&fixed-step=16667' }, async page => {
    await page.waitForStop();
    page.expectCleanConsole();
  });
  await withPage(site, { query: '?frames=0' }, async page => {
    const shown = await waitUntil('the refusal shown on the page', () => page.failureShown());
    expect(shown.startsWith('vanteel: --frames wants a whole number of frames above 0, not "0"; usage:'),
           `the page shows ${JSON.stringify(shown)}`);
  });
  await withPage(site, { query: '?benchmark=2&warmup=0.5&particles=100000&size=320x240' }, async page => {
    await page.waitForStop();
    const figures = page.messages.map(message => {
      try {
        return JSON.parse(message.text);
      } catch {
        return null;
      }
    }).filter(figures => figures !== null && typeof figures === 'object');
    expect(figures.length === 1, `${figures.length} JSON messages on the console, not one`);
    const [json] = figures;
    expect(json.frames > 0 && json.frameTimesMilliseconds.length === json.frames,
           `the JSON counts ${json.frames} frames and lists ${json.frameTimesMilliseconds.length}`);
    const total = json.frameTimesMilliseconds.reduce((sum, milliseconds) => sum + milliseconds, 0);
    expect(total >= 2000 && total < 2000 + 2 * json.frameMilliseconds.max,
           `the measured frames take ${total} ms, not the 2 s asked for`);
    expect(json.warmupSeconds === 0.5 && json.complete && json.gl.renderer !== '',
           `warm-up ${json.warmupSeconds}, complete ${json.complete}, renderer "${json.gl.renderer}"`);
    expect(json.particles === 100000 && json.window.width === 320 && json.window.height === 240,
           `the page ran ${json.particles} particles in ${json.window.width}x${json.window.height}`);
    expect(page.messages.some(message => /^rate: [0-9.]+ frames per second, 1% low [0-9.]+/m.test(message.text)),
           'no "rate:" line on the console');
    page.expectCleanConsole();
  });
}

const Cases = {
  startup: site => withPage(site, {}, caseStartup),
  input: site => withPage(site, { effectFile: ProbeEffectFile }, caseInput),
  'missing-effect': site => withPage(site, { effectFile: null }, caseMissingEffect),
  options: caseOptions,
};

async function main([caseName, site]) {
  if (!Cases[caseName] || !site) {
    console.error(`usage: drive_page.js ${Object.keys(Cases).join('|')} SITE_FOLDER`);
    return 2;
  }
  try {
    await Cases[caseName](path.resolve(site));
  } catch (error) {
    console.error(error instanceof Failure ? `FAILED: ${error.message}` : error);
    return 1;
  }
  console.log(`${caseName}: passed`);
  return 0;
}

main(process.argv.slice(2)).then(status => { process.exitCode = status; });
