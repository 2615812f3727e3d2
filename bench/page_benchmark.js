#!/usr/bin/env node
'use strict';
/* The page's frame benchmark: the demo's effect file against the floor's
 * (?assets=floor) in the same headless Chromium, on the desktop's screen and
 * on a phone's, each run a fresh page:
 *
 *     NODE_PATH=build-web/node_modules node bench/page_benchmark.js build-web/site [SECONDS [WARMUP [RUNS]]]
 *
 * Runs alternate demo, floor, demo, floor per screen, every update on a fixed
 * step of 16,667 µs; the frames of all runs are pooled. Prints per screen
 * and pipeline the median, p95 and mean frame time, the drawing buffer's
 * size, and demo/floor of the medians. */

const path = require('path');
const { expect, waitUntil, withPage } = require(path.join(__dirname, '../tests/web/page_session.js'));

function median(sorted, share = 0.5) {
  return sorted[Math.min(sorted.length - 1, Math.ceil(share * sorted.length) - 1)];
}

async function measure(site, profile, assets, seconds, warmup) {
  const query = `?benchmark=${seconds}&warmup=${warmup}&fixed-step=16667${assets ? `&assets=${assets}` : ''}`;
  let json = null;
  await withPage(site, { profile, query }, async page => {
    await waitUntil('the end of the benchmark', async () => /has stopped/.test(await page.status()),
                    (seconds + warmup + 120) * 1000);
    [json] = page.consoleJson();
    expect(json && json.complete, `the ${profile} ${assets || 'demo'} run was cut short`);
  });
  return json;
}

async function main([site, seconds = '10', warmup = '2', runs = '2']) {
  site = path.resolve(site);
  for (const profile of ['desktop', 'phone']) {
    const frames = { demo: [], floor: [] };
    let window = null;
    for (let run = 0; run < Number(runs); run++) {
      for (const pipeline of ['demo', 'floor']) {
        const json = await measure(site, profile, pipeline === 'floor' ? 'floor' : '', Number(seconds), Number(warmup));
        frames[pipeline].push(...json.frameTimesMilliseconds);
        window = json.window;
      }
    }
    const summary = {};
    for (const pipeline of ['demo', 'floor']) {
      const sorted = [...frames[pipeline]].sort((a, b) => a - b);
      const mean = sorted.reduce((sum, value) => sum + value, 0) / sorted.length;
      summary[pipeline] = median(sorted);
      console.log(`${profile} ${window.width}x${window.height} ${pipeline}: ${sorted.length} frames, median ` +
                  `${median(sorted).toFixed(1)} ms, p95 ${median(sorted, 0.95).toFixed(1)} ms, mean ${mean.toFixed(1)} ms ` +
                  `(${(1000 / mean).toFixed(2)} fps)`);
    }
    console.log(`${profile} demo/floor: ${(summary.demo / summary.floor).toFixed(3)}`);
  }
}

main(process.argv.slice(2)).catch(error => {
  console.error(error);
  process.exitCode = 1;
});
