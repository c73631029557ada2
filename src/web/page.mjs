// The page: starts the program in a Web Worker, shows what it writes, hands
// it the lines typed, and says when it is busy and when it has ended.
import { make_announcer } from './core/announcer.mjs';
import { messages_of } from './core/line_discipline.mjs';
import { dispatch } from './core/protocol.mjs';
import { make_report_reader } from './core/reports.mjs';
import * as statuses from './core/statuses.mjs';
import { compile_program } from './program.mjs';
import { make_console } from './view/console_view.mjs';
import { make_experiment_views } from './view/experiment_views.mjs';
import { connect_keyboard, key_button } from './view/keyboard.mjs';
import { launch_worker } from './worker_launcher.mjs';

// A roll shorter than this is not said to be under way: the status would
// come and go at every answer.
const noticeable_ms = 1000;

const element = (id) => document.getElementById(id);
const answer = element('answer');
const screen = element('terminal');
const status_line = element('status');
const spoken = element('spoken');
const controls = element('controls');
const restart = element('restart');
const stop = element('stop');
// The controls for a running program: Enter, End input and Stop.
const enter = element('enter');
const end_input = element('end-input');
const running_controls = [enter, end_input, stop];
const terminal = make_console(element('log'), screen);
const program_url = URL.createObjectURL(new Blob([element('program').textContent], { type: 'text/javascript' }));

const show_experiments = make_experiment_views({
  statistic: element('statistic'),
  counts: element('counts'),
  summary: element('summary'),
  table: element('experiments'),
  keys: { fair: element('key-fair'), mean: element('key-mean'), kept: element('kept') },
});

let program = null;  // the running program's worker, from launch_worker
let compiled = null;  // a promise of the compiled program, made once
let runs = 0;
let rolling_timer = null;

function set_status(text, busy) {
  clearTimeout(rolling_timer);
  status_line.textContent = text;
  status_line.classList.toggle('busy', busy);
}

// Whether the reader is elsewhere: focus is moved for them only when it is
// in `places`, or nowhere, so that one who has gone to read back in the
// console is not pulled away at the next prompt.
function focus_is_in(...places) {
  const active = document.activeElement;
  return active === null || active === document.body || places.includes(active);
}

// Focus goes to the answer field when the program waits, unless the reader
// is elsewhere (or `anyway`, after a click in the console, as a click in a
// terminal lets one type) or selecting text to copy.
function focus_answer(anyway) {
  const selection = window.getSelection();
  if ((anyway || focus_is_in(answer)) && (selection === null || selection.isCollapsed)) {
    answer.focus({ preventScroll: true });
  }
}

// While one types, the answer field and the controls below it (Stop among
// them) stay in view, above a phone's on-screen keyboard too.
function keep_in_view() {
  if (document.activeElement === answer) {
    controls.scrollIntoView({ block: 'nearest' });
  }
}

function show_controls(running) {
  for (const control of running_controls) {
    control.hidden = !running;
  }
  restart.hidden = running;
}

function ended(text) {
  if (program === null) {
    return;
  }
  program.terminate();
  program = null;
  terminal.flush();
  set_status(text, false);
  const had_focus = focus_is_in(answer, ...running_controls);
  answer.disabled = true;
  show_controls(false);
  if (had_focus) {
    restart.focus();
  }
}

// Ctrl-C, or the Stop button: the program ends at once, as SIGINT ends it
// in a terminal, which shows ^C after what was typed.
function interrupt(echo) {
  if (program === null) {
    return;
  }
  terminal.show(echo, 'echo');
  performance.mark('die_roll-interrupted');
  ended(statuses.interrupted);
}

function start() {
  runs += 1;
  if (runs > 1) {
    terminal.mark(`run ${runs}`);
  }
  show_controls(true);
  answer.disabled = false;
  answer.value = '';
  spoken.textContent = '';
  if (focus_is_in(restart)) {
    answer.focus({ preventScroll: true });
  }
  set_status(statuses.starting, true);
  const decoders = { 1: new TextDecoder(), 2: new TextDecoder() };
  const announcer = make_announcer();
  const read_reports = make_report_reader((experiment) => {
    show_experiments(experiment);
    announcer.report(experiment);
  });
  const handlers = {
    started(message) {
      program.started();
      performance.mark('die_roll-started', { detail: message.time });
    },
    output(message) {
      for (const [fd, bytes] of message.writes) {
        const text = decoders[fd].decode(bytes, { stream: true });
        terminal.show(text, fd === 1 ? 'output' : 'complaint');
        announcer.output(text, fd);
        if (fd === 1) {
          read_reports(text);
        }
      }
    },
    waiting() {
      performance.mark('die_roll-waiting');
      set_status('', false);
      const said = announcer.waiting();
      if (said !== null) {
        spoken.textContent = said;
      }
      focus_answer(false);
    },
    busy() {
      clearTimeout(rolling_timer);
      rolling_timer = setTimeout(() => set_status(statuses.rolling, true), noticeable_ms);
    },
    exit(message) {
      performance.mark('die_roll-exit', { detail: message.status });
      ended(statuses.ended(message.status));
    },
    failed(message) {
      ended(statuses.failed(message.reason));
    },
  };
  compiled ??= compile_program(element('wasm').textContent);
  const launched = launch_worker(program_url, compiled, (message) => dispatch(message, handlers), (event) => {
    event.preventDefault();
    ended(statuses.could_not_start(event.message));
  });
  program = launched;
  compiled.catch((reason) => {
    if (program === launched) {
      ended(statuses.failed(reason));
    }
  });
}

const perform = connect_keyboard(answer, (echo) => terminal.show(echo, 'echo'), (sent) => {
  if (sent.interrupt) {
    interrupt(sent.echo);
    return;
  }
  if (program === null) {
    return;
  }
  for (const message of messages_of(sent)) {
    program.send(message);
  }
  performance.mark('die_roll-answered');
  keep_in_view();
});
key_button(enter, answer, perform, 'line');
key_button(end_input, answer, perform, 'eof');
key_button(stop, answer, perform, 'interrupt');

// A click in the console lets one type, as in a terminal; a tap, which
// selects or scrolls there, leaves a phone's keyboard closed.
screen.addEventListener('pointerup', (event) => {
  if (event.pointerType === 'mouse' && !answer.disabled) {
    focus_answer(true);
  }
});
// A tap or click on the field, and a phone's keyboard opening, which
// shrinks the view, bring them into view; the focus that the page gives
// the field itself leaves the view where the browser put it.
answer.addEventListener('click', keep_in_view);
window.visualViewport?.addEventListener('resize', keep_in_view);
restart.addEventListener('click', start);

// A page left takes no program with it, whether it is closed or kept by
// the browser for Back and Forward: the run ends, said as a terminal's
// program ends when the terminal closes, and a page brought back shows so,
// with a new run a key or a tap away.
window.addEventListener('pagehide', () => ended(statuses.left));
window.addEventListener('pageshow', (event) => {
  if (event.persisted && program === null && !restart.hidden) {
    // Once the page is drawn again, when the browser has put back the
    // focus as it was, or lost it (WebKit's is lost until then).
    requestAnimationFrame(() => setTimeout(() => {
      if (focus_is_in()) {
        restart.focus();
      }
    }, 0));
  }
});

const missing = statuses.what_is_missing(globalThis.WebAssembly, globalThis.DecompressionStream);
if (missing === null) {
  start();
} else {
  answer.disabled = true;
  controls.hidden = true;
  set_status(missing, false);
}
