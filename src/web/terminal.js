'use strict';
// The console: what the program writes and the lines typed, as a terminal
// shows them, and the answer field that stands in for its keyboard.

// A terminal's scrollback keeps the last lines and forgets the rest; this
// one keeps the last characters, trimmed in steps rather than at each write.
const scrollback_characters = 400000;
const scrollback_trim_to = 300000;

// Returns a function that has `work` done at the next frame, once however
// often it is called before then: for what is drawn from the latest state
// only (the console here, the pictures in charts.js).
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

// The console's text is kept in blocks of whole lines, of about
// `block_lines` lines or `block_characters`, and the line still being
// written, which the answer field follows, in an inline tail. A browser
// then lays out only the newest blocks and the tail when text comes, not
// the whole scrollback, as it did when all of it was one run of inline
// text (half a second a frame in Firefox, with 300,000 characters). A
// block's last line end ends its last line, as the text's own would, so
// the blocks add nothing to the text, and a copy takes the text itself
// (see below).
const block_characters = 4096;
const block_lines = 64;
// The most characters and lines that one frame adds to the console: a
// browser lays out what it adds, so a burst of output is shown over a few
// frames.
const frame_characters = 20000;
const frame_lines = 1000;

function make_terminal(log, screen) {
  const tail = document.createElement('span');
  log.appendChild(tail);
  let tail_runs = [];  // the tail's text, as [text, kind] pairs
  let held = 0;
  // Text shown since the last frame, as [text, kind] pairs, never more
  // than the scrollback: its oldest text is dropped when it would hold
  // more, and a hidden page, which gets no frames, is then brought up to
  // date at once.
  let queued = [];
  let queued_characters = 0;
  const flush_soon = once_a_frame(() => flush(frame_characters));

  // Shows text of one kind: 'output', 'complaint' (standard error) or
  // 'echo' (a typed line).
  function show(text, kind) {
    if (text.length === 0) {
      return;
    }
    queued.push([text, kind]);
    queued_characters += text.length;
    if (queued_characters > scrollback_characters) {
      forget_queued(queued_characters - scrollback_characters);
      if (document.hidden) {
        flush();
        return;
      }
    }
    flush_soon();
  }

  // Drops the oldest `count` characters of the queue, which the scrollback
  // would forget as soon as they were shown.
  function forget_queued(count) {
    while (count > 0) {
      const [text, kind] = queued[0];
      const cut = Math.min(count, text.length);
      count -= cut;
      queued_characters -= cut;
      if (cut === text.length) {
        queued.shift();
      } else {
        queued[0] = [text.slice(cut), kind];
      }
    }
  }

  // Puts what is queued after the tail, up to `limit` characters of it (a
  // frame's share: the rest waits for the next frame): its whole lines into
  // new blocks, the rest into the tail, each run of one kind as a span of
  // its own; and keeps the newest line in view.
  function flush(limit = Infinity) {
    let room = limit;
    const taken = [];
    let lines_room = limit === Infinity ? Infinity : frame_lines;
    // How much of `text` fits in what is left of the frame's share: whole
    // lines, and a line however long, since a browser lays out a line anew
    // whenever it grows.
    const share = (text, characters) => {
      let end = 0;
      while (lines_room > 0 && end < Math.min(text.length, characters)) {
        const line_end = text.indexOf('\n', end);
        end = line_end < 0 ? text.length : line_end + 1;
        lines_room -= line_end < 0 ? 0 : 1;
      }
      return end;
    };
    while (queued.length > 0 && room > 0 && lines_room > 0) {
      const [text, kind] = queued[0];
      const part = text.slice(0, share(text, room));
      if (part.length > 0) {
        taken.push([part, kind]);
      }
      room -= part.length;
      held += part.length;
      queued_characters -= part.length;
      if (part.length < text.length) {
        queued[0] = [text.slice(part.length), kind];
      } else {
        queued.shift();
      }
    }
    if (queued.length > 0) {
      flush_soon();
    }
    const runs = [];
    for (const [text, kind] of tail_runs.concat(taken)) {
      const run = runs[runs.length - 1];
      if (run !== undefined && run[1] === kind) {
        run[0] += text;
      } else {
        runs.push([text, kind]);
      }
    }
    let last = runs.length - 1;
    while (last >= 0 && runs[last][0].lastIndexOf('\n') < 0) {
      last -= 1;
    }
    const line_end = last >= 0 ? runs[last][0].lastIndexOf('\n') + 1 : 0;
    const lines = runs.slice(0, last + 1);
    tail_runs = runs.slice(last + 1);
    if (last >= 0) {
      const [text, kind] = runs[last];
      lines[last] = [text.slice(0, line_end), kind];
      if (line_end < text.length) {
        tail_runs.unshift([text.slice(line_end), kind]);
      }
    }
    add_blocks(lines);
    tail.replaceChildren(...tail_runs.map(([text, kind]) => span_of(text, kind)));
    if (held > scrollback_characters) {
      forget(held - scrollback_trim_to);
    }
    screen.scrollTop = screen.scrollHeight;
  }

  function span_of(text, kind) {
    const span = document.createElement('span');
    span.className = kind;
    span.textContent = text;
    return span;
  }

  // Puts runs of whole lines before the tail, in blocks that end at a line
  // end once they hold `block_lines` lines or `block_characters`.
  function add_blocks(runs) {
    let block = null;
    let size = 0;
    let lines = 0;
    for (const [text, kind] of runs) {
      for (let at = 0; at < text.length;) {
        if (block === null) {
          block = document.createElement('div');
          block.className = 'lines';
          size = 0;
          lines = 0;
        }
        let end = at;
        let full = false;
        while (end < text.length && !full) {
          const line_end = text.indexOf('\n', end);
          end = line_end < 0 ? text.length : line_end + 1;
          lines += line_end < 0 ? 0 : 1;
          full = line_end >= 0 && (lines >= block_lines || size + end - at >= block_characters);
        }
        block.appendChild(span_of(text.slice(at, end), kind));
        size += end - at;
        at = end;
        if (full) {
          log.insertBefore(block, tail);
          block = null;
        }
      }
    }
    if (block !== null) {
      log.insertBefore(block, tail);
    }
  }

  // Drops the oldest characters, up to a line end where one is near, and
  // marks left with nothing after them.
  function forget(count) {
    while (count > 0 && log.firstElementChild !== tail) {
      const block = log.firstElementChild;
      const span = block.firstElementChild;
      if (span === null) {
        block.remove();
        continue;
      }
      const text = span.firstChild;
      if (text.length <= count) {
        count -= text.length;
        held -= text.length;
        span.remove();
      } else {
        const line_end = text.data.indexOf('\n', count);
        const cut = line_end >= 0 && line_end - count < 200 ? line_end + 1 : count;
        text.deleteData(0, cut);
        held -= cut;
        count = 0;
      }
    }
  }

  // Ends the shown text with a mark of `name` (a new run), which stands
  // on a line of its own and adds nothing to the text.
  function mark(name) {
    flush();
    add_blocks(tail_runs);
    tail_runs = [];
    tail.replaceChildren();
    const line = document.createElement('div');
    line.className = 'mark';
    line.dataset.name = name;
    log.insertBefore(line, tail);
    screen.scrollTop = screen.scrollHeight;
  }

  // A copy from the console takes its text as it is: a browser would add
  // a line end at each block's end, where the text has one already.
  log.addEventListener('copy', (event) => {
    const selection = window.getSelection();
    if (selection === null || selection.rangeCount === 0 || event.clipboardData === null) {
      return;
    }
    const texts = [];
    for (let r = 0; r < selection.rangeCount; r++) {
      texts.push(selection.getRangeAt(r).cloneContents().textContent);
    }
    event.clipboardData.setData('text/plain', texts.join(''));
    event.preventDefault();
  });

  return { show, flush, mark };
}

// Turns keys and pastes in the answer field into what a terminal in its
// usual line mode sends: a line with its line end when Enter is pressed,
// the whole lines of a paste together, the line so far when Ctrl-D is
// pressed on it, and the end of input when Ctrl-D is pressed on an empty
// line. `send(text, end)` gets each; the typed text is echoed first.
// Ctrl-C, where no text of the field is selected, calls `interrupt(text)`
// with the line so far. Ctrl-D and Ctrl-C are taken by the key's place as
// well as its letter, as a terminal takes them on any keyboard layout.
function connect_keyboard(answer, terminal, send, interrupt) {
  function submit(text) {
    terminal.show(text + '\n', 'echo');
    send(text + '\n', false);
  }

  function with_control(event, letter) {
    return event.ctrlKey && !event.altKey && !event.metaKey &&
      (event.key.toLowerCase() === letter || event.code === `Key${letter.toUpperCase()}`);
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
    } else if (with_control(event, 'd')) {
      event.preventDefault();
      const text = answer.value;
      answer.value = '';
      if (text.length === 0) {
        send('', true);
      } else {
        terminal.show(text, 'echo');
        send(text, false);
      }
    } else if (with_control(event, 'c') && answer.selectionStart === answer.selectionEnd) {
      event.preventDefault();
      const text = answer.value;
      answer.value = '';
      interrupt(text);
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
