// The run's life: what the page does from its opening to each run's end,
// on a page that is only a record of what it was told to do.
import assert from 'node:assert/strict';
import { describe, test } from 'node:test';
import { act, paste } from '../../src/web/core/line_discipline.mjs';
import { linger_ms, make_run_life, noticeable_ms } from '../../src/web/core/run_life.mjs';

const prompt = 'How many times do you want to roll the die (enter 0 to quit): ';
const report = (counts, statistic) => `\nThe observed counts: ${counts.join(' ')} \n\nChi-squared = ${statistic}\n\n`;
const ended = (status) => `die_roll has ended, with exit status ${status}.`;
const interrupted = 'die_roll was interrupted (Stop or Ctrl-C), with exit status 130.';
const left = 'die_roll ended when the page was left, as a program ends when its terminal closes, with exit status 129.';
const encoded = (text) => new TextEncoder().encode(text);

// Runs `events` through a new run's life and keeps what the page would
// show: the console's text, what is said (in order), the status, the
// messages sent, the controls, where the focus is (null: nowhere), and
// `happened`, the page's actions in order.
function page_after(events) {
  let time = 0;
  let wake = Infinity;
  const life = make_run_life(() => time);
  const page = {
    console: '', said: [], sent: [], status: '', busy: false, field: false, controls: 'Enter End Stop',
    focus: null, launches: 0, terminated: 0, experiments: 0, happened: [],
  };
  const places = { answer: 'answer', running: 'Stop', restart: 'Start a new run' };
  const controls = { running: 'Enter End Stop', restart: 'Start a new run' };
  function apply(todo) {
    page.terminated += todo.terminate ? 1 : 0;
    page.console += todo.mark !== undefined ? `[${todo.mark}]` : '';
    page.console += (todo.show ?? []).map(([text]) => text).join('');
    page.sent.push(...(todo.send ?? []).map((m) => (m.kind === 'input' ? new TextDecoder().decode(m.bytes) : m.kind)));
    page.experiments += todo.experiments?.length ?? 0;
    if (todo.field !== undefined) {
      page.field = todo.field;
    }
    if (todo.controls !== undefined) {
      const names = (state) => Object.keys(places).filter((name) => todo.controls[name] === state).map((name) => controls[name]);
      page.controls = names('shown').join(' ');
      const leaving = names('leaving');
      page.happened.push(`controls: ${page.controls}${leaving.length > 0 ? `, leaving ${leaving.join(' ')}` : ''}`);
    }
    if (todo.focus !== undefined && (page.focus === null || todo.focus.from.some((from) => places[from] === page.focus))) {
      page.focus = places[todo.focus.to];
      page.happened.push(`focus: ${page.focus}`);
    }
    if (todo.say !== undefined) {
      page.said.push(todo.say);
    }
    if (todo.status !== undefined) {
      [page.status, page.busy] = [todo.status.text, todo.status.busy];
    }
    wake = Math.min(wake, todo.wake_at ?? Infinity);
    page.launches += todo.launch ? 1 : 0;
  }
  // The events that are not the run's life's own methods by name.
  const does = {
    open: (missing = null) => life.open(missing),
    out: (text) => life.output([[1, encoded(text)]]),
    err: (text) => life.output([[2, encoded(text)]]),
    type: (action, line = '') => life.typed(act(action, line)),
    paste: (text) => life.typed(paste('', 0, 0, text)),
    // The reader moves the focus elsewhere, or the browser loses it.
    elsewhere: () => { page.focus = 'elsewhere'; return {}; },
    lost: () => { page.focus = null; return {}; },
  };
  for (const [kind, ...args] of events) {
    if (kind === 'wait' || kind === 'early') {
      // A timer may come a little before its time by the page's clock.
      time += args[0];
      if (time >= wake || kind === 'early') {
        wake = Infinity;
        apply(life.clock());
      }
    } else {
      apply((does[kind] ?? life[kind])(...args));
    }
  }
  return page;
}

// The program started, at its first prompt.
const at_prompt = [['open'], ['started'], ['out', prompt], ['waiting'], ['wait', linger_ms]];
// An answer of 600, its report, and the next prompt.
const six_hundred = [['type', 'line', '600'], ['busy'], ['out', report([97, 95, 104, 102, 101, 101], '0.56') + prompt], ['waiting']];
const said_600 = '600 rolls: the observed counts: 97 95 104 102 101 101. Chi-squared = 0.56.';

describe('the run', () => {
  // [name, events, what the page then shows (only the fields given)]
  const cases = [
    ['opened: starting, the field and its controls ready, a worker launched', [['open']],
      { status: 'Starting…', busy: true, field: true, controls: 'Enter End Stop', focus: 'answer', launches: 1 }],
    ['in a browser that cannot run it: told why, no field, no controls, no worker', [['open', 'This browser cannot run die_roll.']],
      { status: 'This browser cannot run die_roll.', field: false, controls: '', launches: 0 }],
    ['at the first prompt: nothing said, as the field is named by it', at_prompt,
      { status: '', busy: false, said: ['Starting…'], console: prompt }],
    ['one answer: echoed, sent, and its report said with its rolls, then the prompt', [...at_prompt, ...six_hundred],
      { said: ['Starting…', `${said_600} ${prompt.trim()}`], sent: ['600\n'], experiments: 1 }],
    ['a complaint, said with the prompt again', [...at_prompt, ['type', 'line', 'x'], ['busy'], ['err', 'No number.\n'], ['out', prompt], ['waiting']],
      { said: ['Starting…', `No number. ${prompt.trim()}`], console: `${prompt}x\nNo number.\n${prompt}` }],
    ['a key typed before the program starts: sent, to be read in turn', [['open'], ['type', 'line', '7']],
      { sent: ['7\n'], console: '7\n' }],
    ['"600 0": the last report said before the end is', [...at_prompt, ['type', 'line', '600 0'], ['busy'],
      ['out', report([97, 95, 104, 102, 101, 101], '0.56') + prompt], ['exit', 0]],
    { said: ['Starting…', `${said_600} ${ended(0)}`], terminated: 1 }],
    ['an answer, then End input: the report said before the end', [...at_prompt, ['type', 'line', '600'], ['type', 'eof'], ['busy'],
      ['out', report([97, 95, 104, 102, 101, 101], '0.56') + prompt], ['exit', 0]],
    { sent: ['600\n', 'end'], said: ['Starting…', `${said_600} ${ended(0)}`] }],
    ['a roll of a second or more: "Rolling…" then', [...at_prompt, ['type', 'line', '2147483647'], ['busy'], ['wait', noticeable_ms - 1]],
      { status: '' }],
    ['a roll of a second or more: "Rolling…" at the second', [...at_prompt, ['type', 'line', '2147483647'], ['busy'], ['wait', noticeable_ms]],
      { status: 'Rolling…', busy: true, said: ['Starting…', 'Rolling…'] }],
    ['a timer a little early: "Rolling…" all the same', [...at_prompt, ['type', 'line', '2147483647'], ['busy'], ['early', noticeable_ms - 1], ['wait', 1]],
      { status: 'Rolling…', busy: true }],
    ['a shorter roll: no "Rolling…" after it', [...at_prompt, ...six_hundred, ['wait', 2 * noticeable_ms]],
      { status: '', busy: false }],
    ['the end: status 0, the field closed, Start a new run focused', [...at_prompt, ['type', 'line', '0'], ['busy'], ['exit', 0], ['wait', linger_ms]],
      { status: ended(0), field: false, controls: 'Start a new run', focus: 'Start a new run', terminated: 1 }],
    ['out of memory: status 134', [...at_prompt, ['failed', 'RuntimeError: Aborted(OOM)']],
      { status: 'die_roll ran out of memory in this browser and was stopped, with exit status 134.', field: false }],
    ['Ctrl-C: ^C after what was typed, status 130', [...at_prompt, ['type', 'interrupt', '12']],
      { console: `${prompt}12^C\n`, status: interrupted, terminated: 1, sent: [] }],
    ['a pasted Ctrl-C: the lines before it sent, then the interrupt', [...at_prompt, ['paste', '5\n6\u00037\n']],
      { console: `${prompt}5\n6^C\n`, sent: ['5\n'], status: interrupted }],
    ['a pasted Ctrl-D: the end of input in its place', [...at_prompt, ['paste', '3\n\u00044\n']],
      { console: `${prompt}3\n4\n`, sent: ['3\n', 'end', '4\n'] }],
    ['the page left: status 129', [...at_prompt, ['left']], { status: left, field: false, terminated: 1 }],
    ['no Worker: told so, status 126, the field closed, nothing echoed after', [['open'], ['could_not_start', 'Worker is not defined'], ['type', 'line', '5']],
      { status: 'die_roll could not start in this browser, so it ended with exit status 126. (The browser said: Worker is not defined)',
        field: false, console: '', sent: [], terminated: 1 }],
    ['after the end: nothing typed is echoed or sent, nothing the worker says is heard',
      [...at_prompt, ['exit', 0], ['type', 'line', '5'], ['out', 'late'], ['waiting'], ['busy'], ['wait', 2 * noticeable_ms]],
      { console: prompt, sent: [], status: ended(0), terminated: 1 }],
    ['an end after an end: said once', [...at_prompt, ['exit', 0], ['left'], ['failed', 'late']],
      { said: ['Starting…', ended(0)], terminated: 1 }],
    ['a new run: a mark, Starting…, nothing said of the old run', [...at_prompt, ...six_hundred, ['exit', 0], ['restart']],
      { console: `${prompt}600\n${report([97, 95, 104, 102, 101, 101], '0.56')}${prompt}[run 2]`, status: 'Starting…', launches: 2, field: true }],
    ['Start a new run pressed twice: one run', [...at_prompt, ['exit', 0], ['restart'], ['restart']], { launches: 2 }],
    ['the focus where the reader went is left there', [...at_prompt, ['elsewhere'], ['exit', 0], ['restart'], ['waiting']],
      { focus: 'elsewhere' }],
  ];
  for (const [name, events, expected] of cases) {
    test(name, () => {
      const page = page_after(events);
      assert.deepEqual(Object.fromEntries(Object.keys(expected).map((key) => [key, page[key]])), expected);
    });
  }
});

describe('the focus and the controls', () => {
  // Firefox would tell Orca of the button's removal first, and Orca would
  // stay in browse mode, taking typed digits as its own commands.
  const cases = [
    ['a new run: the field has the focus while Start a new run is still there, which goes a moment later',
      [...at_prompt, ['exit', 0], ['wait', linger_ms], ['restart'], ['wait', linger_ms]],
      ['controls: Start a new run', 'controls: Enter End Stop, leaving Start a new run', 'focus: answer', 'controls: Enter End Stop']],
    ['the end: Start a new run has the focus while Stop is still there',
      [...at_prompt, ['exit', 0], ['wait', linger_ms]],
      ['controls: Start a new run, leaving Enter End Stop', 'focus: Start a new run', 'controls: Start a new run']],
    ['the page brought back after it was left: Start a new run focused, then a new run the same way',
      [...at_prompt, ['left'], ['wait', linger_ms], ['lost'], ['back'], ['restart'], ['wait', linger_ms]],
      ['focus: Start a new run', 'controls: Enter End Stop, leaving Start a new run', 'focus: answer', 'controls: Enter End Stop']],
  ];
  for (const [name, events, expected] of cases) {
    test(name, () => assert.deepEqual(page_after(events).happened.slice(-expected.length), expected));
  }
});
