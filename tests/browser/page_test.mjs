// The page as a person uses it, in a real browser, opened from file:// and
// from a server on 127.0.0.1: its console must show exactly what the native
// program shows in a terminal when both start in the same second and are
// given the same answers; it must stay responsive while it rolls, say when
// the program has ended, start a new run, and ask for nothing from outside.
//
//   node tests/browser/page_test.mjs PAGE.html NATIVE-PROGRAM BROWSER...
//
// BROWSER is chromium or firefox; the native program runs under a
// pseudo-terminal made by util-linux's script.
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { pathToFileURL } from 'node:url';
import {
  count_prompts, launch, open_page, paste, press_with_control, prompt, screen_of, started_at,
  type_line, wait_for_end, wait_for_prompts, wait_for_waits,
} from './browsers.mjs';

const [page_path, native_program, ...browser_names] = process.argv.slice(2);
if (browser_names.length === 0) {
  console.error('usage: node page_test.mjs PAGE.html NATIVE-PROGRAM BROWSER...');
  process.exit(2);
}
const page_text = fs.readFileSync(page_path);
const largest = '2147483647';
// What is typed, and how many prompts the screen shows once it has been
// answered: a word gets a complaint and the question again, two answers on
// one line are answered in turn, and so are the lines of a paste, which a
// terminal echoes all at once.
const dialogue = [
  { line: '600', prompts: 2 },
  { line: 'a-word', prompts: 3 },
  { line: '5 7', prompts: 5 },
  { paste: '3\nword\n4 5\n', prompts: 9 },
  { line: largest, prompts: 10 },
  { line: '0', prompts: 10 },
];

// The native program under a pseudo-terminal; `screen` is what it shows,
// line ends as LF.
function start_native() {
  const child = spawn('script', ['-qfec', native_program, '/dev/null'], { stdio: ['pipe', 'pipe', 'inherit'] });
  const native = { screen: '', started: Date.now() };
  const listeners = new Set();
  child.stdout.on('data', (chunk) => {
    native.screen += chunk.toString().replaceAll('\r\n', '\n');
    listeners.forEach((listener) => listener());
  });
  native.ended = new Promise((resolve) => child.on('exit', (code) => resolve(code)));
  native.until = (condition) => new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`native: waited in vain; screen ${JSON.stringify(native.screen)}`)), 60000);
    const check = () => {
      if (condition(native.screen)) {
        clearTimeout(timer);
        listeners.delete(check);
        resolve();
      }
    };
    listeners.add(check);
    check();
  });
  native.type = (text) => child.stdin.write(text);
  native.kill = () => child.kill();
  return native;
}

// One attempt: the page opened in a new tab (`watch` sees it first), the
// native program started in the same second, the dialogue typed into both.
// Null when a second turned between their starts.
async function same_second_run(browser, url, watch) {
  const page = await open_page(browser, url, watch);
  const page_started = await started_at(page);
  const native = start_native();
  if (Math.floor(page_started / 1000) !== Math.floor((native.started + 50) / 1000)) {
    native.kill();
    await page.close();
    return null;
  }
  let ticks = null;
  let shown = 1;
  for (const { line, paste: pasted, prompts } of dialogue) {
    await wait_for_prompts(page, shown);
    await native.until((screen) => count_prompts(screen) >= shown);
    shown = prompts;
    if (pasted !== undefined) {
      await paste(page, pasted);
      native.type(pasted);
      continue;
    }
    if (line === largest) {
      // The page must go on while the program rolls: a timer keeps ticking,
      // and the page says it is busy.
      await page.evaluate(() => {
        window.test_ticks = 0;
        window.test_timer = setInterval(() => { window.test_ticks += 1; }, 20);
      });
    }
    await type_line(page, line);
    native.type(line + '\n');
    if (line === largest) {
      await page.waitForFunction(() => document.getElementById('status').classList.contains('busy'));
      assert.equal(await page.$eval('#status', (s) => s.textContent), 'Rolling…');
      await wait_for_prompts(page, prompts);
      ticks = await page.evaluate(() => { clearInterval(window.test_timer); return window.test_ticks; });
    }
  }
  assert.equal(await native.ended, 0);
  await page.waitForFunction(() => document.getElementById('restart').hidden === false);
  return { page, page_screen: await screen_of(page), native_screen: native.screen, ticks };
}

// A server on 127.0.0.1 that serves the page and counts what it is asked.
function serve() {
  const asked = [];
  const server = http.createServer((request, response) => {
    asked.push(request.url);
    if (request.url === '/die_roll.html') {
      response.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8' });
      response.end(page_text);
    } else {
      response.writeHead(404);
      response.end();
    }
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve({ server, asked })));
}

for (const browser_name of browser_names) {
  describe(browser_name, () => {
    let browser;
    let served;
    before(async () => {
      browser = await launch(browser_name);
      served = await serve();
    });
    after(async () => {
      await browser?.close();
      served?.server.close();
    });

    const origins = {
      'file://': () => pathToFileURL(path.resolve(page_path)).href,
      'http://127.0.0.1': () => `http://127.0.0.1:${served.server.address().port}/die_roll.html`,
    };
    for (const [origin, url_of] of Object.entries(origins)) {
      test(`from ${origin}: the same dialogue as in a terminal, the end, a new run, and no request`, { timeout: 300000 }, async () => {
        const url = url_of();
        const requests = [];
        const failures = [];
        const watch = (tab) => {
          tab.on('request', (request) => requests.push(request.url()));
          tab.on('pageerror', (error) => failures.push(error.message));
        };
        served.asked.length = 0;

        let run = null;
        for (let attempt = 1; attempt <= 4 && (run === null || run.page_screen !== run.native_screen); attempt++) {
          if (run !== null) {
            await run.page.close();
          }
          run = (await same_second_run(browser, url, watch)) ?? run;
        }
        assert.ok(run !== null, 'never started in the same second as the native program');
        const page = run.page;
        assert.equal(run.page_screen, run.native_screen);
        assert.match(run.page_screen, /The observed counts: (\d+ ){6}\n/);
        assert.ok(run.ticks >= 3, `the page's timer ticked ${run.ticks} times while the program rolled`);

        // The end, said outside the program's text, and a new run.
        assert.equal(await page.$eval('#status', (s) => s.textContent), 'die_roll has ended, with exit status 0.');
        assert.equal(await page.evaluate(() => document.activeElement.id), 'restart');
        await page.keyboard.press('Enter');
        await wait_for_prompts(page, 1);
        assert.equal(await screen_of(page), prompt);
        await type_line(page, '1');
        await wait_for_prompts(page, 2);
        const one_roll = await screen_of(page);
        assert.match(one_roll, /^[^\n]*1\n\nThe observed counts: ([01] ){6}\n\nChi-squared = 5\n\n[^\n]*$/);
        // The bars show that experiment's counts.
        await page.waitForFunction((counts) => [...document.querySelectorAll('#counts rect title')]
          .map((title) => title.textContent.replace(/^face \d: /, '')).join(' ') === counts,
        { timeout: 10000 }, one_roll.match(/counts: ((?:\d+ ){6})/)[1].trim());
        // Ctrl-D on an empty line is the end of input.
        await press_with_control(page, 'd');
        await page.waitForFunction(() => document.getElementById('restart').hidden === false);
        assert.equal(await page.$eval('#status', (s) => s.textContent), 'die_roll has ended, with exit status 0.');

        // Nothing but the page itself was asked for; the program comes from
        // the page's own text, as a blob: address.
        assert.deepEqual(failures, []);
        assert.deepEqual(requests.filter((r) => r !== url && !/^(data|blob):/.test(r)), []);
        if (origin !== 'file://') {
          assert.ok(served.asked.every((asked) => asked === '/die_roll.html'), served.asked.join(' '));
        }
        await page.close();
      });
    }

    test('bad input: thousands of answers in one paste, control characters, a megabyte line, and a browser without SIMD', { timeout: 300000 }, async () => {
      const url = origins['file://']();
      const page = await open_page(browser, url);
      await wait_for_prompts(page, 1);
      // Each pasted answer is answered, and the picture keeps its last 2000.
      // The page is hidden meanwhile, behind another tab, where it may get
      // no frames: its console still takes in what the program writes, up
      // to the scrollback, rather than holding it all until it is shown.
      const answers = 5000;
      await paste(page, '1\n'.repeat(answers));
      const front = await browser.newPage();
      await front.bringToFront();
      await wait_for_waits(page, 2, 120000);
      const held_hidden = await page.$eval('#log', (log) => log.textContent.length);
      assert.ok(held_hidden > 200000 && held_hidden <= 400000, `the hidden console holds ${held_hidden} characters`);
      await front.close();
      await page.bringToFront();
      await wait_for_end(page, `Chi-squared = 5\n\n${prompt}`);
      const last_prompts = count_prompts(await screen_of(page));
      assert.ok(last_prompts > 2000 && last_prompts < answers, `${last_prompts} prompts kept`);
      assert.equal(await page.$$eval('#statistic circle', (points) => points.length), 2000);
      // Each is refused, as by the native program, and the scrollback keeps
      // its bound however long the line.
      const complaint = 'The answer must be a whole number of rolls, at most 2147483647.\n';
      await paste(page, '\u0001\u0007\u001b[2J\n');
      await wait_for_end(page, complaint + prompt);
      const screen_so_far = await screen_of(page);
      assert.ok(screen_so_far.endsWith(`Chi-squared = 5\n\n${prompt}\u0001\u0007\u001b[2J\n${complaint}${prompt}`),
        screen_so_far.slice(-300));
      await paste(page, 'x'.repeat(1 << 20) + '\n');
      await wait_for_end(page, `x\n${complaint}${prompt}`);
      await type_line(page, '0');
      await page.waitForFunction(() => document.getElementById('restart').hidden === false);
      const screen = await screen_of(page);
      assert.ok(screen.length <= 400000, `the console holds ${screen.length} characters`);
      assert.match(screen, new RegExp(`^x+\\n${complaint}${prompt.replace(/[()]/g, '\\$&')}0\\n$`));
      assert.equal(await page.$eval('#status', (s) => s.textContent), 'die_roll has ended, with exit status 0.');
      await page.close();

      const without_simd = await open_page(browser, url, (tab) => {
        return tab.evaluateOnNewDocument(() => { WebAssembly.validate = () => false; });
      });
      assert.equal(await without_simd.$eval('#status', (s) => s.textContent),
        'This browser cannot run die_roll: it has no WebAssembly SIMD.');
      assert.equal(await without_simd.$eval('#answer', (a) => a.disabled), true);
      await without_simd.close();
    });
  });
}
