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

function has_simd() {
  try {
    return typeof WebAssembly === 'object' && WebAssembly.validate(simd_probe);
  } catch {
    return false;
  }
}

const log = document.getElementById('log');
const answer = document.getElementById('answer');
const screen = document.getElementById('terminal');
const status_line = document.getElementById('status');
const restart = document.getElementById('restart');
const statistic_svg = document.getElementById('statistic');
const counts_svg = document.getElementById('counts');
const terminal = make_terminal(log, screen);
const program_url = URL.createObjectURL(
  new Blob([document.getElementById('program').textContent], { type: 'text/javascript' }));

const add_point = make_statistic_chart(statistic_svg);
const show_counts = make_counts_chart(counts_svg);
const read_reports = make_report_reader((experiment) => {
  add_point(experiment);
  show_counts(experiment);
});

let worker = null;

function set_status(text, busy) {
  status_line.textContent = text;
  status_line.classList.toggle('busy', busy);
  log.setAttribute('aria-busy', String(busy));
}

// Focus goes to the answer field whenever the program waits, unless the
// reader is selecting text to copy.
function focus_answer() {
  const selection = window.getSelection();
  if (selection === null || selection.isCollapsed) {
    answer.focus({ preventScroll: true });
  }
}

function ended(text) {
  if (worker === null) {
    return;
  }
  worker.terminate();
  worker = null;
  terminal.flush();
  set_status(text, false);
  answer.disabled = true;
  restart.hidden = false;
  restart.focus();
}

function start() {
  terminal.clear();
  restart.hidden = true;
  answer.disabled = false;
  answer.value = '';
  set_status('Starting…', true);
  const decoders = { 1: new TextDecoder(), 2: new TextDecoder() };
  worker = new Worker(program_url);
  worker.onmessage = (event) => {
    const message = event.data;
    switch (message.kind) {
      case 'started':
        performance.mark('die_roll-started', { detail: message.time });
        break;
      case 'output': {
        const text = decoders[message.fd].decode(message.bytes, { stream: true });
        terminal.show(text, message.fd === 1 ? 'output' : 'complaint');
        if (message.fd === 1) {
          read_reports(text);
        }
        break;
      }
      case 'waiting':
        performance.mark('die_roll-waiting');
        set_status('', false);
        focus_answer();
        break;
      case 'busy':
        set_status('Rolling…', true);
        break;
      case 'exit':
        performance.mark('die_roll-exit', { detail: message.status });
        ended(`die_roll has ended, with exit status ${message.status}.`);
        break;
      case 'failed':
        ended(`die_roll has stopped: ${message.reason}`);
        break;
    }
  };
  worker.onerror = (event) => {
    event.preventDefault();
    ended(`die_roll could not run: ${event.message || 'the browser gave no reason'}`);
  };
}

const encoder = new TextEncoder();
connect_keyboard(answer, terminal, (text, end) => {
  if (worker === null) {
    return;
  }
  if (text.length > 0) {
    const bytes = encoder.encode(text);
    worker.postMessage({ kind: 'input', bytes }, [bytes.buffer]);
  }
  if (end) {
    worker.postMessage({ kind: 'end' });
  }
  performance.mark('die_roll-answered');
});

screen.addEventListener('mouseup', () => {
  if (!answer.disabled) {
    focus_answer();
  }
});
restart.addEventListener('click', start);
// Nothing is left running when the page goes.
window.addEventListener('pagehide', () => {
  if (worker !== null) {
    worker.terminate();
  }
});

if (has_simd()) {
  start();
} else {
  answer.disabled = true;
  set_status('This browser cannot run die_roll: it has no WebAssembly SIMD.', false);
}
