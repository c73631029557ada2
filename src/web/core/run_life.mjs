// The life of the program's runs in the page, in one state: it takes what
// happens (the page opened, the program's messages, what is typed, the page
// left and brought back, a worker that cannot start, the clock) and returns
// what the page must do, which page.mjs carries out and nothing more.
//
// What the page must do, each field only where there is something to do:
//   launch       start a new run's worker (after the rest is done)
//   terminate    end the worker
//   send         messages of protocol.mjs for the worker
//   show         [text, kind] for the console: 'output', 'complaint', 'echo'
//   mark         a new run's name, to end the console's text with
//   flush        show everything queued now
//   experiments  the experiments read out of the reports just shown
//   say          what a screen reader is told now, in one live region, so
//                that what is said keeps its order: Firefox may tell Orca
//                of a change to a second region first, and then Orca said
//                a run's end and never the report just before it
//   status       { text, busy }: shown, and said (in `say`) unless empty
//   field        whether the answer field takes input
//   controls     { running, restart }: whether Enter, End input and Stop,
//                and Start a new run, are 'shown', 'hidden', or 'leaving':
//                out of sight and out of the way, but still there for a
//                screen reader, for a moment (see linger_ms)
//   focus        { to, from }: move the focus to 'answer' or 'restart' if it
//                is in one of `from` ('answer', 'running', 'restart') or
//                nowhere
//   reveal       keep the answer field and the controls in view
//   wake_at      call clock() at this time (ms)
import { make_announcer } from './announcer.mjs';
import { messages_of } from './line_discipline.mjs';
import { make_report_reader } from './reports.mjs';
import * as statuses from './statuses.mjs';

// A roll shorter than this is not said to be under way: the status would
// come and go at every answer.
export const noticeable_ms = 1000;

// How long a control that the focus has just left stays in the
// accessibility tree. Firefox tells a screen reader of a focused control's
// removal before the focus that moved away from it, and Orca 43 then takes
// the focus event as one it has had: it stays in browse mode, where typed
// digits are its own commands (1 to 6 go to headings), and an answer of
// 600 reached the program as "00". A control removed a moment later leaves
// the focus event first; meanwhile it is out of sight, so that nothing
// moves under a pointer.
export const linger_ms = 100;

const no_controls = { running: 'hidden', restart: 'hidden' };

// `now()` is the clock in ms.
export function make_run_life(now) {
  // 'new' (not opened yet), 'unsupported' (this browser cannot run the
  // program), 'starting', 'running' (the worker has started) or 'ended'.
  let phase = 'new';
  let runs = 0;
  let controls = no_controls;
  // When the controls leaving are hidden, or null.
  let leaving_until = null;
  // When the program last went on with input, while it has not waited
  // since; whether "Rolling…" is shown for it.
  let busy_since = null;
  let rolling_said = false;
  let decoders;
  let announcer;
  let read_reports;
  let found = [];

  const running = () => phase === 'starting' || phase === 'running';

  // Shows `text` as the status, and says it after what `todo` says already.
  function set_status(todo, text, busy) {
    todo.status = { text, busy };
    if (text !== '') {
      todo.say = todo.say === undefined ? text : `${todo.say} ${text}`;
    }
  }

  // Shows the controls wanted (Enter, End input and Stop; Start a new run)
  // and moves the focus; one that goes leaves for a moment.
  function set_controls(todo, with_running, with_restart, focus) {
    const state = (wanted, was) => (wanted ? 'shown' : was === 'shown' ? 'leaving' : 'hidden');
    controls = { running: state(with_running, controls.running), restart: state(with_restart, controls.restart) };
    todo.controls = controls;
    todo.focus = focus;
    leaving_until = Object.values(controls).includes('leaving') ? now() + linger_ms : null;
    if (leaving_until !== null) {
      todo.wake_at = leaving_until;
    }
  }

  function start() {
    const todo = { launch: true };
    phase = 'starting';
    runs += 1;
    if (runs > 1) {
      todo.mark = `run ${runs}`;
    }
    decoders = { 1: new TextDecoder(), 2: new TextDecoder() };
    announcer = make_announcer();
    read_reports = make_report_reader((experiment) => {
      found.push(experiment);
      announcer.report(experiment);
    });
    todo.field = true;
    set_status(todo, statuses.starting, true);
    set_controls(todo, true, false, { to: 'answer', from: ['restart'] });
    return todo;
  }

  // The run ends, said by `text`; what the program reported since it last
  // waited is said before.
  function end(text, todo = {}) {
    if (!running()) {
      return todo;
    }
    phase = 'ended';
    busy_since = null;
    todo.terminate = true;
    todo.flush = true;
    const said = announcer.ended();
    if (said !== null) {
      todo.say = said;
    }
    set_status(todo, text, false);
    todo.field = false;
    set_controls(todo, false, true, { to: 'restart', from: ['answer', 'running'] });
    return todo;
  }

  return {
    // The page opened; `missing` says why this browser cannot run the
    // program (statuses.what_is_missing), or is null.
    open(missing) {
      if (missing === null) {
        return start();
      }
      phase = 'unsupported';
      const todo = { field: false, controls: no_controls };
      set_status(todo, missing, false);
      return todo;
    },
    // Start a new run, pressed.
    restart: () => (phase === 'ended' ? start() : {}),

    // The program's messages (protocol.mjs's to_page).
    started() {
      if (phase === 'starting') {
        phase = 'running';
      }
      return {};
    },
    output(writes) {
      if (!running()) {
        return {};
      }
      const show = [];
      for (const [fd, bytes] of writes) {
        const text = decoders[fd].decode(bytes, { stream: true });
        show.push([text, fd === 1 ? 'output' : 'complaint']);
        announcer.output(text, fd);
        if (fd === 1) {
          read_reports(text);
        }
      }
      const experiments = found;
      found = [];
      return { show, experiments };
    },
    waiting() {
      if (!running()) {
        return {};
      }
      busy_since = null;
      const todo = { focus: { to: 'answer', from: ['answer'] } };
      const said = announcer.waiting();
      if (said !== null) {
        todo.say = said;
      }
      set_status(todo, '', false);
      return todo;
    },
    busy() {
      if (!running()) {
        return {};
      }
      busy_since = now();
      rolling_said = false;
      return { wake_at: busy_since + noticeable_ms };
    },
    exit: (status) => end(statuses.ended(status)),
    failed: (reason) => end(statuses.failed(reason)),
    // The browser would not run a worker (none, one that throws, no Blob
    // address, an error event), saying `said`.
    could_not_start: (said) => end(statuses.could_not_start(said)),

    // What the line discipline made of a key, a button or a paste
    // ({ steps }): echoed and sent in turn, while the program runs.
    typed({ steps }) {
      const todo = { show: [], send: [] };
      for (const step of steps) {
        if (!running()) {
          break;
        }
        if (step.interrupt) {
          todo.show.push([step.echo, 'echo']);
          return end(statuses.interrupted, todo);
        }
        if (step.echo.length > 0) {
          todo.show.push([step.echo, 'echo']);
        }
        todo.send.push(...messages_of(step));
        todo.reveal = true;
      }
      return todo;
    },

    // The page left, whether closed or kept for Back and Forward: the run
    // ends as a program ends when its terminal closes.
    left: () => end(statuses.left),
    // The page brought back from the back-forward cache, drawn again: a new
    // run is a key or a tap away, where the reader is nowhere else.
    back: () => (phase === 'ended' ? { focus: { to: 'restart', from: [] } } : {}),

    // The time asked for by a `wake_at` has come (or passed).
    clock() {
      const todo = {};
      const at = now();
      if (leaving_until !== null && at >= leaving_until) {
        const gone = (state) => (state === 'leaving' ? 'hidden' : state);
        controls = { running: gone(controls.running), restart: gone(controls.restart) };
        leaving_until = null;
        todo.controls = controls;
      }
      const rolling_due = running() && busy_since !== null && !rolling_said;
      if (rolling_due && at >= busy_since + noticeable_ms) {
        rolling_said = true;
        set_status(todo, statuses.rolling, true);
      } else if (rolling_due) {
        // A timer may come a little early by this clock: it is asked again.
        todo.wake_at = busy_since + noticeable_ms;
      }
      if (leaving_until !== null) {
        todo.wake_at = Math.min(todo.wake_at ?? Infinity, leaving_until);
      }
      return todo;
    },
  };
}
