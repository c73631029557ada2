// The program's standard streams in the page's worker: what each read gets,
// and what the page is sent, and when.
import assert from 'node:assert/strict';
import { describe, test } from 'node:test';
import { make_program_io, turn_ms } from '../../src/web/core/program_io.mjs';

// Runs `steps` and returns what happened, in order: what each read got
// ('read "7\n"', 'read the end'), a read put off to the event loop's next
// turn ('turn'), and each message posted to the page ('output 1:"ab"
// 2:"c"', 'waiting', 'busy', 'exit 0').
function transcript(steps, view_size = 64) {
  let time = 0;
  let deferred = [];
  const happened = [];
  const decoder = new TextDecoder();
  const io = make_program_io({
    post(message) {
      const { kind, writes, status } = message;
      happened.push(kind === 'output' ? `output ${writes.map(([fd, bytes]) => `${fd}:${JSON.stringify(decoder.decode(bytes))}`).join(' ')}`
        : kind === 'exit' ? `exit ${status}` : kind);
    },
    now: () => time,
    defer: (work) => deferred.push(work),
  });
  const read = () => {
    const views = [new Uint8Array(view_size / 2), new Uint8Array(view_size / 2)];
    const how = io.read(() => {
      const count = io.take(views);
      const bytes = [...views[0], ...views[1]].slice(0, count);
      happened.push(count === 0 ? 'read the end' : `read ${JSON.stringify(decoder.decode(new Uint8Array(bytes)))}`);
    });
    if (how === 'turn') {
      happened.push(how);
    }
  };
  const does = {
    give: (text) => io.give(new TextEncoder().encode(text)),
    end: () => io.give(null),
    read,
    write: (fd, ...texts) => io.write(fd, texts.map((text) => new TextEncoder().encode(text))),
    wait: (ms) => { time += ms; },
    turn: () => { const work = deferred; deferred = []; work.forEach((w) => w()); },
    hold: () => io.hold(),
    release: () => io.release(),
    exit: (status) => io.exit(status),
  };
  for (const [kind, ...args] of steps) {
    does[kind](...args);
  }
  return happened;
}

describe('reading', () => {
  // [name, steps, what happened]
  const cases = [
    ['a line at a time, as a terminal reads', [['give', '1\n2\n'], ['read'], ['read']], ['read "1\\n"', 'read "2\\n"']],
    ['nothing there: the page hears that the program waits, and then that it goes on',
      [['read'], ['give', '5\n']], ['waiting', 'busy', 'read "5\\n"']],
    ['the text before a Ctrl-D, without a line end, then the end, once, then what follows',
      [['give', '12'], ['end'], ['give', '6\n'], ['read'], ['read'], ['read']], ['read "12"', 'read the end', 'read "6\\n"']],
    ['an empty input is no input', [['give', ''], ['read']], ['waiting']],
    ['a line longer than a read takes, in pieces', [['give', `${'9'.repeat(100)}\n`], ['read'], ['read']],
      [`read "${'9'.repeat(64)}"`, `read "${'9'.repeat(36)}\\n"`]],
    ['input held (the warm-up) waits for its release', [['give', '7\n'], ['hold'], ['read'], ['release']],
      ['waiting', 'busy', 'read "7\\n"']],
  ];
  for (const [name, steps, expected] of cases) {
    test(name, () => assert.deepEqual(transcript(steps), expected));
  }
});

describe('what the page is sent', () => {
  const cases = [
    ['writes in a row to one descriptor in one buffer, in the order written',
      [['write', 1, 'a', 'b'], ['write', 2, 'c'], ['write', 1, 'd', ''], ['read']], ['output 1:"ab" 2:"c" 1:"d"', 'waiting']],
    ['nothing, where nothing was written', [['read']], ['waiting']],
    ['while input waits, within a frame: nothing yet, and no turn',
      [['give', '1\n2\n'], ['read'], ['write', 1, 'r1'], ['wait', turn_ms - 1], ['read']], ['read "1\\n"', 'read "2\\n"']],
    ['while input waits, after a frame: the output, and a turn of the event loop before the read',
      [['give', '1\n2\n'], ['read'], ['write', 1, 'r1'], ['wait', turn_ms], ['read'], ['turn']],
      ['read "1\\n"', 'output 1:"r1"', 'turn', 'read "2\\n"']],
    ['what was written last, before the end', [['write', 1, 'bye'], ['exit', 0]], ['output 1:"bye"', 'exit 0']],
  ];
  for (const [name, steps, expected] of cases) {
    test(name, () => assert.deepEqual(transcript(steps), expected));
  }
});
