// The console's text, kept apart from how it is drawn: what the program
// writes and the lines typed, as runs of text of one kind ('output',
// 'complaint' for standard error, 'echo' for what was typed), in the order
// shown.
//
// - The queue: text shown since the last frame, never more than the
//   scrollback holds (its oldest text is dropped when it would hold more).
// - The blocks: whole lines, about `block.lines` lines or
//   `block.characters` a block, so that a browser lays out only the newest
//   blocks when text comes, not the whole scrollback. A block's last line
//   end ends its last line, so the blocks add nothing to the text. A run
//   mark (a new run) stands as a block of its own, with no text.
// - The tail: the line still being written, after the blocks, which the
//   answer field follows.
// - `held`: the characters in the blocks and the tail, at most
//   `scrollback.characters` after every frame: a terminal's scrollback keeps
//   the last lines and forgets the rest, and this one keeps the last
//   characters, trimmed in steps to `scrollback.trim_to`.
//
// Each frame moves at most `frame.characters` or `frame.lines` of the queue
// into the blocks and the tail (a browser lays out what is added, so a
// burst of output is shown over a few frames), except that a line goes in
// whole however long, as a browser lays out a line anew whenever it grows.

export const default_limits = {
  scrollback: { characters: 400000, trim_to: 300000 },
  block: { characters: 4096, lines: 64 },
  frame: { characters: 20000, lines: 1000 },
};

// A cut at the oldest text moves on to the next line end within this many
// characters, so that the scrollback starts with a whole line.
const line_end_reach = 200;

export function make_scrollback(limits = default_limits) {
  const blocks = [];  // { id, runs: [[text, kind], ...] } or { id, mark: name }
  let tail = [];  // [[text, kind], ...]
  const queued = [];
  let queued_characters = 0;
  let held = 0;
  let next_id = 0;

  // Queues `text` of `kind`. Whether the queue would have held more than
  // the scrollback, and so dropped its oldest text.
  function queue(text, kind) {
    if (text.length === 0) {
      return false;
    }
    queued.push([text, kind]);
    queued_characters += text.length;
    const over = queued_characters - limits.scrollback.characters;
    if (over > 0) {
      drop_queued(over);
    }
    return over > 0;
  }

  function drop_queued(count) {
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

  // Takes from the queue what one frame shows (or, where `whole`, all of
  // it) and trims the scrollback. Whether text still waits for a frame, and
  // whether the oldest block lost part of its text.
  function frame(whole = false) {
    let room = whole ? Infinity : limits.frame.characters;
    let lines_room = whole ? Infinity : limits.frame.lines;
    // The length of `text`'s start that fits in `characters`: whole lines,
    // and a line however long.
    const share = (text, characters) => {
      let end = 0;
      while (lines_room > 0 && end < Math.min(text.length, characters)) {
        const line_end = text.indexOf('\n', end);
        end = line_end < 0 ? text.length : line_end + 1;
        lines_room -= line_end < 0 ? 0 : 1;
      }
      return end;
    };
    const taken = [];
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
    const runs = merge(tail.concat(taken));
    // The runs up to the last line end become blocks; the rest, the tail.
    let last = runs.length - 1;
    while (last >= 0 && runs[last][0].lastIndexOf('\n') < 0) {
      last -= 1;
    }
    const lines = runs.slice(0, last + 1);
    tail = runs.slice(last + 1);
    if (last >= 0) {
      const [text, kind] = runs[last];
      const line_end = text.lastIndexOf('\n') + 1;
      lines[last] = [text.slice(0, line_end), kind];
      if (line_end < text.length) {
        tail.unshift([text.slice(line_end), kind]);
      }
    }
    add_blocks(lines);
    const cut = held > limits.scrollback.characters ? forget(held - limits.scrollback.trim_to) : false;
    return { more: queued.length > 0, cut };
  }

  // Puts runs of whole lines after the blocks, in blocks that end at a line
  // end once they hold `block.lines` lines or `block.characters`.
  function add_blocks(runs) {
    let block = null;
    let size = 0;
    let lines = 0;
    for (const [text, kind] of runs) {
      for (let at = 0; at < text.length;) {
        if (block === null) {
          block = { id: next_id++, runs: [] };
          blocks.push(block);
          size = 0;
          lines = 0;
        }
        let end = at;
        let full = false;
        while (end < text.length && !full) {
          const line_end = text.indexOf('\n', end);
          end = line_end < 0 ? text.length : line_end + 1;
          lines += line_end < 0 ? 0 : 1;
          full = line_end >= 0 && (lines >= limits.block.lines || size + end - at >= limits.block.characters);
        }
        block.runs.push([text.slice(at, end), kind]);
        size += end - at;
        at = end;
        if (full) {
          block = null;
        }
      }
    }
  }

  // Drops the oldest `count` characters, up to a line end where one is
  // near, and the marks among them. Whether a block was left with part of
  // its text.
  function forget(count) {
    while (count > 0 && blocks.length > 0) {
      const block = blocks[0];
      if (block.mark !== undefined || block.runs.length === 0) {
        blocks.shift();
        continue;
      }
      const [text, kind] = block.runs[0];
      if (text.length <= count) {
        count -= text.length;
        held -= text.length;
        block.runs.shift();
      } else {
        const line_end = text.indexOf('\n', count);
        const cut = line_end >= 0 && line_end - count < line_end_reach ? line_end + 1 : count;
        block.runs[0] = [text.slice(cut), kind];
        held -= cut;
        return true;
      }
    }
    if (blocks.length > 0 && blocks[0].runs !== undefined && blocks[0].runs.length === 0) {
      blocks.shift();
    }
    return false;
  }

  // Ends the text shown so far, the queue and the tail included, with a
  // mark of `name` (a new run), which stands on a line of its own and adds
  // nothing to the text.
  function mark(name) {
    frame(true);
    add_blocks(tail);
    tail = [];
    blocks.push({ id: next_id++, mark: name });
  }

  return {
    queue,
    frame,
    mark,
    blocks,
    tail: () => tail,
    held: () => held,
    // The text held, as a copy of the console would take it.
    text: () => blocks.concat([{ runs: tail }]).map((block) => (block.runs ?? []).map(([text]) => text).join('')).join(''),
  };
}

// Joins neighbouring runs of one kind.
function merge(runs) {
  const merged = [];
  for (const [text, kind] of runs) {
    const run = merged[merged.length - 1];
    if (run !== undefined && run[1] === kind) {
      run[0] += text;
    } else {
      merged.push([text, kind]);
    }
  }
  return merged;
}
