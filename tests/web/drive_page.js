#!/usr/bin/env node
'use strict';
/* Loads the demo's page in headless Chromium the way a visitor would, on a
 * desktop's screen or a phone's, and checks what can be seen from outside:
 * the console, the canvas's layout and pictures, the answers to the mouse,
 * a finger and the keyboard, and what the page shows when the run ends.
 *
 *     node drive_page.js CASE SITE_FOLDER
 *
 * The desktop case leaves its screenshot of the nebula in the working
 * folder (web_nebula.png). */

const fs = require('fs');
const os = require('os');
const path = require('path');
const { Failure, animationFrames, expect, sleep, waitUntil, withBrowser, withPage } = require('./page_session.js');
const { decodePng } = require('./png_pixels.js');

const ProbeEffectFile = path.join(__dirname, 'probe_shaders.web.glsl');
// For what must not happen: the animation frames watched for a frame the demo should not draw.
const WatchedFrames = 30;

function pixelAt(picture, x, y) {
  const offset = (y * picture.width + x) * 3;
  return [...picture.rgb.subarray(offset, offset + 3)];
}

const isGrey = ([red, green, blue]) => [red, green, blue].every(channel => channel >= 118 && channel <= 138);
// The nebula's particles: blue to cyan while slow, amber and white when fast.
const isParticle = ([red, green, blue]) => !isGrey([red, green, blue]) && Math.max(red, green, blue) > 140;
const isWarm = ([red]) => red > 170;

function share(picture, test, left = 0, top = 0, size = picture.width) {
  let count = 0;
  for (let y = top; y < top + size; y++)
    for (let x = left; x < left + size; x++)
      count += test(pixelAt(picture, x, y)) ? 1 : 0;
  return count / (size * size);
}

// Where a circle about the centre crosses an arm most densely, in the
// picture's pixels; the circle and the window looked at scale with it.
function densestArmPoint(picture) {
  const scale = picture.width / 1024;
  const half = Math.round(20 * scale);
  let best = null;
  for (let degrees = 0; degrees < 360; degrees += 10) {
    const x = Math.round(picture.width / 2 + 250 * scale * Math.cos(degrees * Math.PI / 180));
    const y = Math.round(picture.height / 2 + 250 * scale * Math.sin(degrees * Math.PI / 180));
    const density = share(picture, isParticle, x - half, y - half, 2 * half);
    if (!best || density > best.density)
      best = { x, y, half, density };
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

// Within the window's width, square, and drawn at the screen's own pixels.
async function expectSharpLayout(page, cssSize) {
  const layout = await page.layout();
  expect(layout.x >= 0 && layout.x + layout.width <= layout.windowWidth,
         `the canvas spans ${layout.x} to ${layout.x + layout.width} of a window ${layout.windowWidth} wide`);
  expect(layout.width === cssSize && layout.height === cssSize,
         `the canvas is laid out at ${layout.width}x${layout.height}, not ${cssSize} square`);
  const device = Math.round(cssSize * layout.ratio);
  expect(layout.bufferWidth === device && layout.bufferHeight === device,
         `the canvas draws ${layout.bufferWidth}x${layout.bufferHeight} pixels over ${device} square device pixels`);
  return layout;
}

// The arms cover about 15 % of the canvas in the first frames; an empty or
// a black canvas shows none.
async function expectNebula(page, what, picture) {
  const particles = share(picture ?? await page.canvasPicture(), isParticle);
  expect(particles > 0.1, `${what}: only ${(particles * 100).toFixed(1)} % of the canvas shows particles`);
}

// Escape, then no frame more: the picture stays as it was, and the page says so.
async function expectEscapeStops(page) {
  await page.page.keyboard.press('Escape');
  await page.waitForStop();
  const first = await page.canvasPicture();
  await animationFrames(page.page, WatchedFrames);
  const second = await page.canvasPicture();
  expect(first.rgb.equals(second.rgb), 'the picture still changes after Escape');
}

// Shown and hidden by F and by a tap or a click on it; shows the frame rate.
async function expectFiguresToggle(page, press) {
  const text = page.page.locator('#figures-text');
  expect(/^[0-9.]+ fps, [0-9.]+ ms a frame/.test(await text.textContent()) && await text.isVisible(),
         `the overlay shows ${JSON.stringify(await text.textContent())}`);
  await page.page.keyboard.press('f');
  expect(!await text.isVisible(), 'F left the figures shown');
  await press(page.page.locator('#figures'));
  expect(await text.isVisible(), 'the figures are still folded after a tap on them');
}

// The extension the browsers' tests use to take a context away and give it back.
function loseContext(page, call) {
  return page.page.evaluate(call => {
    window.contextControl ??= document.getElementById('canvas').getContext('webgl2').getExtension('WEBGL_lose_context');
    window.contextControl[call]();
  }, call);
}

/* The real effect file on the desktop: the driver's version line, the
 * layout, a running nebula, the figures, a drag that pulls the particles to
 * the pointer, a lost and restored context, Escape, starting again, and a
 * clean console throughout. */
async function caseDesktop(page) {
  await page.waitForFrame(3);
  expect(await page.page.title() === 'Vanteel', `the page's title is ${await page.page.title()}`);
  const versions = page.messages.filter(message => message.text.startsWith('OpenGL Version: '));
  expect(versions.length === 1 && /^OpenGL Version: OpenGL ES 3\.0 \(WebGL 2\.0/.test(versions[0].text),
         `the console's version lines: ${JSON.stringify(versions)}`);
  const screenshot = await page.canvasScreenshot();
  fs.writeFileSync('web_nebula.png', screenshot);
  const nebula = decodePng(screenshot);
  await expectNebula(page, 'the first frames', nebula);
  expect(isGrey(pixelAt(nebula, 8, 8)) && isGrey(pixelAt(nebula, nebula.width - 8, nebula.height - 8)),
         'the corners do not show the grey background');
  await page.waitForFrame(await page.frame() + 3);
  expect(changedShare(nebula, await page.canvasPicture()) > 0.001, 'the nebula stands still');
  const origin = await expectSharpLayout(page, 1024);
  await expectFiguresToggle(page, figures => figures.click());

  // Held on an arm, the pointer pulls the particles around it together and
  // makes them glow white and amber, colours the undisturbed nebula's slow
  // particles never take.
  const onArm = densestArmPoint(nebula);
  const warmNearPointer = picture => share(picture, isWarm, onArm.x - onArm.half, onArm.y - onArm.half, 2 * onArm.half);
  expect(warmNearPointer(nebula) < 0.01, `the arm at (${onArm.x}, ${onArm.y}) glows before any input`);
  await page.page.mouse.move(origin.x + onArm.x - 30, origin.y + onArm.y - 30);
  await page.page.mouse.down();
  for (let step = 1; step <= 3; step++)
    await page.page.mouse.move(origin.x + onArm.x - 30 + step * 10, origin.y + onArm.y - 30 + step * 10);
  await page.waitForFrame(await page.frame() + 3);
  const held = warmNearPointer(await page.canvasPicture());
  expect(held > 0.2, `${(held * 100).toFixed(1)} % of the pixels around the pointer glow after a drag onto the arm`);
  await page.page.mouse.up();

  // No frame while the context is away, the nebula again once it is back.
  await loseContext(page, 'loseContext');
  await waitUntil('the page saying the context is away', async () => /context away/.test(await page.status()));
  const frameWhenLost = await page.frame();
  await animationFrames(page.page, WatchedFrames);
  expect(await page.frame() === frameWhenLost, `frames went on without a context: ${await page.frame()}`);
  await loseContext(page, 'restoreContext');
  await page.waitForFrame(frameWhenLost + 3);
  await expectNebula(page, 'three frames after the context came back');
  expect(await page.status() === '', `the page still says: ${await page.status()}`);

  // The full-screen control: the stage takes the screen and the demo goes on.
  await page.page.click('#full-screen');
  await waitUntil('the stage in full screen',
                  () => page.page.evaluate(() => document.fullscreenElement?.id === 'stage'));
  await page.waitForFrame(await page.frame() + 3);
  await expectNebula(page, 'three frames into full screen');
  await page.page.evaluate(() => document.exitFullscreen());

  await expectEscapeStops(page);
  await page.page.click('#start-again');
  expect(!/has stopped/.test(await page.status()), 'the page still says that the demo has stopped');
  await page.waitForFrame(3);
  await expectNebula(page, 'the first frames after starting again');
  page.expectCleanConsole();
}

/* The probe effect file: every mouse rule, read off the canvas. */
async function caseInput(page) {
  const origin = await page.layout();
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
  const centre = origin.width / 2;

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
  await page.leftButton(['down', 'up', 'down'], [origin.x + 400, origin.y + 800], 50);
  await waitFor(400, 800, 'blue', 'the first click of a double click moves mLoc');
  await still(400, 800, 'blue', 'the second press of a double click counted as a press');
  await mouse.up();
  await mouse.down();
  await waitFor(400, 800, 'red', 'a third press starts over as a press');
  await mouse.up();
  await waitFor(400, 800, 'blue', 'the release after a third press');

  // The right button does nothing of its own, and the left one pressed
  // while it is held is a press all the same.
  await pointAt(500, 200);
  await mouse.down({ button: 'right' });
  await still(400, 800, 'blue', 'the right button pressed the left');
  await mouse.down();
  await waitFor(500, 200, 'red', 'the left button pressed while the right one is held');
  await mouse.up();
  await waitFor(500, 200, 'blue', 'the left button released while the right one is held');
  await mouse.up({ button: 'right' });

  for (const key of ['q', 'Space', 'Enter'])
    await page.page.keyboard.press(key);
  await still(500, 200, 'blue', 'a key other than Escape stopped the demo');
  await expectEscapeStops(page);
  page.expectCleanConsole();
}

/* The probe effect file on a phone, its site in a folder of the server: the
 * layout at the screen's pixels, a finger that holds as the left button does
 * while a second one changes nothing, a page that stays put under a drag,
 * and the figures folded by a tap. */
async function casePhoneInput(page) {
  await page.waitForFrame(1);
  const layout = await expectSharpLayout(page, 390);
  await expectFiguresToggle(page, figures => figures.tap());
  // Room to scroll, so that a drag the page let through would move it.
  await page.page.addStyleTag({ content: 'body { padding-bottom: 3000px; }' });

  const colourAt = async ([x, y]) => {
    const rgb = pixelAt(await page.canvasPicture(), Math.round(x * layout.ratio), Math.round(y * layout.ratio));
    if (rgb[0] > 200 && rgb[1] < 60 && rgb[2] < 60)
      return 'red';
    if (rgb[2] > 200 && rgb[0] < 60 && rgb[1] < 60)
      return 'blue';
    return isGrey(rgb) ? 'grey' : `rgb(${rgb})`;
  };
  const waitFor = (point, colour, what) =>
    waitUntil(`${what}: (${point}) ${colour}`, async () => await colourAt(point) === colour);
  const still = async (point, colour, what) => {
    await page.waitForFrame(await page.frame() + 3);
    const found = await colourAt(point);
    expect(found === colour, `${what}: (${point}) is ${found}, not ${colour}`);
  };
  const onPage = ([x, y]) => [layout.x + x, layout.y + y];

  const first = [100, 300], second = [280, 120], dragged = [150, 150];
  await page.touch('touchStart', [onPage(first)]);
  await waitFor(first, 'red', 'a finger down sets mLoc and mUp 0');
  await page.touch('touchStart', [onPage(first), onPage(second)]);
  await page.touch('touchMove', [onPage(first), onPage([300, 200])]);
  await still(first, 'red', 'a second finger took the hold');
  // A finger missing from the list has let go.
  await page.touch('touchMove', [onPage(first)]);
  await still(first, 'red', 'the second finger let go of the first one\'s hold');
  // Upwards, as a finger scrolls a page.
  for (let step = 1; step <= 3; step++)
    await page.touch('touchMove', [onPage([first[0] + step * 50 / 3, first[1] - step * 50])]);
  await waitFor(dragged, 'red', 'the finger dragged mLoc');
  await page.touch('touchEnd', []);
  await waitFor(dragged, 'blue', 'the finger let go');
  const scrolled = await page.page.evaluate(() => [scrollY, visualViewport.scale]);
  expect(scrolled[0] === 0 && scrolled[1] === 1, `the drag scrolled the page to ${scrolled[0]} at zoom ${scrolled[1]}`);
  page.expectCleanConsole();
}

/* The real effect file on a phone: the same fixed-step run twice, the
 * second started again from the page and with a finger held on an arm,
 * which pulls the particles there together and makes them glow. */
async function casePhone(site) {
  await withPage(site, { profile: 'phone', query: '?fixed-step=16667&frames=24' }, async page => {
    await page.waitForStop();
    const untouched = await page.canvasPicture();
    const onArm = densestArmPoint(untouched);
    const layout = await page.layout();
    const warmNearFinger = picture => share(picture, isWarm, onArm.x - onArm.half, onArm.y - onArm.half, 2 * onArm.half);
    expect(warmNearFinger(untouched) < 0.01, `the arm at (${onArm.x}, ${onArm.y}) glows with no finger on it`);

    await page.page.tap('#start-again');
    await page.waitForFrame(1);
    const finger = [layout.x + onArm.x / layout.ratio, layout.y + onArm.y / layout.ratio];
    await page.touch('touchStart', [[finger[0] - 10, finger[1] - 10]]);
    await page.touch('touchMove', [finger]);
    await page.waitForStop();
    const touched = await page.canvasPicture();
    await page.touch('touchEnd', []);
    const held = warmNearFinger(touched);
    expect(held > 0.2, `${(held * 100).toFixed(1)} % of the pixels around the finger glow`);
    const changed = changedShare(untouched, touched);
    expect(changed > 0.01, `the finger changed only ${(changed * 100).toFixed(2)} % of the picture`);
    page.expectCleanConsole();
  });
}

/* No effect file: the page shows the demo's fatal message in place of the canvas. */
async function caseMissingEffect(page) {
  const expected = "Can't find vertex shader: Shaders.Composite.VS";
  const shown = await waitUntil('a failure shown on the page', () => page.failureShown());
  expect(shown === expected, `the page shows ${JSON.stringify(shown)}, not ${JSON.stringify(expected)}`);
  expect(await page.page.$eval('#stage', stage => stage.hidden), 'the canvas is still shown');
  expect(page.messages.some(message => message.type === 'error' && message.text.includes(expected)),
         'the console has no error naming the missing shader');
  expect(await page.page.$eval('#start-again', button => button.hidden), 'a failed run offers to start again');
}

// The effect editor's helpers. The colour edit tints the whole picture
// green, the grey background too; the broken line is no GLSL at all.
const ColourEdit = 'FragColor.g += 0.3;';
const BrokenLine = 'this is not GLSL';
// The line of the shipped effect file (the site's) that the edits go in
// front of: the end of Composite.FS's main.
function compositeEnd(site) {
  const lines = fs.readFileSync(path.join(site, 'assets', 'Shaders.glsl'), 'utf8').split('\n');
  const colour = lines.findIndex(line => line.includes('FragColor = vec4(particles.rgb'));
  expect(colour > 0 && lines[colour + 1] === '}', 'the effect file\'s Composite.FS has changed: update the test');
  return colour + 2;
}

const isTinted = ([red, green, blue]) => green > red + 40 && green > blue + 40;
async function cornerIs(page, test) {
  return test(pixelAt(await page.canvasPicture(), 8, 8));
}

const editorScriptFetches = page => page.requested.filter(address => address.endsWith('/editor.js')).length;
const effectFileFetches = page => page.requested.filter(address => address.endsWith('/assets/Shaders.glsl')).length;

async function expectNoViolations(page, when) {
  const violations = await page.accessibilityViolations();
  expect(violations.length === 0, `axe finds, ${when}: ${violations.join('; ')}`);
}

// Tab from the page's start to a control, then Enter: the keyboard alone reaches it.
async function pressByKeyboard(page, id) {
  await page.page.evaluate(() => document.activeElement?.blur());
  for (let presses = 0; presses < 12; presses++) {
    await page.page.keyboard.press('Tab');
    if (await page.page.evaluate(() => document.activeElement?.id) === id) {
      await page.page.keyboard.press('Enter');
      return;
    }
  }
  throw new Failure(`Tab never reaches #${id}`);
}

async function openEditor(page) {
  await pressByKeyboard(page, 'edit');
  await waitUntil('the editor open', () => page.page.isVisible('.cm-content'));
}

// Types text as a line of its own at the start of a line of the effect file.
async function typeAtLine(page, line, text) {
  await page.page.$eval('.cm-content', (content, line) => {
    const view = editor.view; // the page's own
    view.focus();
    view.dispatch({ selection: { anchor: view.state.doc.line(line).from }, scrollIntoView: true });
  }, line);
  await page.page.keyboard.type(`${text}\n`);
}

async function editorText(page) {
  return page.page.$eval('.cm-content', () => editor.text());
}

/* The effect editor on the desktop, one visitor from first visit to link:
 * the page loads none of the editor until it is opened; a colour typed into
 * Composite.FS changes the picture, and the edit outlives a reload, comes
 * back kept but not run when it never finished applying, downloads and goes
 * into a link that a fresh browser runs; a damaged link runs the shipped
 * effect. axe finds nothing with the editor closed or open. */
async function caseEditor(site) {
  const line = compositeEnd(site);
  await withPage(site, {}, async page => {
    await page.waitForFrame(3);
    expect(await page.page.$eval('h1', heading => heading.textContent) === 'Vanteel', 'no level-one heading');
    expect(await page.page.isHidden('#effect-notice'), 'a first visit shows a notice about its effect');
    expect(editorScriptFetches(page) === 0, 'the page fetched editor.js before the editor was opened');
    await expectNoViolations(page, 'the editor closed');

    await openEditor(page);
    expect(editorScriptFetches(page) === 1, `editor.js fetched ${editorScriptFetches(page)} times`);
    expect(await cornerIs(page, isGrey), 'the picture is tinted before any edit');
    await typeAtLine(page, line, ColourEdit);
    await waitUntil('the tinted picture', () => cornerIs(page, isTinted));
    expect(await page.page.textContent('#editor-state') === 'Applied: every section built.',
           `the editor says ${await page.page.textContent('#editor-state')}`);
    await expectNoViolations(page, 'the editor open');

    const [download] = await Promise.all([page.page.waitForEvent('download'), pressByKeyboard(page, 'download')]);
    const downloaded = fs.readFileSync(await download.path(), 'utf8');
    expect(download.suggestedFilename() === 'Shaders.glsl' && downloaded === await editorText(page),
           `the download ${download.suggestedFilename()} is not the edited text`);
    expect(downloaded.split('\n')[line - 1] === ColourEdit, 'the download lacks the edit');

    await page.page.click('#copy-link');
    const length = await waitUntil('the link\'s length', () => page.page.textContent('#link-length'));
    const link = page.page.url();
    expect(/#effect=[A-Za-z0-9_-]+$/.test(link) && length.includes(`${link.length.toLocaleString('en')} characters`),
           `the address ${link.length} long, the page says ${JSON.stringify(length)}`);

    // A reload runs the edit kept here, and says so.
    await page.page.goto(link.replace(/#.*/, ''));
    await waitUntil('the kept edit running', () => cornerIs(page, isTinted));
    expect(/last edit/.test(await page.page.textContent('#effect-notice')), 'the reload does not say it runs the last edit');

    // One that never finished applying comes back kept, not run, until asked.
    await page.page.evaluate(() => Object.keys(localStorage).filter(key => key.startsWith('vanteel.effect:'))
      .forEach(key => localStorage.setItem(key.replace('effect:', 'effect-pending:'), '1')));
    await page.page.reload();
    await page.waitForFrame(3);
    expect(await cornerIs(page, isGrey), 'an edit that never finished ran again');
    expect(/never finished/.test(await page.page.textContent('#effect-notice')), 'the page does not say the edit never finished');
    await openEditor(page);
    expect((await editorText(page)).split('\n')[line - 1] === ColourEdit, 'the unfinished edit is not in the editor');
    await pressByKeyboard(page, 'apply-kept');
    await waitUntil('the kept edit applied', () => cornerIs(page, isTinted));

    await pressByKeyboard(page, 'use-shipped');
    await waitUntil('the shipped effect back', () => cornerIs(page, isGrey));
    expect(!(await editorText(page)).includes(ColourEdit), 'the editor still holds the edit');
    const kept = await page.page.evaluate(() => Object.keys(localStorage).filter(key => key.startsWith('vanteel.effect')));
    expect(kept.length === 0, `the shipped effect is kept as an edit: ${kept}`);
    page.expectCleanConsole();

    // The link, in a browser that has nothing stored: the link's effect runs
    // and no effect file is fetched.
    // One demo at a time: SwiftShader shares the cores between them.
    const visitor = await page.freshContext();
    await page.page.close();
    await visitor.page.goto(link);
    await visitor.waitForFrame(3);
    expect(await cornerIs(visitor, isTinted), 'the link\'s effect does not run');
    expect(/from a link/.test(await visitor.page.textContent('#effect-notice')), 'the page does not say the effect came from a link');
    expect(effectFileFetches(visitor) === 0, 'a link\'s page fetched the effect file');
    visitor.expectCleanConsole();

    const damaged = await visitor.freshContext();
    await visitor.page.close();
    await damaged.page.goto(link.slice(0, -40));
    await damaged.waitForFrame(3);
    expect(await cornerIs(damaged, isGrey), 'a damaged link did not run the shipped effect');
    expect(/link's effect is damaged/.test(await damaged.page.textContent('#effect-notice')), 'no word of the damaged link');
    damaged.expectCleanConsole();
  });
}

/* A line that is no GLSL, typed after a colour edit: its errors are named by
 * its line of the effect file, in the list and in the editor, while the last
 * good (tinted) picture goes on. */
async function caseEditorLines(site) {
  const line = compositeEnd(site);
  await withPage(site, {}, async page => {
    await page.waitForFrame(1);
    await openEditor(page);
    await typeAtLine(page, line, ColourEdit);
    await waitUntil('the tinted picture', () => cornerIs(page, isTinted));
    // A broken line: its error at its line; the tinted picture goes on.
    await typeAtLine(page, line + 1, BrokenLine);
    const problem = await waitUntil('the broken line\'s problem',
                                    () => page.page.$$eval('#effect-problems li', items => (items.length ? items.map(item => item.textContent) : null)));
    expect(problem.every(text => new RegExp(`^Shaders\\.glsl:${line + 1}: .+ \\(Composite\\.FS\\)$`).test(text)),
           `the problems listed for a broken line ${line + 1}: ${JSON.stringify(problem)}`);
    const marked = await page.page.$$eval('.cm-line:has(.cm-lintRange-error)', lines => lines.map(line => line.textContent));
    expect(JSON.stringify(marked) === JSON.stringify([BrokenLine]), `the lines marked in the editor: ${JSON.stringify(marked)}`);
    expect(await page.page.locator('.cm-gutter-lint .cm-lint-marker-error').count() === 1, 'no error mark in the gutter');
    expect(/problems?: the last programs that built keep running/.test(await page.page.textContent('#editor-state')),
           `the editor says ${await page.page.textContent('#editor-state')}`);
    const frame = await page.frame();
    await page.waitForFrame(frame + 3);
    expect(await cornerIs(page, isTinted), 'the last good picture is gone');

    // A missing section: listed without a line, and marked nowhere in the text.
    await page.page.evaluate(() => {
      const view = editor.view;
      const header = view.state.doc.toString().indexOf('-- Composite.FS');
      view.dispatch({ selection: { anchor: header, head: header + '-- Composite.FS'.length } });
    });
    await page.page.keyboard.type('-- Composite.Gone');
    const missing = await waitUntil('the missing section\'s problem', () => page.page.$$eval('#effect-problems li',
      items => (items.some(item => !/:\d+: /.test(item.textContent)) ? items.map(item => item.textContent) : null)));
    expect(missing.length === 1 && /^Shaders\.glsl: .+ \(Composite\.FS\)$/.test(missing[0]),
           `the problems listed for a missing section: ${JSON.stringify(missing)}`);
    expect(await page.page.locator('.cm-lintRange-error').count() === 0, 'a missing section is marked in the text');
    expect(await cornerIs(page, isTinted), 'the last good picture is gone');
    page.expectCleanConsole();
  });
}

/* The editor on a phone, over the probe effect file: a tap on Edit opens it
 * below the picture, which stays in view, in text large enough to read; a
 * finger scrolling the text scrolls the text only, never the page nor the
 * particles; a second tap closes it and gives the picture its size back. */
async function casePhoneEditor(page) {
  await page.waitForFrame(1);
  const probeColour = async () => {
    const picture = await page.canvasPicture();
    return pixelAt(picture, picture.width / 2, picture.height / 2);
  };
  const isBlue = ([red, green, blue]) => blue > 200 && red < 60 && green < 60;
  await page.page.tap('#edit');
  await waitUntil('the editor open', () => page.page.isVisible('.cm-content'));
  const fontSize = await page.page.$eval('.cm-content', content => parseFloat(getComputedStyle(content).fontSize));
  expect(fontSize >= 14, `the editor's text is ${fontSize} CSS pixels high`);
  const [canvas, panel] = await page.page.$$eval('#canvas, #editor-panel', boxes => boxes.map(box => box.getBoundingClientRect().toJSON()));
  expect(canvas.y >= 0 && canvas.y + canvas.height <= panel.y + 1 && panel.y + panel.height <= 844 + 1,
         `the canvas spans ${canvas.y} to ${canvas.y + canvas.height}, the editor ${panel.y} to ${panel.y + panel.height}`);

  const scroller = await page.page.$eval('.cm-scroller', scroller => scroller.getBoundingClientRect().toJSON());
  const x = scroller.x + scroller.width / 2;
  await page.touch('touchStart', [[x, scroller.y + scroller.height - 20]]);
  for (let step = 1; step <= 5; step++)
    await page.touch('touchMove', [[x, scroller.y + scroller.height - 20 - step * 50]]);
  await page.touch('touchEnd', []);
  await waitUntil('the editor scrolled by the finger', () => page.page.$eval('.cm-scroller', scroller => scroller.scrollTop > 100));
  await page.waitForFrame(await page.frame() + 3);
  const colour = await probeColour();
  expect(isBlue(colour), `the probe shows ${colour} at the centre after a finger scrolled the editor, not the idle blue`);
  const scrolled = await page.page.evaluate(() => scrollY);
  expect(scrolled === 0, `scrolling the editor scrolled the page to ${scrolled}`);

  await page.page.tap('#edit');
  expect(await page.page.isHidden('#editor-panel'), 'a second tap left the editor open');
  await waitUntil('the canvas at its full width again', async () => (await page.layout()).width === 390);
  page.expectCleanConsole();
}

/* The site's effect file with a line that is not GLSL in Composite.FS: the
 * compiler's log on the page names that line of the effect file, as the
 * store's "#line" must make GLSL ES 3.00 count. */
async function caseEffectLines(site) {
  const lines = fs.readFileSync(path.join(site, 'assets', 'Shaders.glsl'), 'latin1').split('\n');
  const header = lines.findIndex(line => /^--\s*Composite\.FS\b/.test(line));
  expect(header >= 0, 'the site\'s effect file has no Composite.FS');
  lines.splice(header + 2, 0, 'this is not GLSL;');
  const brokenLine = header + 3;
  const effectFile = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'vanteel-lines-')), 'Shaders.glsl');
  fs.writeFileSync(effectFile, lines.join('\n'), 'latin1');
  try {
    await withPage(site, { effectFile }, async page => {
      const shown = await waitUntil('a failure shown on the page', () => page.failureShown());
      const named = [...shown.matchAll(/ERROR: 0:(\d+):/g)].map(match => Number(match[1]));
      expect(named.length > 0 && named.every(line => line === brokenLine),
             `the page shows ${JSON.stringify(shown)}, not errors on line ${brokenLine} of the effect file`);
    });
  } finally {
    fs.rmSync(path.dirname(effectFile), { recursive: true });
  }
}

// The benchmark's JSON, once on the console, and the same on the page to download.
async function benchmarkJson(page) {
  const figures = page.consoleJson();
  expect(figures.length === 1, `${figures.length} JSON messages on the console, not one`);
  const downloaded = await page.page.$eval('#benchmark-download', link => fetch(link.href).then(file => file.text()));
  expect(JSON.stringify(JSON.parse(downloaded)) === JSON.stringify(figures[0]),
         'the page\'s download differs from the console\'s JSON');
  return figures[0];
}

/* The query string as the command line: a frame limit at two fixed steps,
 * a refused value, an effect file that is not the site's, and the
 * benchmark's figures on the page, of the demo and of the floor. */
async function caseOptions(site) {
  // Frames 40 s apart, as after a stall, end every life inside each step:
  // the particles must still show, not all be reborn at once and faded out.
  const shown = {};
  for (const step of [16667, 40000000]) {
    await withPage(site, { query: `?frames=3&fixed-step=${step}` }, async page => {
      await page.waitForStop();
      shown[step] = share(await page.canvasPicture(), isParticle);
      page.expectCleanConsole();
    });
  }
  expect(shown[40000000] > shown[16667] / 3,
         `frames 40 s apart show particles on ${(shown[40000000] * 100).toFixed(1)} % of the canvas, ` +
         `frames 1/60 s apart on ${(shown[16667] * 100).toFixed(1)} %`);
  await withBrowser(site, {}, async page => {
    await page.open('?frames=0');
    const shown = await waitUntil('the refusal shown on the page', () => page.failureShown());
    expect(shown.startsWith('vanteel: --frames wants a whole number of frames above 0, not "0"; usage:'),
           `the page shows ${JSON.stringify(shown)}`);
    // Only the names of the site's own effect files; an address, a path or
    // another spelling is refused before the demo is even loaded.
    for (const asked of ['http://127.0.0.1:9/Shaders.glsl', '//elsewhere.example/Shaders.glsl', '../assets/Shaders.glsl',
                         'assets/Shaders.glsl', 'Floor', 'floor/', '']) {
      page.requested.length = 0;
      await page.open(`?assets=${encodeURIComponent(asked)}`);
      const refusal = await waitUntil(`the refusal of ?assets=${asked}`, () => page.failureShown());
      expect(refusal === `?assets= wants one of the effect files this site ships (demo, floor), not ${JSON.stringify(asked)}.`,
             `?assets=${asked}: the page shows ${JSON.stringify(refusal)}`);
      await sleep(500);
      const fetched = page.requested.filter(address => !/^http:\/\/127\.0\.0\.1:\d+\/(index\.html\?|vanteel\.js$)/.test(address));
      expect(fetched.length === 0, `?assets=${asked} fetched ${JSON.stringify(fetched)}`);
    }
  });
  let demoHash;
  await withPage(site, { query: '?benchmark=2&warmup=0.5&particles=100000&size=320x240' }, async page => {
    await page.waitForStop();
    const json = await benchmarkJson(page);
    expect(json.frames > 0 && json.frameTimesMilliseconds.length === json.frames,
           `the JSON counts ${json.frames} frames and lists ${json.frameTimesMilliseconds.length}`);
    const total = json.frameTimesMilliseconds.reduce((sum, milliseconds) => sum + milliseconds, 0);
    expect(total >= 2000 && total < 2000 + 2 * json.frameMilliseconds.max,
           `the measured frames take ${total} ms, not the 2 s asked for`);
    expect(json.warmupSeconds === 0.5 && json.complete && json.gl.renderer !== '',
           `warm-up ${json.warmupSeconds}, complete ${json.complete}, renderer "${json.gl.renderer}"`);
    expect(json.particles === 100000 && json.window.width === 320 && json.window.height === 240,
           `the page ran ${json.particles} particles in ${json.window.width}x${json.window.height}`);
    // A size given is the drawing buffer's, laid out in its shape.
    const layout = await page.layout();
    expect(layout.bufferWidth === 320 && layout.bufferHeight === 240 && Math.abs(layout.width / layout.height - 4 / 3) < 0.01,
           `?size=320x240 draws ${layout.bufferWidth}x${layout.bufferHeight} over ${layout.width}x${layout.height}`);
    const rate = page.messages.find(message => /^rate: [0-9.]+ frames per second, 1% low [0-9.]+/m.test(message.text));
    expect(rate, 'no "rate:" line on the console');
    const shown = await page.page.textContent('#benchmark-figures');
    expect(shown.includes(rate.text.trimEnd()) && await page.page.isVisible('#benchmark'),
           `the page shows ${JSON.stringify(shown)}, not the console's "${rate.text}"`);
    // A page has no clock of its CPU time: no figure, never a zero.
    expect(json.cpuMillisecondsPerFrame === null && json.frameCpuMilliseconds === null &&
           /^rate: .*; CPU time not measured$/m.test(shown),
           `CPU ${json.cpuMillisecondsPerFrame} ms per frame in the JSON; the page shows ${JSON.stringify(shown)}`);
    // The GPU by the name the browser gives of it, not WebGL's stand-in.
    const system = await page.page.evaluate(() => `${navigator.platform}; ${navigator.userAgent}`);
    expect(json.operatingSystem === system, `the report's system "${json.operatingSystem}", the browser's "${system}"`);
    const [vendor, renderer] = await page.page.evaluate(() => {
      const gl = document.createElement('canvas').getContext('webgl2');
      const names = gl.getExtension('WEBGL_debug_renderer_info');
      return names ? [gl.getParameter(names.UNMASKED_VENDOR_WEBGL), gl.getParameter(names.UNMASKED_RENDERER_WEBGL)] : [];
    });
    expect(renderer && json.gl.vendor === vendor && json.gl.renderer === renderer &&
           shown.includes(`GL: ${vendor}, ${renderer}; OpenGL`) && json.gl.version.includes('WebGL 2.0'),
           `the report names "${json.gl.vendor}", "${json.gl.renderer}", version "${json.gl.version}"; ` +
           `the browser "${vendor}", "${renderer}"`);
    expect(await page.page.isVisible('#start-again'), 'the page offers no way to start again');
    demoHash = json.effectFile.hash;
    page.expectCleanConsole();
  });
  await withPage(site, { query: '?assets=floor&benchmark=1&warmup=0' }, async page => {
    await page.waitForStop();
    const json = await benchmarkJson(page);
    expect(json.complete && json.effectFile.hash !== demoHash, `the floor's run measured the demo's effect file`);
    page.expectCleanConsole();
  });
}

const Cases = {
  desktop: site => withPage(site, {}, caseDesktop),
  input: site => withPage(site, { effectFile: ProbeEffectFile }, caseInput),
  'phone-input': site => withPage(site, { profile: 'phone', effectFile: ProbeEffectFile, folder: '/demos/vanteel/' },
                                  casePhoneInput),
  phone: casePhone,
  'missing-effect': site => withPage(site, { effectFile: null }, caseMissingEffect),
  'effect-lines': caseEffectLines,
  options: caseOptions,
  editor: caseEditor,
  'editor-lines': caseEditorLines,
  'phone-editor': site => withPage(site, { profile: 'phone', effectFile: ProbeEffectFile }, casePhoneEditor),
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
