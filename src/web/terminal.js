'use strict';
// The console: what the program writes and the lines typed, as a terminal
// shows them, and the answer field that stands in for its keyboard.

// A terminal's scrollback keeps the last lines and forgets the rest; this
// one keeps the last characters, trimmed in steps rather than at each write.
const scrollback_characters = 400000;
const scrollback_trim_to = 300000;

// Returns a function that has `work` done at the next frame, once however
// often it is called before then: for what is drawn from the latest state
// only (the console here, the bars in charts.js).
function once_a_frame(work) {
  let asked = false;
  return () => {
    if (!asked) {
      asked = true;
      requestAnimationFrame(() => {
        asked = false;
        work();
      });
    }
  };
}

function make_terminal(log, screen) {
  let held = 0;
  // Text shown since the last frame, as [text, kind] pairs: the console is
  // brought up to date once a frame, as a paste of thousands of answers
  // brings thousands of writes, and each change to the page's text costs
  // time in proportion to all of it.
  // A hidden page gets no frames: there the queue is flushed whenever it
  // holds more than the scrollback, so that it stays bounded too.
  let queued = [];
  let queued_characters = 0;
  const flush_soon = once_a_frame(flush);

  // Shows text of one kind: 'output', 'complaint' (standard error) or
  // 'echo' (a typed line).
  function show(text, kind) {
    if (text.length === 0) {
      return;
    }
    queued.push([text, kind]);
    queued_characters += text.length;
    if (queued_characters > scrollback_characters) {
      flush();
    } else {
      flush_soon();
    }
  }

  // Appends what is queued, each run of one kind as a span of its own, and
  // keeps the newest line in view. (Added to the last span of its kind
  // instead, a paste of 5000 answers took Firefox twice as long to show.)
  function flush() {
    const runs = [];
    for (const [text, kind] of queued) {
      const run = runs[runs.length - 1];
      if (run !== undefined && run.kind === kind) {
        run.texts.push(text);
      } else {
        runs.push({ kind, texts: [text] });
      }
    }
    queued = [];
    queued_characters = 0;
    for (const { kind, texts } of runs) {
      const text = texts.join('');
      const span = document.createElement('span');
      span.className = kind;
      span.appendChild(document.createTextNode(text));
      log.appendChild(span);
      held += text.length;
    }
    if (held > scrollback_characters) {
      forget(held - scrollback_trim_to);
    }
    screen.scrollTop = screen.scrollHeight;
  }

  // Drops the oldest characters, up to a line end where one is near.
  function forget(count) {
    while (count > 0 && log.firstElementChild !== null) {
      const first = log.firstElementChild;
      const text = first.firstChild;
      if (text.length <= count) {
        count -= text.length;
        held -= text.length;
        first.remove();
      } else {
        const line_end = text.data.indexOf('\n', count);
        const cut = line_end >= 0 && line_end - count < 200 ? line_end + 1 : count;
        text.deleteData(0, cut);
        held -= cut;
        count = 0;
      }
    }
  }

  function clear() {
    queued = [];
    queued_characters = 0;
    log.replaceChildren();
    held = 0;
  }

  return { show, flush, clear };
}

// Turns keys and pastes in the answer field into what a terminal in its
// usual line mode sends: a line with its line end when Enter is pressed,
// the whole lines of a paste together, the line so far when Ctrl-D is
// pressed on it, and the end of input when Ctrl-D is pressed on an empty
// line. `send(text, end)` gets each; the typed text is echoed first.
function connect_keyboard(answer, terminal, send) {
  function submit(text) {
    terminal.show(text + '\n', 'echo');
    send(text + '\n', false);
  }

  answer.addEventListener('keydown', (event) => {
    if (event.isComposing) {
      return;
    }
    if (event.key === 'Enter') {
      event.preventDefault();
      const text = answer.value;
      answer.value = '';
      submit(text);
    } else if (event.key.toLowerCase() === 'd' && event.ctrlKey && !event.altKey && !event.metaKey) {
      event.preventDefault();
      const text = answer.value;
      answer.value = '';
      if (text.length === 0) {
        send('', true);
      } else {
        terminal.show(text, 'echo');
        send(text, false);
      }
    }
  });

  answer.addEventListener('paste', (event) => {
    const pasted = event.clipboardData ? event.clipboardData.getData('text/plain') : '';
    if (!/[\r\n]/.test(pasted)) {
      return;  // the field takes it as it is
    }
    event.preventDefault();
    const start = answer.selectionStart ?? answer.value.length;
    const end = answer.selectionEnd ?? answer.value.length;
    const text = answer.value.slice(0, start) + pasted + answer.value.slice(end);
    const lines = text.split(/\r\n|\r|\n/);
    answer.value = lines.pop();
    // Sent at once, as a terminal sends a paste: one message however many
    // lines, which the program reads in turn.
    const typed = lines.map((line) => line + '\n').join('');
    terminal.show(typed, 'echo');
    send(typed, false);
  });
}
