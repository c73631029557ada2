// The program's standard streams as the page's Web Worker keeps them: the
// input that the page sent and the program has not read, and the output
// that the program wrote and the page has not been sent. worker/console.js
// joins them to emscripten's reads and writes, and worker/worker.js to the
// page's messages; both are only glue over this.
import { to_page } from './protocol.mjs';

// How often a program that reads input that waits, or writes, hands its
// output over and gives the worker's event loop a turn, in ms: a frame.
export const turn_ms = 16;

// `post(message)` sends a message of protocol.mjs to the page; `now()` is
// the clock in ms; `defer(work)` has `work` done at the event loop's next
// turn (setTimeout).
export function make_program_io({ post, now, defer }) {
  // What the page sent and the program has not read, in the order typed:
  // bytes, and null where the page ended the input (Ctrl-D), which one read
  // reports as the end and then forgets.
  const pending = [];
  // Set while the program waits for input: wakes it.
  let waiter = null;
  // While true, input is kept but not handed over (the warm-up).
  let held = false;
  // What the program wrote and the page has not been sent yet, as
  // [descriptor, bytes] in the order written.
  let written = [];
  // When the output was last sent or the event loop last given a turn.
  let turn_at = 0;

  const ready = () => !held && pending.length > 0;

  function wake() {
    if (waiter !== null && ready()) {
      const woken = waiter;
      waiter = null;
      woken();
    }
  }

  // The output goes to the page in one message: the writes in a row to one
  // descriptor as one buffer, handed over rather than copied. So a paste of
  // thousands of answers brings a message a frame or so, not one a write,
  // each of which costs the page's thread its own task. (So too, what was
  // written in the frame before a long roll shows when the roll ends.)
  function send_written() {
    if (written.length === 0) {
      return;
    }
    const writes = [];
    for (let start = 0, end; start < written.length; start = end) {
      const fd = written[start][0];
      let size = 0;
      for (end = start; end < written.length && written[end][0] === fd; end++) {
        size += written[end][1].length;
      }
      const bytes = new Uint8Array(size);
      for (let w = start, at = 0; w < end; at += written[w][1].length, w++) {
        bytes.set(written[w][1], at);
      }
      writes.push([fd, bytes]);
    }
    written = [];
    turn_at = now();
    post(to_page.output(writes));
  }

  return {
    // From the page: bytes typed, or (null) the end of input.
    give(bytes) {
      if (bytes === null || bytes.length > 0) {
        pending.push(bytes);
      }
      wake();
    },
    // Keeps input from the program until `release`.
    hold() {
      held = true;
    },
    release() {
      held = false;
      wake();
    },
    // Moves pending input into `views` (a read's buffers), as a terminal's
    // read returns it: at most one line, or the text before a Ctrl-D, so
    // that no read takes more than was typed before the end of input. The
    // number of bytes; 0, the end of input, where the end is next.
    take(views) {
      const chunk = pending[0];
      if (chunk === null) {
        pending.shift();
        return 0;
      }
      const line_end = chunk.indexOf(10);
      const wanted = line_end >= 0 ? line_end + 1 : chunk.length;
      let count = 0;
      for (let v = 0; v < views.length && count < wanted; v++) {
        const n = Math.min(views[v].length, wanted - count);
        views[v].set(chunk.subarray(count, count + n));
        count += n;
      }
      if (count === chunk.length) {
        pending.shift();
      } else {
        pending[0] = chunk.subarray(count);
      }
      return count;
    },
    // Keeps a copy of what the program wrote to `fd` (1 or 2); the number
    // of bytes.
    write(fd, views) {
      let count = 0;
      for (const view of views) {
        if (view.length > 0) {
          written.push([fd, view.slice()]);
          count += view.length;
        }
      }
      return count;
    },
    // A read: `deliver()` is called once input is there, at once where it
    // waits already. The page hears of the output when the program waits
    // and every `turn_ms` of reading input that waits, when the event loop
    // also gets a turn, where a Stop ends the worker at once (Chromium lets
    // a worker that never returns to it run on for 2 s). A read of a long
    // line without output gives one a turn every `turn_ms` too, not one a
    // read: a turn costs a worker's timer up to 4 ms. What the page is told
    // of waits lets it say whether the program is busy. Returns what was
    // done: 'read', 'turn' (read at the next turn) or 'wait'.
    read(deliver) {
      const due = now() - turn_at >= turn_ms;
      if (!ready() || due) {
        send_written();
      }
      if (due) {
        turn_at = now();
      }
      if (ready() && due) {
        defer(deliver);
        return 'turn';
      }
      if (ready()) {
        deliver();
        return 'read';
      }
      waiter = () => {
        post(to_page.busy());
        deliver();
      };
      post(to_page.waiting());
      return 'wait';
    },
    // The program ended with `status`, or failed for `reason`: what it
    // wrote last goes to the page before its end does.
    exit(status) {
      send_written();
      post(to_page.exit(status));
    },
    fail(reason) {
      send_written();
      post(to_page.failed(reason));
    },
  };
}
