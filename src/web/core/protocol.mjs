// The messages between the page and the program's Web Worker: every kind,
// its fields and who sends it. Both sides make their messages here, and
// post them with `transfer_list(message)`, so that bytes are handed over
// rather than copied.

// Sent by the page.
export const to_worker = {
  // The program's WebAssembly, compiled once by the page for every run (a
  // WebAssembly.Module): the worker instantiates it and starts the program.
  program: (module) => ({ kind: 'program', module }),
  // Bytes typed, UTF-8: a line with its line end, a paste's whole lines,
  // or the text before a Ctrl-D.
  input: (bytes) => ({ kind: 'input', bytes }),
  // The end of input (Ctrl-D on an empty line), in its place after what was
  // typed before it: one read reports it, and the next reads on.
  end: () => ({ kind: 'end' }),
};

// Sent by the worker.
export const to_page = {
  // The program's runtime is ready and its main is about to run; `time` is
  // the worker's Date.now(), in the second that the program reads for its
  // seed.
  started: (time) => ({ kind: 'started', time }),
  // What the program wrote since the last: [descriptor, bytes] pairs in the
  // order written, descriptor 1 (standard output) or 2 (standard error).
  output: (writes) => ({ kind: 'output', writes }),
  // The program waits for input, and has none.
  waiting: () => ({ kind: 'waiting' }),
  // Input came, and the program goes on.
  busy: () => ({ kind: 'busy' }),
  // The program ended with exit status `status`.
  exit: (status) => ({ kind: 'exit', status }),
  // The program could not start or stopped unexpectedly; `reason` is the
  // browser's words.
  failed: (reason) => ({ kind: 'failed', reason: String(reason) }),
};

// The buffers that posting `message` hands over.
export function transfer_list(message) {
  switch (message.kind) {
    case 'input':
      return [message.bytes.buffer];
    case 'output':
      return message.writes.map(([, bytes]) => bytes.buffer);
    default:
      return [];
  }
}

// Calls `handlers[message.kind](message)`; a message of a kind without a
// handler, or not a message at all, is ignored. Whether one was called.
export function dispatch(message, handlers) {
  const kind = message !== null && typeof message === 'object' ? message.kind : undefined;
  if (typeof kind !== 'string' || !Object.prototype.hasOwnProperty.call(handlers, kind)) {
    return false;
  }
  handlers[kind](message);
  return true;
}
