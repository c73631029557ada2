// Starts the program's Web Worker and sees that it does start.
//
// WebKit (WebKitGTK 2.50 here), now and then, never starts a worker made
// while another, stopped mid-roll, still runs: it stays silent for good,
// where one made a moment later starts in milliseconds. A worker that has
// not said it started in its time (counted from when it was sent the
// program) is replaced, with twice the time at each go, so that a slow
// device is never cut short for good; what was sent to it is sent again to
// the next.
import { to_worker, transfer_list } from './core/protocol.mjs';

const first_patience_ms = 3000;

// Starts a worker from `url` and sends it `program`, a promise of the
// compiled program; `handle(message)` gets what the worker says (see
// core/protocol.mjs), and `on_error(event)` a failure to run it. What a
// replaced worker says is not heard.
export function launch_worker(url, program, handle, on_error) {
  let worker = null;  // the worker heard, null once terminated
  let start_timer = null;
  // Until the worker has said it started, what is sent to it is kept.
  let waiting = true;
  let sent_before_start = [];

  function start(patience) {
    const made = new Worker(url);
    worker = made;
    made.onmessage = (event) => {
      if (made === worker) {
        handle(event.data);
      }
    };
    made.onerror = (event) => {
      if (made === worker) {
        on_error(event);
      }
    };
    for (const message of sent_before_start) {
      made.postMessage(message);
    }
    program.then((module) => {
      if (made !== worker) {
        return;
      }
      made.postMessage(to_worker.program(module));
      if (waiting) {
        start_timer = setTimeout(() => {
          made.terminate();
          start(patience * 2);
        }, patience);
      }
    }, () => {});
  }

  function stop_waiting() {
    clearTimeout(start_timer);
    start_timer = null;
    waiting = false;
    sent_before_start = [];
  }

  start(first_patience_ms);
  return {
    // The worker said it started.
    started: stop_waiting,
    // Sends a message; a copy of its bytes is kept until the worker starts.
    send(message) {
      if (waiting) {
        sent_before_start.push(message.bytes === undefined ? message : { ...message, bytes: message.bytes.slice() });
      }
      worker.postMessage(message, transfer_list(message));
    },
    terminate() {
      stop_waiting();
      worker.terminate();
      worker = null;
    },
  };
}
