#!/usr/bin/env node
'use strict';
/* The page's effect editor, measured in headless Chromium (SwiftShader):
 *
 *     NODE_PATH=build-web/node_modules node bench/editor_latency.js build-web/site [EDITS]
 *
 * Each edit is one keystroke, a digit of a colour in Composite.FS; the time
 * runs from its keydown to the end of the first animation frame drawn after
 * the demo rebuilt from the text (the apply waits for a 300 ms pause in the
 * typing, so that is in it). Prints the median and the range of the edits,
 * checking that each edit changed the picture, then the size of editor.js
 * (raw and gzipped) and the length of the shipped effect's link. */

const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const { expect, waitUntil, withPage } = require(path.join(__dirname, '../tests/web/page_session.js'));

async function main([site, edits = '10']) {
  site = path.resolve(site);
  const script = fs.readFileSync(path.join(site, 'editor.js'));
  await withPage(site, {}, async page => {
    await page.waitForFrame(3);
    await page.page.click('#edit');
    await waitUntil('the editor', () => page.page.isVisible('.cm-content'));
    await page.page.click('#copy-link');
    const link = await waitUntil('the link', () => page.page.textContent('#link-length'));
    const address = page.page.url().replace(/#.*/, '');
    // The colour edit: green added to the composite, its digit then changed once an edit.
    const lines = fs.readFileSync(path.join(site, 'assets', 'Shaders.glsl'), 'utf8').split('\n');
    const line = lines.findIndex(text => text.includes('FragColor = vec4(particles.rgb')) + 2;
    await page.page.evaluate(line => {
      const view = editor.view;
      view.focus();
      view.dispatch({ selection: { anchor: view.state.doc.line(line).from } });
      addEventListener('keydown', () => { window.lastKeystroke = performance.now(); }, true);
      const apply = applyEffect;
      window.changedFrames = [];
      // The frame after the rebuild is the first drawn with it: the demo's own
      // animation frame callback, asked for earlier, runs before this one.
      applyEffect = text => {
        apply(text);
        requestAnimationFrame(() => window.changedFrames.push(performance.now() - window.lastKeystroke));
      };
    }, line);
    await page.page.keyboard.type('FragColor.g += 0.0;\n');
    await waitUntil('the first edit applied', () => page.page.evaluate(() => window.changedFrames.length === 1));
    const milliseconds = [];
    for (let edit = 1; edit <= Number(edits); edit++) {
      const before = await page.canvasPicture();
      await page.page.evaluate(line => {
        const view = editor.view;
        const digit = view.state.doc.line(line).to - 1;
        view.dispatch({ selection: { anchor: digit - 1, head: digit } });
      }, line);
      await page.page.keyboard.type(edit % 2 ? '5' : '0');
      await waitUntil(`edit ${edit} applied`, () => page.page.evaluate(count => window.changedFrames.length === count, edit + 1));
      milliseconds.push(await page.page.evaluate(() => window.changedFrames.at(-1)));
      const after = await page.canvasPicture();
      expect(!before.rgb.equals(after.rgb), `edit ${edit} left the picture as it was`);
    }
    milliseconds.sort((a, b) => a - b);
    const median = milliseconds[Math.floor((milliseconds.length - 1) / 2)];
    console.log(`last keystroke to the first changed frame, ${milliseconds.length} edits: median ` +
                `${median.toFixed(0)} ms, from ${milliseconds[0].toFixed(0)} to ${milliseconds.at(-1).toFixed(0)} ms`);
    console.log(`editor.js: ${script.length} bytes, ${zlib.gzipSync(script, { level: 9 }).length} gzipped`);
    console.log(`the shipped effect's link, from ${address}: ${link}`);
    page.expectCleanConsole();
  });
}

main(process.argv.slice(2)).catch(error => {
  console.error(error);
  process.exitCode = 1;
});
