// Starts the program's Web Worker and sees that it does start.
//
// WebKit (WebKitGTK 2.50 here), now and then, never starts a worker made
// while another, stopped mid-roll, still runs: it stays silent for good,
// where one made a moment later starts in milliseconds. A worker that has
// not said it started in its time is replaced, with twice the time at each
// go, so that a slow device is never cut short for good; what was sent to
// it is sent again to the next.
import { transfer_list } from './core/protocol.mjs';

const first_patience_ms = 3000;

// Starts a worker from `url`; `handlers` get what it says, by kind (see
// core/protocol.mjs), and `on_error(event)` a failure to run it. What a
// replaced worker says is not heard.
export function launch_worker(url, handlers, on_error) {
  let worker = null;
  let start_timer = null;
  let sent_before_start = [];

  function start(patience) {
    const made = new Worker(url);
    worker = made;
    made.onmessage = (event) => {
      if (made === worker) {
        handlers(event.data);
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
    start_timer = setTimeout(() => {
      made.terminate();
      start(patience * 2);
    }, patience);
  }

  function stop_waiting() {
    clearTimeout(start_timer);
    start_timer = null;
    sent_before_start = [];
  }

  start(first_patience_ms);
  return {
    // The worker said it started.
    started: stop_waiting,
    // Sends a message; a copy of its bytes is kept until the worker starts.
    send(message) {
      if (start_timer !== null) {
        sent_before_start.push(message.bytes === undefined ? message : { ...message, bytes: message.bytes.slice() });
      }
      worker.postMessage(message, transfer_list(message));
    },
    terminate() {
      stop_waiting();
      worker.terminate();
    },
  };
}
