'use strict';
// The page: starts the program in a Web Worker, shows what it writes, hands
// it the lines typed, and says when it is busy and when it has ended.

// A module of one function that returns a vector: valid only where the
// browser has WebAssembly SIMD, which the program is built for.
const simd_probe = new Uint8Array([
  0x00, 0x61, 0x73, 0x6d, 0x01, 0x00, 0x00, 0x00,  // "\0asm", version 1
  0x01, 0x05, 0x01, 0x60, 0x00, 0x01, 0x7b,  // type: () -> v128
  0x03, 0x02, 0x01, 0x00,  // one function of that type
  0x0a, 0x08, 0x01, 0x06, 0x00, 0x41, 0x00, 0xfd, 0x0f, 0x0b,  // i32.const 0; i8x16.splat
]);

// Why this browser cannot run the program, or null where it can.
function what_is_missing() {
  if (typeof WebAssembly !== 'object' || typeof WebAssembly.validate !== 'function') {
    return 'This browser cannot run die_roll: it has no WebAssembly, or WebAssembly is switched off.';
  }
  let simd = false;
  try {
    simd = WebAssembly.validate(simd_probe);
  } catch {
    simd = false;
  }
  return simd ? null : 'This browser cannot run die_roll: its WebAssembly has no SIMD, which die_roll needs; a newer version of the browser has it.';
}

// A failure of the program, said as a user would want to hear it, with the
// status a shell gives a program that aborts (128 + SIGABRT's 6).
function failure_sentence(reason) {
  const text = String(reason);
  if (/\bOOM\b|out of memory/i.test(text)) {
    return 'die_roll ran out of memory in this browser and was stopped, with exit status 134.';
  }
  return `die_roll stopped unexpectedly, with exit status 134. (The browser said: ${text.replace(/ Build with .*$/, '')})`;
}

const log = document.getElementById('log');
const answer = document.getElementById('answer');
const screen = document.getElementById('terminal');
const status_line = document.getElementById('status');
const restart = document.getElementById('restart');
const stop = document.getElementById('stop');
const terminal = make_terminal(log, screen);
const program_url = URL.createObjectURL(
  new Blob([document.getElementById('program').textContent], { type: 'text/javascript' }));

const show_experiments = make_experiment_views({
  statistic: document.getElementById('statistic'),
  counts: document.getElementById('counts'),
  summary: document.getElementById('summary'),
  table: document.getElementById('experiments'),
});

let worker = null;
let runs = 0;

// WebKit (WebKitGTK 2.50 here), now and then, never starts a worker made
// while another, stopped mid-roll, still runs: it stays silent for good,
// where one made a moment later starts in milliseconds. A worker that has
// not started in its time is replaced, with twice the time at each go, so
// that a slow device is never cut short for good; what was sent to it is
// sent again to the next.
const first_patience_ms = 3000;
let start_timer = null;
let sent_before_start = [];

function send(message, transfer = []) {
  if (start_timer !== null) {
    sent_before_start.push(message.bytes === undefined ? message : { ...message, bytes: message.bytes.slice() });
  }
  worker.postMessage(message, transfer);
}

// What a worker replaced says is not heard.
function launch_worker(handle_message, handle_error, patience) {
  const made = new Worker(program_url);
  worker = made;
  made.onmessage = (event) => made === worker && handle_message(event);
  made.onerror = (event) => made === worker && handle_error(event);
  for (const message of sent_before_start) {
    made.postMessage(message);
  }
  start_timer = setTimeout(() => {
    made.terminate();
    launch_worker(handle_message, handle_error, patience * 2);
  }, patience);
}

function started() {
  clearTimeout(start_timer);
  start_timer = null;
  sent_before_start = [];
}

function set_status(text, busy) {
  status_line.textContent = text;
  status_line.classList.toggle('busy', busy);
  log.setAttribute('aria-busy', String(busy));
}

// Whether the reader is elsewhere: focus is moved for them only when it is
// in `place`, or nowhere, so that one who has gone to read back in the
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
  if (worker === null) {
    return;
  }
  started();
  worker.terminate();
  worker = null;
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
function interrupt(text) {
  if (worker === null) {
    return;
  }
  terminal.show(text + '^C\n', 'echo');
  performance.mark('die_roll-interrupted');
  ended('die_roll was interrupted (Ctrl-C), with exit status 130.');
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
  set_status('Starting…', true);
  const decoders = { 1: new TextDecoder(), 2: new TextDecoder() };
  const read_reports = make_report_reader(show_experiments);
  const handle_message = (event) => {
    const message = event.data;
    switch (message.kind) {
      case 'started':
        started();
        performance.mark('die_roll-started', { detail: message.time });
        break;
      case 'output':
        for (const [fd, bytes] of message.writes) {
          const text = decoders[fd].decode(bytes, { stream: true });
          terminal.show(text, fd === 1 ? 'output' : 'complaint');
          if (fd === 1) {
            read_reports(text);
          }
        }
        break;
      case 'waiting':
        performance.mark('die_roll-waiting');
        set_status('', false);
        focus_answer(false);
        break;
      case 'busy':
        set_status('Rolling…', true);
        break;
      case 'exit':
        performance.mark('die_roll-exit', { detail: message.status });
        ended(`die_roll has ended, with exit status ${message.status}.`);
        break;
      case 'failed':
        ended(failure_sentence(message.reason));
        break;
    }
  };
  const handle_error = (event) => {
    event.preventDefault();
    ended(`die_roll could not start in this browser, so it ended with exit status 126. (The browser said: ${event.message || 'nothing'})`);
  };
  launch_worker(handle_message, handle_error, first_patience_ms);
}

const encoder = new TextEncoder();
connect_keyboard(answer, terminal, (text, end) => {
  if (worker === null) {
    return;
  }
  if (text.length > 0) {
    const bytes = encoder.encode(text);
    send({ kind: 'input', bytes }, [bytes.buffer]);
  }
  if (end) {
    send({ kind: 'end' });
  }
  performance.mark('die_roll-answered');
}, interrupt);

screen.addEventListener('mouseup', () => {
  if (!answer.disabled) {
    focus_answer(true);
  }
});
restart.addEventListener('click', start);
stop.addEventListener('click', () => {
  const text = answer.value;
  answer.value = '';
  interrupt(text);
});
// Nothing is left running when the page goes.
window.addEventListener('pagehide', () => {
  if (worker !== null) {
    worker.terminate();
  }
});

const missing = what_is_missing();
if (missing === null) {
  start();
} else {
  answer.disabled = true;
  stop.hidden = true;
  set_status(missing, false);
}
