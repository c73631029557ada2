// The page's speed beside the native program's, in one sitting and
// interleaved: for each round, the native `baseline` build's largest answer
// (wall clock of `echo '2147483647 0' | PROGRAM`), then the page in each
// browser, opened afresh: the time from opening it to the first prompt, the
// largest answer as the first answer after it opens, and the same answer
// again; then a paste of 20,000 short answers, from the paste to the last
// prompt shown, and the longest wait of a 50 ms page timer meanwhile.
// Prints each round and the medians, in seconds.
//
//   node bench/web_bench.mjs [--paste=N] [--phone] build-web/die_roll.html build-baseline/die_roll ROUNDS BROWSER...
//
// BROWSER is chromium, firefox or webkit (WebKitGTK), as in the browser test.
//
// The page's times are its own marks (performance.mark in src/web/page.mjs): from
// the line's Enter to the next prompt, and from the start of navigation to
// the first prompt.
import { spawnSync } from 'node:child_process';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import {
  launch, open_page, paste, prompt, type_line, wait_for_end, wait_for_waits,
} from '../tests/browser/browsers.mjs';

// --paste=N pastes N answers rather than 20,000; --phone opens the page in
// Chromium as a phone (360 by 640, touch) with its processor slowed 4
// times, as Lighthouse's mobile runs do.
const options = process.argv.slice(2).filter((arg) => arg.startsWith('--'));
const [page_path, native_program, rounds_text, ...browser_names] = process.argv.slice(2).filter((arg) => !arg.startsWith('--'));
const rounds = Number(rounds_text);
const pasted_answers = Number(options.find((option) => option.startsWith('--paste='))?.slice('--paste='.length) ?? 20000);
if (browser_names.length === 0 || !(rounds > 0) || !(pasted_answers > 0)) {
  console.error('usage: node bench/web_bench.mjs [--paste=N] [--phone] PAGE.html NATIVE-PROGRAM ROUNDS BROWSER...');
  process.exit(2);
}
const url = pathToFileURL(path.resolve(page_path)).href;
const largest = '2147483647';

function native_largest() {
  const start = process.hrtime.bigint();
  const run = spawnSync(native_program, [], { input: `${largest} 0\n`, stdio: ['pipe', 'ignore', 'inherit'] });
  if (run.status !== 0) {
    throw new Error(`${native_program} exited with ${run.status}`);
  }
  return Number(process.hrtime.bigint() - start) / 1e9;
}

const phone = options.includes('--phone');

async function page_times(browser) {
  const page = await open_page(browser, url, async (tab) => {
    if (phone) {
      await tab.setViewport({ width: 360, height: 640, isMobile: true, hasTouch: true, deviceScaleFactor: 2 });
      await tab.emulateCPUThrottling(4);
    }
  });
  await wait_for_waits(page, 1);
  const times = { first_prompt: await page.evaluate(() => performance.getEntriesByName('die_roll-waiting')[0].startTime / 1000) };
  for (const [name, prompts] of [['first_answer', 2], ['later_answer', 3]]) {
    await type_line(page, largest);
    await wait_for_waits(page, prompts);
    times[name] = await page.evaluate((at) => {
      const answered = performance.getEntriesByName('die_roll-answered')[at].startTime;
      const waiting = performance.getEntriesByName('die_roll-waiting')[at + 1].startTime;
      return (waiting - answered) / 1000;
    }, prompts - 2);
  }
  // A paste of 20,000 short answers (or --paste's number): the time from
  // the paste to the last prompt shown, and the longest that a 50 ms page
  // timer waited meanwhile.
  await page.evaluate(() => {
    window.bench_timer = { last: performance.now(), longest: 0 };
    setInterval(() => {
      const now = performance.now();
      window.bench_timer.longest = Math.max(window.bench_timer.longest, now - window.bench_timer.last);
      window.bench_timer.last = now;
    }, 50);
  });
  await paste(page, '1\n'.repeat(pasted_answers));
  await wait_for_waits(page, 4, 600000);
  await wait_for_end(page, `Chi-squared = 5\n\n${prompt}`, 120000);
  // The console may still be catching up: the last prompt is shown when
  // its text has stopped changing, for three frames.
  times.paste_last_prompt = await page.evaluate(() => new Promise((resolve) => {
    const log = document.getElementById('log');
    let last = null;
    let since = 0;
    let frames = 0;
    const check = () => {
      const text = log.textContent;
      if (text !== last) {
        [last, since, frames] = [text, performance.now(), 0];
      } else if (++frames === 3) {
        resolve((since - performance.getEntriesByName('die_roll-answered').at(-1).startTime) / 1000);
        return;
      }
      requestAnimationFrame(check);
    };
    check();
  }));
  times.paste_longest_timer_wait = await page.evaluate(() => window.bench_timer.longest / 1000);
  await page.close();
  return times;
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};

const browsers = {};
for (const name of browser_names) {
  browsers[name] = await launch(name);
  console.log(name, await browsers[name].version());
}
const results = { native: [] };
for (let round = 1; round <= rounds; round++) {
  const line = [];
  const native = native_largest();
  results.native.push(native);
  line.push(`native ${native.toFixed(3)}`);
  for (const name of browser_names) {
    const times = await page_times(browsers[name]);
    for (const [key, value] of Object.entries(times)) {
      (results[`${name} ${key}`] ??= []).push(value);
      line.push(`${name} ${key} ${value.toFixed(3)}`);
    }
  }
  console.log(`round ${round}: ${line.join(', ')}`);
}
for (const browser of Object.values(browsers)) {
  await browser.close();
}
const native = median(results.native);
console.log(`medians of ${rounds} rounds, s (against the native largest answer):`);
for (const [key, values] of Object.entries(results)) {
  const m = median(values);
  const no_ratio = key.endsWith('prompt') || key.includes('paste');
  console.log(`  ${key}: ${m.toFixed(3)}${no_ratio ? '' : ` (${(m / native).toFixed(2)}x)`}`);
}
