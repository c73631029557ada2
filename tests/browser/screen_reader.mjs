// What a real screen reader says of the page: Orca (43, as Debian 12 ships
// it) in Firefox and Chromium on a virtual display, with keys typed and
// text pasted as a person does, through the X server, where Orca hears
// them before the page does. What Orca says is read from its debug
// output, a "SPEECH OUTPUT" line an utterance, as it is written.
//
//   dbus-run-session -- node tests/browser/screen_reader.mjs PAGE.html BROWSER...
//
// BROWSER is chromium or firefox. It needs Xvfb, openbox, orca,
// speech-dispatcher-espeak-ng, xdotool and xclip (.ci/install.sh).
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';
import * as statuses from '../../src/web/core/statuses.mjs';
import { browsers, complaint, escaped, prompt, screen_of, wait_for_waits } from './browsers.mjs';

const [page_path, ...browser_names] = process.argv.slice(2);
if (browser_names.length === 0 || !process.env.DBUS_SESSION_BUS_ADDRESS) {
  console.error('usage: dbus-run-session -- node screen_reader.mjs PAGE.html BROWSER...');
  process.exit(2);
}
const question = prompt.trim();
// The answer field, as Orca names it when it has the focus: by the question.
const field = `${question.replace(/:$/, '')} entry`;
const a_report = /^(\d[\d,]*) rolls?: the observed counts: ((?:\d+ ){5}\d+)\. Chi-squared = ([^ ]+)\./;

const pause = (ms) => new Promise((resolve) => { setTimeout(resolve, ms); });

// Starts `command` in a process group of its own, so that it and what it
// starts can be ended together.
function start(command, args, options) {
  return spawn(command, args, { detached: true, ...options });
}
function end(child) {
  try {
    process.kill(-child.pid, 'SIGTERM');
  } catch {
    // Ended already.
  }
}

// A display of its own (Xvfb picks a free number), a window manager, and
// Orca speaking through speech-dispatcher's espeak-ng into ALSA's null
// device: with no sound device, its PulseAudio output would hang, and
// Orca with it. Orca writes its debug output to a terminal, which Python
// flushes at every line, where a file would be flushed only at the end.
async function start_desktop() {
  const home = fs.mkdtempSync(path.join(os.tmpdir(), 'die_roll-screen-reader-'));
  const env = {
    ...process.env, HOME: home, XDG_CONFIG_HOME: path.join(home, 'config'),
    XDG_RUNTIME_DIR: path.join(home, 'run'), GNOME_ACCESSIBILITY: '1',
  };
  delete env.NO_AT_BRIDGE;
  fs.mkdirSync(path.join(env.XDG_CONFIG_HOME, 'speech-dispatcher'), { recursive: true });
  fs.mkdirSync(env.XDG_RUNTIME_DIR, { mode: 0o700 });
  fs.writeFileSync(path.join(home, '.asoundrc'), 'pcm.!default { type null }\n');
  fs.writeFileSync(path.join(env.XDG_CONFIG_HOME, 'speech-dispatcher', 'speechd.conf'),
    'AudioOutputMethod "alsa"\nAddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"\nDefaultModule espeak-ng\n');

  const xvfb = start('Xvfb', ['-displayfd', '3', '-screen', '0', '1280x900x24', '-nolisten', 'tcp'],
    { stdio: ['ignore', 'ignore', 'inherit', 'pipe'] });
  env.DISPLAY = `:${await new Promise((resolve, reject) => {
    xvfb.stdio[3].once('data', (data) => resolve(String(data).trim()));
    xvfb.once('exit', (code) => reject(new Error(`Xvfb ended with ${code}`)));
  })}`;
  const children = [xvfb, start('openbox', [], { env, stdio: 'ignore' })];

  const said = [];
  let pending = '';
  // The last lines Orca wrote, for a failure to show.
  let last_lines = [];
  const orca = start('script', ['-qfec', `orca -u ${path.join(home, 'orca')} --debug-file=/dev/stdout`, '/dev/null'],
    { env, stdio: ['ignore', 'pipe', 'ignore'] });
  children.push(orca);
  orca.stdout.on('data', (data) => {
    const lines = (pending + data).split(/\r?\n/);
    pending = lines.pop();
    last_lines = last_lines.concat(lines).slice(-20);
    for (const line of lines) {
      const utterance = /SPEECH OUTPUT: '(.*)'(?: ?\{[^}]*\})?\s*$/.exec(line);
      if (utterance !== null) {
        said.push(utterance[1]);
      }
    }
  });
  const desktop = {
    env, said,
    // Ends what the desktop started, Orca first and for good (a second
    // Orca of this user's will not start), and the speech server that
    // Orca started.
    async stop() {
      const orcas = () => {
        try {
          return execFileSync('pgrep', ['-P', String(orca.pid)], { encoding: 'utf8' }).split('\n').filter(Boolean).map(Number);
        } catch {
          return [];
        }
      };
      orcas().forEach((pid) => process.kill(pid, 'SIGTERM'));
      for (let wait = 0; wait < 100 && orcas().length > 0; wait++) {
        await pause(100);
      }
      orcas().forEach((pid) => process.kill(pid, 'SIGKILL'));
      children.reverse().forEach(end);
      const pid_file = path.join(env.XDG_RUNTIME_DIR, 'speech-dispatcher', 'pid', 'speech-dispatcher.pid');
      try {
        process.kill(Number(fs.readFileSync(pid_file, 'utf8')), 'SIGTERM');
      } catch {
        // Not started, or ended.
      }
      fs.rmSync(home, { recursive: true, force: true });
    },
  };
  try {
    await until(desktop, 0, 'Orca to start', (news) => news.includes('Screen reader on.'), 30000);
  } catch (error) {
    await desktop.stop();
    error.message += `; Orca's last lines: ${JSON.stringify(last_lines)}`;
    throw error;
  }
  return desktop;
}

// Waits until `holds(what Orca said since utterance number `from`, all
// it said)`; returns the first.
async function until(desktop, from, awaited, holds, timeout = 20000) {
  const deadline = Date.now() + timeout;
  for (;;) {
    const news = desktop.said.slice(from);
    if (holds(news, desktop.said)) {
      return news;
    }
    if (Date.now() > deadline) {
      throw new Error(`waited for ${awaited}; Orca said ${JSON.stringify(news)}`);
    }
    await pause(100);
  }
}

// Keys as a person types them, into the window that has the focus:
// ['type', '600'] or ['key', 'Return'].
function press(desktop, ...actions) {
  for (const [how, what] of actions) {
    execFileSync('xdotool', how === 'type' ? ['type', '--delay', '50', what] : ['key', what], { env: desktop.env });
  }
}

// Puts `text` on the clipboard, and pastes it with Ctrl-V.
async function paste(desktop, text) {
  const clipboard = start('xclip', ['-selection', 'clipboard', '-quiet'], { env: desktop.env, stdio: ['pipe', 'ignore', 'ignore'] });
  clipboard.stdin.end(text);
  await pause(300);
  press(desktop, ['key', 'ctrl+v']);
  return clipboard;
}

// A click on the element `id`, where it stands on the screen.
async function click(desktop, page, id) {
  const [x, y] = await page.evaluate((target) => {
    const r = document.getElementById(target).getBoundingClientRect();
    const left = window.mozInnerScreenX ?? window.screenX + (window.outerWidth - window.innerWidth) / 2;
    const top = window.mozInnerScreenY ?? window.screenY + window.outerHeight - window.innerHeight;
    return [Math.round(left + r.left + Math.min(r.width / 2, 10)), Math.round(top + r.top + r.height / 2)];
  }, id);
  execFileSync('xdotool', ['mousemove', String(x), String(y), 'click', '1'], { env: desktop.env });
}

const reports_in = (news) => news.filter((utterance) => a_report.test(utterance));
// Whether Orca has said that the answer field has the focus, and then that
// it lets keys through to it: in browse mode it takes digits as its own
// commands (6: the next heading of level 6).
// (Orca says so when it changes modes, which may be before the field is
// named, as when the page gave it the focus.)
function in_the_field(news, all) {
  const modes = all.filter((u) => u === 'Focus mode' || u === 'Browse mode');
  return news.some((u) => u.startsWith(field)) && modes[modes.length - 1] === 'Focus mode';
}

describe('Orca', () => {
  let desktop;
  before(async () => {
    desktop = await start_desktop();
  });
  after(() => desktop?.stop());

  for (const browser_name of browser_names) {
    test(`in ${browser_name}: reports with their rolls, a complaint, a paste, the last report before the end, a new run typed into, Ctrl-C`,
      { timeout: 300000 }, async () => {
        const options = browsers[browser_name];
        const browser = await puppeteer.launch({
          ...options, headless: false, env: desktop.env, protocolTimeout: 60000,
          args: [...(options.args ?? []), ...(browser_name === 'chromium' ? ['--force-renderer-accessibility'] : [])],
        });
        try {
          const page = (await browser.pages())[0] ?? await browser.newPage();
          await page.goto(pathToFileURL(path.resolve(page_path)).href);
          await wait_for_waits(page, 1);
          let from = desktop.said.length;
          await click(desktop, page, 'answer');
          await until(desktop, from, 'the field, in focus mode', in_the_field);

          // One answer: its report once, named by its rolls, with the
          // prompt after it, as the console shows it.
          from = desktop.said.length;
          press(desktop, ['type', '600'], ['key', 'Return']);
          await until(desktop, from, 'the report of 600', (n) => reports_in(n).length > 0);
          // Once, a second later too.
          await pause(1000);
          let news = desktop.said.slice(from);
          const [, counts, statistic] = (await screen_of(page)).match(/counts: ((?:\d+ ){6})\n\nChi-squared = ([^\n]+)\n/);
          assert.deepEqual(reports_in(news),
            [`600 rolls: the observed counts: ${counts.trim()}. Chi-squared = ${statistic}. ${question}`]);

          // A bad answer: the complaint, then the question again.
          from = desktop.said.length;
          press(desktop, ['type', 'x'], ['key', 'Return']);
          await until(desktop, from, 'the complaint', (n) => n.includes(`${complaint.trim()} ${question}`));

          // A paste of 2,000 answers: one short summary.
          from = desktop.said.length;
          const clipboard = await paste(desktop, '1\n'.repeat(2000));
          await until(desktop, from, 'the summary of the paste', (n) => n.some((u) => u.startsWith('2,000 reports; the last, 1 roll: ')), 60000);
          end(clipboard);
          await pause(1000);
          news = desktop.said.slice(from).filter((u) => /report|roll/.test(u));
          assert.equal(news.length, 1, JSON.stringify(news));
          assert.ok(news[0].length <= 1000, news[0]);

          // "600 0": the last report said before the end is, in one breath.
          from = desktop.said.length;
          press(desktop, ['type', '600 0'], ['key', 'Return']);
          const report_then_end = new RegExp(`^600 rolls: the observed counts: [\\d ]+\\. Chi-squared = [^ ]+\\. ${escaped(statuses.ended(0))}$`);
          await until(desktop, from, 'the report and the end', (n) => n.some((u) => report_then_end.test(u)));

          // A new run from the keyboard (the focus is on Start a new run),
          // and an answer typed as soon as Orca lets keys through to the
          // field: it reaches the program whole.
          from = desktop.said.length;
          press(desktop, ['key', 'Return']);
          await until(desktop, from, 'the field of the new run, in focus mode', in_the_field);
          from = desktop.said.length;
          press(desktop, ['type', '600'], ['key', 'Return']);
          news = await until(desktop, from, 'the report of the new run', (n) => reports_in(n).length > 0);
          assert.match(reports_in(news)[0], /^600 rolls: /);

          // Ctrl-C.
          from = desktop.said.length;
          press(desktop, ['type', '12'], ['key', 'ctrl+c']);
          await until(desktop, from, 'the interrupt', (n) => n.includes(statuses.interrupted));
          assert.equal(await page.$eval('#status', (status) => status.textContent), statuses.interrupted);
          // The hourglass beside "Starting…" and "Rolling…" is not read.
          assert.deepEqual(desktop.said.filter((u) => /hourglass/i.test(u)), []);
        } finally {
          await browser.close();
        }
      });
  }
});
