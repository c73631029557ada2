// The page: wires the run's life (core/run_life.mjs) to the program's Web
// Worker and to the views, and does what it says. Nothing is decided here.
import { dispatch } from './core/protocol.mjs';
import { make_run_life } from './core/run_life.mjs';
import { what_is_missing } from './core/statuses.mjs';
import { compile_program } from './program.mjs';
import { make_console } from './view/console_view.mjs';
import { make_experiment_views } from './view/experiment_views.mjs';
import { connect_keyboard, key_button } from './view/keyboard.mjs';
import { launch_worker } from './worker_launcher.mjs';

const element = (id) => document.getElementById(id);
const answer = element('answer');
const screen = element('terminal');
const status_line = element('status');
const status_box = element('status-line');
const spoken = element('spoken');
const controls = element('controls');
const restart = element('restart');
// The controls for a running program: Enter, End input and Stop.
const enter = element('enter');
const end_input = element('end-input');
const stop = element('stop');
const running_controls = [enter, end_input, stop];
const places = { answer: [answer], running: running_controls, restart: [restart], console: [screen] };

const life = make_run_life(() => performance.now());
// The views, made only where the browser can run the program: an older
// one is told why it cannot, and nothing more is asked of it.
let terminal = null;
let show_experiments = null;

let program = null;  // the running program's worker, from launch_worker
let program_url = null;  // the program's JavaScript as a Blob address, made once
let compiled = null;  // a promise of the compiled program, made once
let clock_timer = null;
let clock_at = Infinity;

// Whether the reader is in one of `names` (of `places`), or nowhere: focus
// is moved for them only then, so that one who has gone to read back in
// the console is not pulled away at the next prompt; nor while they select
// text to copy.
function focus_is_in(names) {
  const active = document.activeElement;
  return active === null || active === document.body || names.some((name) => places[name].includes(active));
}

function move_focus({ to, from }) {
  const selection = window.getSelection();
  if (focus_is_in(from) && (selection === null || selection.isCollapsed)) {
    places[to][0].focus({ preventScroll: true });
  }
}

// While one types, the answer field, at the end of the console, and the
// controls below it (Stop among them) stay in view, above a phone's
// on-screen keyboard too, which shrinks the console's box as well as the
// view.
function keep_in_view() {
  if (document.activeElement === answer) {
    screen.scrollTop = screen.scrollHeight;
    controls.scrollIntoView({ block: 'nearest' });
  }
}

function wake_at(at) {
  if (at >= clock_at) {
    return;
  }
  clearTimeout(clock_timer);
  clock_at = at;
  clock_timer = setTimeout(() => {
    clock_at = Infinity;
    apply(life.clock());
  }, Math.max(at - performance.now(), 0));
}

// Does what the run's life says, in this order: the worker stopped at
// once, the console and pictures brought up to date, the controls shown
// before the focus moves, what is said before the status, and a new
// worker last.
function apply(todo) {
  // (A worker that could not be made is none to end.)
  if (todo.terminate && program !== null) {
    program.terminate();
    program = null;
  }
  if (todo.mark !== undefined) {
    terminal.mark(todo.mark);
  }
  for (const [text, kind] of todo.show ?? []) {
    terminal.show(text, kind);
  }
  for (const message of todo.send ?? []) {
    program.send(message);
  }
  if (todo.send?.length > 0) {
    performance.mark('die_roll-answered');
  }
  if (todo.flush) {
    terminal.flush();
  }
  if (todo.experiments?.length > 0) {
    show_experiments(todo.experiments);
  }
  if (todo.field !== undefined) {
    answer.disabled = !todo.field;
    if (todo.field) {
      answer.value = '';
    }
  }
  if (todo.controls !== undefined) {
    for (const [name, state] of Object.entries(todo.controls)) {
      for (const control of places[name]) {
        control.hidden = state === 'hidden';
        control.classList.toggle('leaving', state === 'leaving');
      }
    }
    controls.hidden = Object.values(todo.controls).every((state) => state === 'hidden');
  }
  if (todo.focus !== undefined) {
    move_focus(todo.focus);
  }
  if (todo.say !== undefined) {
    spoken.textContent = todo.say;
  }
  if (todo.status !== undefined) {
    status_line.textContent = todo.status.text;
    status_box.classList.toggle('busy', todo.status.busy);
  }
  if (todo.reveal) {
    keep_in_view();
  }
  if (todo.wake_at !== undefined) {
    wake_at(todo.wake_at);
  }
  if (todo.launch) {
    launch();
  }
}

// What the program's worker says (core/protocol.mjs), and the marks that
// the browser test and the benchmark time it by.
const heard = {
  started(message) {
    program.started();
    performance.mark('die_roll-started', { detail: message.time });
    apply(life.started());
  },
  output: (message) => apply(life.output(message.writes)),
  waiting() {
    performance.mark('die_roll-waiting');
    apply(life.waiting());
  },
  busy: () => apply(life.busy()),
  exit(message) {
    performance.mark('die_roll-exit', { detail: message.status });
    apply(life.exit(message.status));
  },
  failed: (message) => apply(life.failed(message.reason)),
};

// A new run's worker. A browser without workers, one whose policy forbids
// them, or one without Blob addresses, throws here: it could not start.
function launch() {
  try {
    program_url ??= URL.createObjectURL(new Blob([element('program').textContent], { type: 'text/javascript' }));
    compiled ??= compile_program(element('wasm').textContent);
    const launched = launch_worker(program_url, compiled, (message) => dispatch(message, heard), (event) => {
      event.preventDefault();
      apply(life.could_not_start(event.message));
    });
    program = launched;
    compiled.catch((reason) => {
      if (program === launched) {
        apply(life.failed(reason));
      }
    });
  } catch (error) {
    apply(life.could_not_start(error instanceof Error ? error.message : String(error)));
  }
}

function connect() {
  terminal = make_console(element('log'), screen);
  show_experiments = make_experiment_views({
    statistic: element('statistic'),
    counts: element('counts'),
    summary: element('summary'),
    table: element('experiments'),
    keys: { fair: element('key-fair'), mean: element('key-mean'), kept: element('kept') },
  });
  const perform = connect_keyboard(answer, (result) => apply(life.typed(result)));
  key_button(enter, answer, perform, 'line');
  key_button(end_input, answer, perform, 'eof');
  key_button(stop, answer, perform, 'interrupt');
  restart.addEventListener('click', () => apply(life.restart()));

  // A click in the console lets one type, as in a terminal; a tap, which
  // selects or scrolls there, leaves a phone's keyboard closed.
  screen.addEventListener('pointerup', (event) => {
    if (event.pointerType === 'mouse' && !answer.disabled) {
      move_focus({ to: 'answer', from: ['answer', 'running', 'restart', 'console'] });
    }
  });
  // A tap or click on the field, and a phone's keyboard opening or a turn
  // of the phone, which shrink the view, bring them into view; the focus
  // that the page gives the field itself leaves the view where the
  // browser put it.
  answer.addEventListener('click', keep_in_view);
  window.visualViewport?.addEventListener('resize', keep_in_view);

  window.addEventListener('pagehide', () => apply(life.left()));
  window.addEventListener('pageshow', (event) => {
    if (event.persisted) {
      // Once the page is drawn again, when the browser has put back the
      // focus as it was, or lost it (WebKit's is lost until then).
      requestAnimationFrame(() => setTimeout(() => apply(life.back()), 0));
    }
  });
}

// What the browser lacks is found out before anything else is asked of it.
const missing = what_is_missing(globalThis.WebAssembly, globalThis.DecompressionStream);
if (missing === null) {
  connect();
}
apply(life.open(missing));
