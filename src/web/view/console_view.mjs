// The console as the page shows it: the scrollback's blocks as elements in
// the log, each run as a span of its kind, and its tail in an inline span
// that the answer field follows. Drawn from the scrollback once a frame.
import { make_scrollback } from '../core/scrollback.mjs';
import { once_a_frame } from './once_a_frame.mjs';

function span_of(text, kind) {
  const span = document.createElement('span');
  span.className = kind;
  span.textContent = text;
  return span;
}

function element_of(block) {
  const element = document.createElement('div');
  element.dataset.block = String(block.id);
  if (block.mark !== undefined) {
    element.className = 'mark';
    element.dataset.name = block.mark;
  } else {
    element.className = 'lines';
    element.append(...block.runs.map(([text, kind]) => span_of(text, kind)));
  }
  return element;
}

// `log` holds the text; `screen`, which scrolls, keeps its newest line in
// view.
export function make_console(log, screen) {
  const scrollback = make_scrollback();
  const tail = document.createElement('span');
  log.appendChild(tail);
  let drawn = -1;  // the id of the newest block drawn
  const frame_soon = once_a_frame(() => draw(false));

  // Draws what the scrollback holds now: its dropped blocks go, a block
  // that lost part of its text is drawn again, and new blocks are added.
  function render(cut) {
    const oldest = scrollback.blocks.length > 0 ? scrollback.blocks[0].id : drawn + 1;
    while (log.firstElementChild !== tail && Number(log.firstElementChild.dataset.block) < oldest) {
      log.firstElementChild.remove();
    }
    if (cut && log.firstElementChild !== tail) {
      log.firstElementChild.replaceWith(element_of(scrollback.blocks[0]));
    }
    const fresh = scrollback.blocks.filter((block) => block.id > drawn);
    for (const block of fresh) {
      log.insertBefore(element_of(block), tail);
      drawn = block.id;
    }
    tail.replaceChildren(...scrollback.tail().map(([text, kind]) => span_of(text, kind)));
    screen.scrollTop = screen.scrollHeight;
  }

  function draw(whole) {
    const { more, cut } = scrollback.frame(whole);
    render(cut);
    if (more) {
      frame_soon();
    }
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

  return {
    // Shows text of one kind: 'output', 'complaint' or 'echo'. A hidden
    // page gets no frames: what would be more than the scrollback is shown
    // at once.
    show(text, kind) {
      if (scrollback.queue(text, kind) && document.hidden) {
        draw(true);
      } else {
        frame_soon();
      }
    },
    // Shows everything queued now.
    flush: () => draw(true),
    // Ends the text with a mark of a new run, `name`.
    mark(name) {
      scrollback.mark(name);
      render(false);
    },
  };
}
