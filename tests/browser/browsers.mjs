// The three engines as Debian installs them, for the browser test and the
// web benchmark: headless Chromium and Firefox driven by puppeteer-core
// (Chromium through its DevTools protocol, Firefox through WebDriver BiDi),
// and WebKitGTK through WebDriver classic (webdriver.mjs), behind the same
// calls.
import fs from 'node:fs';
import puppeteer from 'puppeteer-core';
import { launch_webkit } from './webdriver.mjs';

export const browsers = {
  chromium: {
    executablePath: '/usr/bin/chromium',
    // As root Chromium needs --no-sandbox; the rest keep it from calling
    // home, which a closed network answers with errors.
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--disable-quic'],
  },
  firefox: { browser: 'firefox', executablePath: '/usr/bin/firefox-esr' },
  webkit: {},
};

// `scheme: 'dark'` launches Firefox or WebKitGTK in its dark scheme, which
// neither can emulate as Chromium does.
export function launch(name, { scheme = 'light' } = {}) {
  if (name === 'webkit') {
    return launch_webkit({ environment: scheme === 'dark' ? { GTK_THEME: 'Adwaita:dark' } : {} });
  }
  const options = browsers[name];
  if (options === undefined) {
    throw new Error(`no browser called ${name}: ${Object.keys(browsers).join(' or ')}`);
  }
  const prefs = name === 'firefox' && scheme === 'dark'
    ? { extraPrefsFirefox: { 'layout.css.prefers-color-scheme.content-override': 0 } } : {};
  // A minute for any one command, rather than three, so that one left
  // unanswered leaves time to try its test again (see page_test.mjs).
  return puppeteer.launch({ headless: true, protocolTimeout: 60000, ...options, ...prefs });
}

// Opens a new tab on `url`, after `prepare(page)` (which may listen to it).
// Firefox, driven through WebDriver BiDi, now and then never finishes
// navigating a new tab to a local page (seen about once in a hundred, the
// command timing out after three minutes); such a tab is left, said so, and
// a new one tried, at most three times.
export async function open_page(browser, url, prepare = () => {}) {
  for (let attempt = 1; ; attempt++) {
    const page = await browser.newPage();
    await prepare(page);
    const navigation = page.goto(url).then(() => 'loaded');
    navigation.catch(() => {});
    let timer;
    const late = new Promise((resolve) => { timer = setTimeout(resolve, 20000, 'late'); });
    const outcome = await Promise.race([navigation, late]);
    clearTimeout(timer);
    if (outcome === 'loaded') {
      return page;
    }
    // Left open: closing it can make Firefox refuse the next new tab.
    console.error(`${url} had not loaded after 20 s (try ${attempt}): trying a new tab`);
    if (attempt === 3) {
      throw new Error(`${url} did not load in ${attempt} tabs`);
    }
  }
}

// The program's texts, as src/dialogue.h defines them.
const dialogue_h = fs.readFileSync(new URL('../../src/dialogue.h', import.meta.url), 'utf8');
function dialogue_text(name) {
  const match = new RegExp(`${name} =\\s*"([^"]*)";`).exec(dialogue_h);
  if (match === null) {
    throw new Error(`src/dialogue.h defines no ${name} as one string`);
  }
  return match[1];
}
export const prompt = dialogue_text('prompt_text');
export const complaint = `${dialogue_text('complaint_text')}\n`;

export function count_prompts(text) {
  return text.split(prompt).length - 1;
}

// The text of the page's console, as a terminal would show it.
export function screen_of(page) {
  return page.$eval('#log', (log) => log.textContent);
}

// Waits until `holds(...args)` is true in the page; a time-out says what
// was awaited and what the page showed. Where the browser then answers
// nothing either, the error keeps the name of that failure (puppeteer's
// ProtocolError), so that the test can tell a browser gone silent, which it
// tries once more, from a page that did not do what was awaited.
export async function wait_in_page(page, awaited, timeout, holds, ...args) {
  try {
    await page.waitForFunction(holds, { timeout, polling: 10 }, ...args);
  } catch (error) {
    let shown;
    let silent = null;
    try {
      shown = await page.evaluate(() => ({
        status: document.getElementById('status').textContent,
        end: document.getElementById('log').textContent.slice(-300),
      }));
    } catch (failure) {
      silent = failure;
    }
    const said = silent === null ? `the page shows ${JSON.stringify(shown)}` : `then the browser answered nothing: ${silent.message}`;
    const waited = new Error(`waited for ${awaited}: ${error.message}; ${said}`);
    if (silent !== null) {
      waited.name = silent.name;
    }
    throw waited;
  }
}

// `text` as a regular expression that matches it alone.
export const escaped = (text) => text.replace(/[\\^$.*+?()[\]{}|]/g, '\\$&');

// Waits until the page's status is `wanted`, a text (one of the page's
// own, from core/statuses.mjs) or a RegExp.
export function wait_for_status(page, wanted, timeout = 60000) {
  const pattern = typeof wanted === 'string' ? `^${escaped(wanted)}$` : wanted.source;
  return wait_in_page(page, `the status ${wanted}`, timeout,
    (source) => new RegExp(source).test(document.getElementById('status').textContent), pattern);
}

// Waits until the page's console shows `prompts` prompts.
export function wait_for_prompts(page, prompts, timeout = 60000) {
  return wait_in_page(page, `${prompts} prompts`, timeout,
    (wanted, text) => document.getElementById('log').textContent.split(text).length - 1 >= wanted,
    prompts, prompt);
}

// Waits until the page's console ends in `end`.
export function wait_for_end(page, end, timeout = 60000) {
  return wait_in_page(page, `the console to end in ${JSON.stringify(end.slice(-100))}`, timeout,
    (wanted) => document.getElementById('log').textContent.endsWith(wanted), end);
}

// Waits until the program has waited for input `times` times: the page
// marks each wait when the program tells it, a moment after the prompt,
// hidden or not.
export function wait_for_waits(page, times, timeout = 60000) {
  return wait_in_page(page, `the program to wait ${times} times`, timeout,
    (wanted) => performance.getEntriesByName('die_roll-waiting').length >= wanted, times);
}

// Goes `where` ('back' or 'forward') in the tab's history, as the
// browser's buttons do, and waits for the page titled `title`. (Through
// the page's history: puppeteer's goBack waits for a load that a page
// brought back from the back-forward cache never fires in Firefox.)
export async function go_in_history(page, where, title, timeout = 20000) {
  await page.evaluate((way) => { setTimeout(() => history[way](), 0); }, where);
  const until = Date.now() + timeout;
  while (Date.now() < until) {
    await new Promise((resolve) => { setTimeout(resolve, 100); });
    try {
      if (await page.evaluate(() => document.readyState === 'complete' && document.title) === title) {
        return;
      }
    } catch {
      // The page is between documents.
    }
  }
  throw new Error(`going ${where}, "${title}" never showed`);
}

// Types a line into the answer field and presses Enter.
export async function type_line(page, text) {
  await page.type('#answer', text);
  await page.keyboard.press('Enter');
}

// The epoch time, in ms, at which the page's program started (and read the
// clock for its seed), once it has.
export async function started_at(page, timeout = 20000) {
  const handle = await page.waitForFunction(() => {
    const marks = performance.getEntriesByName('die_roll-started');
    return marks.length > 0 && marks[marks.length - 1].detail;
  }, { timeout, polling: 10 });
  return handle.jsonValue();
}

// Pastes text into the answer field through the browser's clipboard
// (Firefox gives a script's own paste event no data): a copy from a text
// area made for the purpose puts it there, its data set by a copy handler,
// since a text area that held all of a long paste would take Chromium
// seconds to lay out; then Ctrl-V pastes it.
export async function paste(page, text) {
  await page.evaluate((copied) => {
    const area = document.createElement('textarea');
    area.id = 'test-clipboard';
    area.value = 'x';
    document.body.appendChild(area);
    area.addEventListener('copy', (event) => {
      event.clipboardData.setData('text/plain', copied);
      event.preventDefault();
    }, { once: true });
    area.select();
  }, text);
  await press_with_control(page, 'c');
  await page.evaluate(() => {
    document.getElementById('test-clipboard').remove();
    document.getElementById('answer').focus();
  });
  await press_with_control(page, 'v');
}

export async function press_with_control(page, key) {
  await page.keyboard.down('Control');
  await page.keyboard.press(key);
  await page.keyboard.up('Control');
}
