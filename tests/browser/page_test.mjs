// The page as a person uses it, in a real browser, opened from file:// and
// from a server on 127.0.0.1: its console must show exactly what the native
// program shows in a terminal when both start in the same second and are
// given the same answers; it must stay responsive while it rolls, say when
// the program has ended, start a new run that keeps the old one's text, and
// ask for nothing from outside, and weigh at most 300,000 bytes; every
// script of it parses in an older browser. Then bad input, input typed
// early, Ctrl-C and Stop, browsers that cannot run it, Back and Forward, a
// phone's view, and axe-core's checks. (tests/browser/screen_reader.mjs
// has what a screen reader says.)
//
//   node tests/browser/page_test.mjs PAGE.html NATIVE-PROGRAM BROWSER...
//
// BROWSER is chromium, firefox or webkit (WebKitGTK); the native program
// runs under a pseudo-terminal made by util-linux's script.
import * as acorn from 'acorn';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { createHash } from 'node:crypto';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { createRequire } from 'node:module';
import { after, before, describe, test } from 'node:test';
import { pathToFileURL } from 'node:url';
import * as statuses from '../../src/web/core/statuses.mjs';
import {
  complaint, count_prompts, escaped, go_in_history, launch, open_page, paste, press_with_control, prompt, screen_of, started_at,
  type_line, wait_for_end, wait_for_prompts, wait_for_status, wait_for_waits, wait_in_page,
} from './browsers.mjs';

const [page_path, native_program, ...browser_names] = process.argv.slice(2);
if (browser_names.length === 0) {
  console.error('usage: node page_test.mjs PAGE.html NATIVE-PROGRAM BROWSER...');
  process.exit(2);
}
const page_text = fs.readFileSync(page_path, 'utf8');

// The page with `change` run before its own script, as a browser that lacks
// something would run it: in a script of its own, which the page's policy
// allows by its hash. (WebDriver classic, which drives WebKitGTK, can run
// nothing in a page before the page's own scripts.)
function page_with(change) {
  const script = `(${change.toString()})();`;
  const hash = `'sha256-${createHash('sha256').update(script).digest('base64')}'`;
  const changed = page_text.replace(/script-src /, `script-src ${hash} `)
    .replace(/<meta http-equiv="Content-Security-Policy"[^>]*>/, (policy) => `${policy}\n<script>${script}</script>`);
  assert.ok(changed.includes(hash) && changed.includes(`<script>${script}`), 'the page has no policy to extend');
  return changed;
}
// axe-core, run in the page by the protocol (the page's policy would
// refuse it as a script of the page's own).
const axe_source = fs.readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');

// What axe-core finds against WCAG 2.2 A and AA, its best practices, and
// AAA's text contrast, as [rule, target] pairs.
async function axe_violations(page) {
  await page.evaluate(axe_source);
  return page.evaluate(async () => {
    const found = [];
    for (const runOnly of [
      { type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa', 'best-practice'] },
      { type: 'rule', values: ['color-contrast-enhanced'] },
    ]) {
      const results = await window.axe.run(document, { runOnly });
      for (const violation of results.violations) {
        for (const node of violation.nodes) {
          found.push([violation.id, node.target.join(' '), node.failureSummary]);
        }
      }
    }
    return found;
  });
}
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
      // The page must go on while the program rolls: a timer keeps ticking.
      await page.evaluate(() => {
        window.test_ticks = 0;
        window.test_timer = setInterval(() => { window.test_ticks += 1; }, 20);
      });
    }
    await type_line(page, line);
    native.type(line + '\n');
    if (line === largest) {
      await wait_for_prompts(page, prompts);
      ticks = await page.evaluate(() => { clearInterval(window.test_timer); return window.test_ticks; });
    }
  }
  assert.equal(await native.ended, 0);
  await wait_for_status(page, statuses.ended(0));
  return { page, page_screen: await screen_of(page), native_screen: native.screen, ticks };
}


// A server on 127.0.0.1 that serves the page, and the changed pages put in
// `pages`, and counts what it is asked.
function serve() {
  const asked = [];
  const pages = new Map([['/die_roll.html', page_text]]);
  const server = http.createServer((request, response) => {
    asked.push(request.url);
    if (pages.has(request.url)) {
      response.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8' });
      response.end(pages.get(request.url));
    } else {
      response.writeHead(404);
      response.end();
    }
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve({ server, asked, pages })));
}

// A browser too old to run the program is told so only if it can parse
// the page's scripts: every one of them, the program's own among them, is
// ES2017, which every browser with WebAssembly has.
test('every script of the page parses as ES2017', () => {
  const scripts = [...page_text.matchAll(/<script(?: id="(\w+)" type="([^"]+)")?>([^]*?)<\/script>/g)]
    .filter(([, , type]) => type !== 'application/octet-stream');
  assert.deepEqual(scripts.map(([, id]) => id ?? 'the page'), ['program', 'the page']);
  for (const [, id, , text] of scripts) {
    assert.doesNotThrow(() => acorn.parse(text, { ecmaVersion: 2017, sourceType: 'script' }), `${id ?? 'the page'}`);
  }
});

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

    // Firefox, driven through WebDriver BiDi, now and then leaves a command
    // unanswered (seen about once in a hundred tests, an input action or a
    // navigation), and may then answer none in any tab; such a test is said
    // so and tried once more, from the start, in a browser launched anew. A
    // failed check is not tried again.
    const browser_test = (title, options, body) => test(title, options, async () => {
      try {
        await body();
      } catch (error) {
        if (error.name !== 'ProtocolError') {
          throw error;
        }
        console.error(`${browser_name}: ${title}: ${error.message}; trying it once more in a new browser`);
        browser.process()?.kill('SIGKILL');
        browser = await launch(browser_name);
        await body();
      }
    });

    const served_url = (page) => `http://127.0.0.1:${served.server.address().port}${page}`;
    const origins = {
      'file://': () => pathToFileURL(path.resolve(page_path)).href,
      'http://127.0.0.1': () => served_url('/die_roll.html'),
    };
    for (const [origin, url_of] of Object.entries(origins)) {
      browser_test(`from ${origin}: the same dialogue as in a terminal, the end, a new run, and no request`, { timeout: 300000 }, async () => {
        const url = url_of();
        const requests = [];
        const failures = [];
        // WebDriver classic hears no events: in WebKitGTK the requests are
        // those the page's resource timing lists, and an error shows in the
        // dialogue.
        const watch = (tab) => {
          if (browser.events !== false) {
            tab.on('request', (request) => requests.push(request.url()));
            tab.on('pageerror', (error) => failures.push(error.message));
          }
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

        // The end, said outside the program's text, and a new run, which an
        // Enter pressed by habit starts: it keeps what the first showed, as
        // a terminal keeps a program's output when it is run again, and the
        // pictures, the sentence and the table follow its report.
        assert.equal(await page.evaluate(() => document.activeElement.id), 'restart');
        await page.keyboard.press('Enter');
        await wait_for_end(page, run.page_screen + prompt);
        assert.equal(await page.$$eval('#log .mark', (marks) => marks.length), 1);
        await type_line(page, '1');
        await wait_for_prompts(page, count_prompts(run.page_screen) + 2);
        const one_roll = (await screen_of(page)).slice(run.page_screen.length);
        assert.match(one_roll, /^[^\n]*1\n\nThe observed counts: ([01] ){6}\n\nChi-squared = 5\n\n[^\n]*$/);
        await page.waitForFunction(() => document.getElementById('summary').textContent ===
          "1 roll: chi-squared 5, within a fair die's 5% value of 11.07.", { timeout: 10000 });
        await page.click('details.table summary');
        const counts = one_roll.match(/counts: ((?:\d+ ){6})/)[1].trim().split(' ');
        await page.waitForFunction((cells) => {
          const rows = document.querySelectorAll('#experiments tbody tr');
          return rows.length > 0 && [...rows[rows.length - 1].cells].map((c) => c.textContent).join(' ') === cells;
        }, { timeout: 10000 }, ['1', ...counts, '5'].join(' '));
        // Ctrl-D on an empty line is the end of input.
        await page.focus('#answer');
        await press_with_control(page, 'd');
        await wait_for_status(page, statuses.ended(0));

        // Nothing but the page itself was asked for; the program comes from
        // the page's own text, as a blob: address.
        assert.deepEqual(failures, []);
        requests.push(...await page.evaluate(() => performance.getEntriesByType('resource').map((entry) => entry.name)));
        assert.deepEqual(requests.filter((r) => r !== url && !/^(data|blob):/.test(r)), []);
        if (origin !== 'file://') {
          assert.ok(served.asked.every((asked) => asked === '/die_roll.html'), served.asked.join(' '));
          // The page's weight, as the browser received it, uncompressed.
          const weight = await page.evaluate(() => performance.getEntriesByType('navigation')[0].encodedBodySize);
          assert.ok(weight > 100000 && weight <= 300000, `the page weighs ${weight} bytes`);
        }
        await page.close();
      });
    }

    browser_test('bad input: thousands of answers in one paste, a number of millions of digits, control characters and a megabyte line', { timeout: 300000 }, async () => {
      const url = origins['file://']();
      const page = await open_page(browser, url);
      await wait_for_prompts(page, 1);
      // A number of five million digits, leading zeros and all, is read as
      // any other, in memory that does not grow with its length.
      await paste(page, '0'.repeat(5000000) + '7\n');
      const seven_rolled = /0007\n\nThe observed counts: ((?:\d+ ){6})\n\nChi-squared = [^\n]+\n\n[^\n]*$/;
      await wait_in_page(page, 'the report of 7 rolls', 120000,
        (pattern) => new RegExp(pattern).test(document.getElementById('log').textContent), seven_rolled.source);
      const seven = (await screen_of(page)).match(seven_rolled);
      assert.equal(seven[1].trim().split(' ').map(Number).reduce((a, b) => a + b), 7);
      // The table is drawn only while it is open.
      await page.click('details.table summary');
      // Each pasted answer is answered, and the picture and the table keep
      // the last 2000. The page is hidden meanwhile, behind another tab,
      // where it may get no frames: its console still takes in what the
      // program writes, up to the scrollback, rather than holding it all
      // until it is shown.
      const answers = 5000;
      await paste(page, '1\n'.repeat(answers));
      // (WebKitGTK's pages are windows side by side, and the page stays in
      // view: there the bound is the visible console's.)
      const front = await browser.newPage();
      await front.bringToFront();
      await wait_for_waits(page, 3, 120000);
      const held_hidden = await page.$eval('#log', (log) => log.textContent.length);
      assert.ok(held_hidden > 200000 && held_hidden <= 400000, `the hidden console holds ${held_hidden} characters`);
      await front.close();
      await page.bringToFront();
      await wait_for_end(page, `Chi-squared = 5\n\n${prompt}`);
      const last_prompts = count_prompts(await screen_of(page));
      assert.ok(last_prompts > 2000 && last_prompts < answers, `${last_prompts} prompts kept`);
      await page.waitForFunction(() => document.querySelectorAll('#experiments tbody tr').length === 2000, { timeout: 20000 });
      // Each is refused, as by the native program, and the scrollback keeps
      // its bound however long the line.
      await paste(page, '\u0001\u0007\u001b[2J\n');
      await wait_for_end(page, complaint + prompt);
      const screen_so_far = await screen_of(page);
      assert.ok(screen_so_far.endsWith(`\n\n${prompt}\u0001\u0007\u001b[2J\n${complaint}${prompt}`),
        screen_so_far.slice(-300));
      await paste(page, 'x'.repeat(1 << 20) + '\n');
      await wait_for_end(page, `x\n${complaint}${prompt}`);
      await type_line(page, '0');
      await wait_for_status(page, statuses.ended(0));
      const screen = await screen_of(page);
      assert.ok(screen.length <= 400000, `the console holds ${screen.length} characters`);
      assert.match(screen, new RegExp(`^x+\\n${complaint}${prompt.replace(/[()]/g, '\\$&')}0\\n$`));
      await page.close();
    });

    browser_test('browsers that cannot run it, and a failure, are each told so in words', { timeout: 120000 }, async () => {
      const cases = [
        [() => { delete globalThis.WebAssembly; },
          'This browser cannot run die_roll: it has no WebAssembly, or WebAssembly is switched off.'],
        [() => { WebAssembly.validate = () => false; },
          'This browser cannot run die_roll: its WebAssembly has no SIMD, which die_roll needs; a newer version of the browser has it.'],
        // No workers, workers forbidden by a policy, no Blob addresses: the
        // program cannot be executed, as a shell says (126).
        [() => { delete globalThis.Worker; }, /^die_roll could not start in this browser, so it ended with exit status 126\. \(The browser said: .*Worker/],
        [() => { globalThis.Worker = class { constructor() { throw new DOMException('Forbidden by policy', 'SecurityError'); } }; },
          statuses.could_not_start('Forbidden by policy')],
        [() => { delete URL.createObjectURL; }, /^die_roll could not start in this browser, so it ended with exit status 126\. \(The browser said: .*createObjectURL/],
        // A program that runs out of memory.
        [() => {
          globalThis.Worker = class {
            constructor() {
              setTimeout(() => this.onmessage({ data: { kind: 'failed',
                reason: 'RuntimeError: Aborted(OOM). Build with -s ASSERTIONS=1 for more info.' } }), 10);
            }
            postMessage() {}
            terminate() {}
          };
        }, statuses.failed('RuntimeError: Aborted(OOM)')],
      ];
      for (const [index, [change, sentence]] of cases.entries()) {
        const changed = `/cannot-${index}.html`;
        served.pages.set(changed, page_with(change));
        const page = await open_page(browser, served_url(changed));
        await wait_for_status(page, sentence, 10000);
        // Nothing typed is shown for a program that is not there. (Not
        // Enter: the focus may be on Start a new run.)
        await page.type('#answer', '5').catch(() => {});
        assert.equal(await page.$eval('#answer', (a) => a.disabled), true);
        assert.equal(await screen_of(page), '');
        await page.close();
      }
    });

    browser_test('a program that never starts is started again, with what was typed for it', { timeout: 60000 }, async () => {
      // The first worker made stays silent, as WebKit's now and then does.
      served.pages.set('/silent.html', page_with(() => {
        const Real = globalThis.Worker;
        let made = 0;
        globalThis.Worker = class {
          constructor(url) {
            made += 1;
            if (made > 1) {
              return new Real(url);
            }
          }
          postMessage() {}
          terminate() {}
        };
      }));
      const page = await open_page(browser, served_url('/silent.html'));
      await type_line(page, '7');
      await wait_for_prompts(page, 2, 20000);
      const counts = (await screen_of(page)).match(/counts: ((?:\d+ ){6})/)[1].trim().split(' ').map(Number);
      assert.equal(counts.reduce((a, b) => a + b), 7);
      await page.close();
    });

    browser_test('input in the order typed: keys before the first prompt, and nothing read after the end', { timeout: 120000 }, async () => {
      const url = origins['file://']();
      const page = await open_page(browser, url);
      // A key typed at once, while the program starts, is kept for it.
      await page.keyboard.type('7');
      await wait_for_prompts(page, 1);
      assert.equal(await page.$eval('#answer', (a) => a.value), '7');
      // Then, in one go, as a fast typist's keys reach a terminal before the
      // program reads any: Enter, Ctrl-D (the end of input), 6 and Enter.
      // A terminal rolls 7 and ends; the 6 is never read.
      await page.$eval('#answer', (field) => {
        const key = (init) => field.dispatchEvent(new KeyboardEvent('keydown', { bubbles: true, cancelable: true, ...init }));
        key({ key: 'Enter', code: 'Enter' });
        key({ key: 'd', code: 'KeyD', ctrlKey: true });
        field.value = '6';
        key({ key: 'Enter', code: 'Enter' });
      });
      await wait_for_status(page, statuses.ended(0), 20000);
      const screen = await screen_of(page);
      assert.match(screen, /^[^\n]*7\n6\n\nThe observed counts: ((?:\d+ ){6})\n\nChi-squared = [^\n]+\n\n[^\n]*$/);
      assert.equal(count_prompts(screen), 2);
      assert.equal(screen.match(/counts: ((?:\d+ ){6})/)[1].trim().split(' ').map(Number).reduce((a, b) => a + b), 7);
      await page.close();
    });

    browser_test('Ctrl-C and Stop end a long run at once, and a new run keeps what was shown', { timeout: 300000 }, async () => {
      const page = await open_page(browser, origins['file://']());
      await wait_for_prompts(page, 1);
      await type_line(page, '12');
      await wait_for_prompts(page, 2);
      const before = await screen_of(page);
      // What the console shows after `start`: the reports of the rolls
      // done before the interrupt, each with its prompt, then `end`.
      const reports_then = (start, end) => new RegExp(`^${escaped(start)}(\\nThe observed counts: (\\d+ ){6}\\n\\nChi-squared = [^\\n]+\\n\\n${escaped(prompt)})*${escaped(end)}$`);
      // A hundred of the largest answers would roll for a minute or more;
      // the page says it rolls once a roll has taken a second.
      const pasted = `${largest}\n`.repeat(100);
      await paste(page, pasted);
      await wait_for_status(page, statuses.rolling);
      await page.type('#answer', '3');
      await press_with_control(page, 'c');
      await wait_for_status(page, statuses.interrupted, 5000);
      const interrupted_screen = await screen_of(page);
      assert.match(interrupted_screen, reports_then(`${before}${pasted}`, '3^C\n'));
      await wait_in_page(page, 'Start a new run in place of Stop', 5000,
        () => !document.getElementById('restart').hidden && document.getElementById('stop').hidden);
      // A new run, stopped by the button while it rolls.
      await page.click('#restart');
      await wait_for_prompts(page, count_prompts(interrupted_screen) + 1);
      await paste(page, pasted);
      await wait_for_status(page, statuses.rolling);
      await page.click('#stop');
      await wait_for_status(page, statuses.interrupted, 5000);
      assert.match(await screen_of(page), reports_then(`${interrupted_screen}${prompt}${pasted}`, '^C\n'));
      assert.equal(await page.$$eval('#log .mark', (marks) => marks.length), 1);
      await page.close();
    });

    browser_test('Back and Forward: a page brought back says its run ended, and a key starts the next', { timeout: 120000 }, async () => {
      served.pages.set('/elsewhere.html', '<!DOCTYPE html><html lang="en"><title>elsewhere</title><p>Elsewhere.</p></html>');
      const title = `die_roll ${page_text.match(/<title>die_roll ([^<]*)<\/title>/)[1]}`;
      const page = await open_page(browser, served_url('/elsewhere.html'));
      // Left at the prompt by a new address and brought back by Back, then
      // left mid-roll by Back and brought back by Forward.
      for (const [moment, away, again] of [['at the prompt', null, 'back'], ['mid-roll', 'back', 'forward']]) {
        if (away === null) {
          await page.goto(served_url('/die_roll.html'));
        }
        await wait_for_prompts(page, 1);
        const before = count_prompts(await screen_of(page));
        await type_line(page, '5');
        await wait_for_prompts(page, before + 1);
        if (moment === 'mid-roll') {
          await paste(page, `${largest}\n`.repeat(20));
          await wait_for_status(page, statuses.rolling);
        }
        const shown = await screen_of(page);
        if (away === null) {
          await page.goto(served_url('/elsewhere.html'));
        } else {
          await go_in_history(page, away, 'elsewhere');
        }
        await go_in_history(page, again, title);
        // From the back-forward cache: what was shown is there still.
        const brought_back = await screen_of(page);
        assert.ok(brought_back.startsWith(shown), `${moment}: the page was loaded anew, not brought back`);
        await wait_in_page(page, `${moment}: the focus on Start a new run`, 5000, () => document.activeElement.id === 'restart');
        assert.equal(await page.$eval('#status', (s) => s.textContent), statuses.left);
        assert.equal(await page.$eval('#answer', (a) => a.disabled), true);
        await page.keyboard.press('Enter');
        const prompts = count_prompts(brought_back) + 1;
        await wait_for_prompts(page, prompts);
        await type_line(page, '3');
        await wait_for_prompts(page, prompts + 1);
        assert.match(await screen_of(page), /counts: (0 |1 |2 |3 ){6}\n\nChi-squared = [^\n]+\n\n[^\n]*$/);
      }
      await page.close();
    });

    browser_test('a phone: a view of 360 by 420 (480 in WebKitGTK), number keys, targets of 24 px, the field and Stop in view, and a button for each key', { timeout: 180000 }, async () => {
      // Chromium emulates a phone's touch screen too; Firefox and WebKitGTK
      // its size alone, and WebKitGTK's MiniBrowser no narrower than 447 px.
      const touch = browser_name === 'chromium';
      const width = browser_name === 'webkit' ? 480 : 360;
      const page = await open_page(browser, origins['file://'](),
        (tab) => tab.setViewport({ width, height: 420, ...(touch ? { isMobile: true, hasTouch: true } : {}) }));
      await wait_for_prompts(page, 1);
      const field = await page.$eval('#answer', (a) => ({
        size: parseFloat(getComputedStyle(a).fontSize), inputmode: a.inputMode,
        autocapitalize: a.getAttribute('autocapitalize'), autocorrect: a.getAttribute('autocorrect'), spellcheck: a.spellcheck,
      }));
      assert.deepEqual(field, { size: Math.max(field.size, 16), inputmode: 'numeric', autocapitalize: 'off', autocorrect: 'off', spellcheck: false });
      const small = await page.$$eval('button, input, summary', (targets) => targets
        .map((t) => [t.id || t.textContent, t.getBoundingClientRect()])
        .filter(([, r]) => r.width > 0 && (r.width < 24 || r.height < 24)).map(([name, r]) => `${name} ${r.width}x${r.height}`));
      assert.deepEqual(small, []);
      // Those of `ids` not wholly in the 420 px that an on-screen keyboard
      // leaves.
      const out_of_view = (...ids) => page.evaluate((wanted) => wanted.filter((id) => {
        const r = document.getElementById(id).getBoundingClientRect();
        return r.top < 0 || r.bottom > innerHeight;
      }), ids);
      // As after reading the words at the top: the field in view, Stop not.
      await page.evaluate(() => window.scrollTo(0, 0));
      if (touch) {
        // A tap on the console, to select or scroll, leaves the keyboard
        // closed; a tap on the field opens it.
        await page.evaluate(() => document.activeElement.blur());
        await page.touchscreen.tap(180, await page.$eval('#terminal', (t) => t.getBoundingClientRect().top + 10));
        assert.notEqual(await page.evaluate(() => document.activeElement.id), 'answer');
        const r = await page.$eval('#answer', (a) => a.getBoundingClientRect().toJSON());
        await page.touchscreen.tap(r.x + 5, r.y + r.height / 2);
      } else {
        await page.click('#answer');
      }
      await wait_in_page(page, 'the field and Stop in view', 5000, () => document.activeElement.id === 'answer' &&
        ['answer', 'stop'].every((id) => { const r = document.getElementById(id).getBoundingClientRect(); return r.top >= 0 && r.bottom <= innerHeight; }));
      // Enter, as a button: the focus stays in the field, for the next answer.
      await page.type('#answer', '5');
      await page.click('#enter');
      await wait_for_prompts(page, 2);
      assert.match(await screen_of(page), /5\n\nThe observed counts: /);
      assert.equal(await page.evaluate(() => document.activeElement.id), 'answer');
      // The view shrinking (a keyboard opening, a turn of the phone) with
      // the console scrolled back: the field is brought into view, inside
      // the console's box as well as the page.
      await paste(page, '1\n'.repeat(4));
      await wait_for_prompts(page, 6);
      await page.$eval('#terminal', (t) => { t.scrollTop = 0; });
      const view = { width, ...(touch ? { isMobile: true, hasTouch: true } : {}) };
      await page.setViewport({ ...view, height: 300 });
      await wait_in_page(page, 'the field in the console and in the view', 5000, () => {
        const [field, console_box] = ['answer', 'terminal'].map((id) => document.getElementById(id).getBoundingClientRect());
        return field.top >= console_box.top && field.bottom <= console_box.bottom && field.top >= 0 && field.bottom <= innerHeight;
      });
      await page.setViewport({ ...view, height: 420 });
      // Stop, in view while the program rolls.
      await paste(page, `${largest}\n`.repeat(20));
      await wait_for_status(page, statuses.rolling);
      assert.deepEqual(await out_of_view('answer', 'stop'), []);
      await page.click('#stop');
      await wait_for_status(page, statuses.interrupted, 5000);
      // A new run, ended by End input on an empty line.
      const prompts = count_prompts(await screen_of(page));
      await page.click('#restart');
      await wait_for_prompts(page, prompts + 1);
      await page.click('#end-input');
      await wait_for_status(page, statuses.ended(0), 10000);
      await page.close();
    });

    browser_test('accessibility: axe-core in light and dark, at each moment, and the console reached by keyboard', { timeout: 300000 }, async () => {
      for (const scheme of ['light', 'dark']) {
        const emulated = browser_name === 'chromium';
        const scheme_browser = scheme === 'light' || emulated ? browser : await launch(browser_name, { scheme });
        // Closed however the test ends: a browser left open keeps node from exiting.
        try {
          const page = await open_page(scheme_browser, origins['file://'](), (tab) =>
            (emulated ? tab.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]) : undefined));
          assert.equal(await page.evaluate(() => matchMedia('(prefers-color-scheme: dark)').matches), scheme === 'dark');
          await wait_for_prompts(page, 1);
          const check = async (moment) => {
            const found = await axe_violations(page);
            assert.deepEqual(found, [], `${scheme}, ${moment}: ${JSON.stringify(found, null, 1)}`);
          };
          await check('the first prompt');
          // One live region, so that what is said keeps its order; the
          // console is not one (tests/browser/screen_reader.mjs hears what
          // Orca says).
          assert.deepEqual(await page.$$eval('[aria-live]:not([aria-live="off"]), [role="log"], [role="status"], [role="alert"]',
            (regions) => regions.map((r) => r.id)), ['spoken']);
          await type_line(page, '600');
          await type_line(page, 'a-word');
          await wait_for_prompts(page, 3);
          await page.click('details.table summary');
          await page.waitForFunction(() => document.querySelectorAll('#experiments tbody tr').length === 1);
          await check('after a report and a complaint');
          // Focus stays where the reader went: into the console, by keyboard,
          // which scrolls it, while the program rolls and asks again.
          await page.focus('#answer');
          await type_line(page, '100000000');
          await page.keyboard.down('Shift');
          await page.keyboard.press('Tab');
          await page.keyboard.up('Shift');
          assert.equal(await page.evaluate(() => document.activeElement.id), 'terminal');
          await wait_for_prompts(page, 4);
          await page.keyboard.press('Home');
          await page.waitForFunction(() => document.getElementById('terminal').scrollTop === 0);
          assert.equal(await page.evaluate(() => document.activeElement.id), 'terminal');
          await page.click('#stop');
          await wait_for_status(page, statuses.interrupted, 30000);
          await check('after a Stop');
          await page.click('#restart');
          await wait_for_prompts(page, 5);
          await type_line(page, '0');
          await wait_for_status(page, statuses.ended(0));
          await check('after the end');
          await page.focus('#terminal');
          assert.equal(await page.evaluate(() => document.activeElement.id), 'terminal');
          await page.close();
        } finally {
          if (scheme_browser !== browser) {
            await scheme_browser.close();
          }
        }
      }
    });
  });
}
