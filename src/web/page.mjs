// The page: starts the program in a Web Worker, shows what it writes, hands
// it the lines typed, and says when it is busy and when it has ended.
import { act, messages_of } from './core/line_discipline.mjs';
import { dispatch } from './core/protocol.mjs';
import { make_report_reader } from './core/reports.mjs';
import * as statuses from './core/statuses.mjs';
import { make_console } from './view/console_view.mjs';
import { make_experiment_views } from './view/experiment_views.mjs';
import { connect_keyboard } from './view/keyboard.mjs';
import { launch_worker } from './worker_launcher.mjs';

const element = (id) => document.getElementById(id);
const log = element('log');
const answer = element('answer');
const screen = element('terminal');
const status_line = element('status');
const restart = element('restart');
const stop = element('stop');
const terminal = make_console(log, screen);
const program_url = URL.createObjectURL(new Blob([element('program').textContent], { type: 'text/javascript' }));

const show_experiments = make_experiment_views({
  statistic: element('statistic'),
  counts: element('counts'),
  summary: element('summary'),
  table: element('experiments'),
  keys: { fair: element('key-fair'), mean: element('key-mean'), kept: element('kept') },
});

let program = null;  // the running program's worker, from launch_worker
let runs = 0;

function set_status(text, busy) {
  status_line.textContent = text;
  status_line.classList.toggle('busy', busy);
  log.setAttribute('aria-busy', String(busy));
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

function ended(text) {
  if (program === null) {
    return;
  }
  program.terminate();
  program = null;
  terminal.flush();
  set_status(text, false);
  const had_focus = focus_is_in(answer, stop);
  answer.disabled = true;
  stop.hidden = true;
  restart.hidden = false;
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
  restart.hidden = true;
  stop.hidden = false;
  answer.disabled = false;
  answer.value = '';
  if (focus_is_in(restart)) {
    answer.focus({ preventScroll: true });
  }
  set_status(statuses.starting, true);
  const decoders = { 1: new TextDecoder(), 2: new TextDecoder() };
  const read_reports = make_report_reader(show_experiments);
  const handlers = {
    started(message) {
      program.started();
      performance.mark('die_roll-started', { detail: message.time });
    },
    output(message) {
      for (const [fd, bytes] of message.writes) {
        const text = decoders[fd].decode(bytes, { stream: true });
        terminal.show(text, fd === 1 ? 'output' : 'complaint');
        if (fd === 1) {
          read_reports(text);
        }
      }
    },
    waiting() {
      performance.mark('die_roll-waiting');
      set_status('', false);
      focus_answer(false);
    },
    busy() {
      set_status(statuses.rolling, true);
    },
    exit(message) {
      performance.mark('die_roll-exit', { detail: message.status });
      ended(statuses.ended(message.status));
    },
    failed(message) {
      ended(statuses.failed(message.reason));
    },
  };
  program = launch_worker(program_url, (message) => dispatch(message, handlers), (event) => {
    event.preventDefault();
    ended(statuses.could_not_start(event.message));
  });
}

connect_keyboard(answer, (echo) => terminal.show(echo, 'echo'), (sent) => {
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
});

screen.addEventListener('mouseup', () => {
  if (!answer.disabled) {
    focus_answer(true);
  }
});
restart.addEventListener('click', start);
stop.addEventListener('click', () => {
  const sent = act('interrupt', answer.value);
  answer.value = sent.keep;
  interrupt(sent.echo);
});
// Nothing is left running when the page goes.
window.addEventListener('pagehide', () => {
  if (program !== null) {
    program.terminate();
  }
});

const missing = statuses.what_is_missing(globalThis.WebAssembly);
if (missing === null) {
  start();
} else {
  answer.disabled = true;
  stop.hidden = true;
  set_status(missing, false);
}
