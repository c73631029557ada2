// The console's scrollback: its bounds, its blocks and its tail, and what
// one frame adds.
import assert from 'node:assert/strict';
import { describe, test } from 'node:test';
import { make_scrollback } from '../../src/web/core/scrollback.mjs';

const small = {
  scrollback: { characters: 1000, trim_to: 600 },
  block: { characters: 50, lines: 4 },
  frame: { characters: 100, lines: 8 },
};
const lines = (count, width = 9) => Array.from({ length: count }, (_, i) => `${String(i).padStart(width - 1, '.')}\n`).join('');
const runs_text = (runs) => runs.map(([text]) => text).join('');

// Shows everything queued, frame by frame; the number of frames.
function drain(scrollback) {
  let frames = 1;
  while (scrollback.frame().more) {
    frames += 1;
  }
  return frames;
}

// What holds once every frame has shown what was queued.
function check_shape(scrollback, shown) {
  const text = scrollback.text();
  assert.ok(shown.endsWith(text), 'the scrollback holds the newest text shown');
  assert.equal(scrollback.held(), text.length);
  assert.ok(scrollback.held() <= small.scrollback.characters);
  for (const block of scrollback.blocks.filter((b) => b.runs !== undefined)) {
    const block_text = runs_text(block.runs);
    assert.ok(block_text.endsWith('\n'), 'a block ends at a line end');
    assert.ok(block_text.split('\n').length - 1 <= small.block.lines);
  }
  assert.ok(!runs_text(scrollback.tail()).includes('\n'), 'the tail is one line');
}

describe('a frame', () => {
  test('takes whole lines, about its share, until the queue is shown', () => {
    const scrollback = make_scrollback(small);
    const shown = lines(30, 15);
    scrollback.queue(shown, 'output');
    const first = scrollback.frame();
    assert.deepEqual(first, { more: true, cut: false });
    assert.ok(scrollback.held() >= small.frame.characters && scrollback.held() < small.frame.characters + 15);
    assert.equal(drain(scrollback), 4);
    assert.equal(scrollback.text(), shown);
    check_shape(scrollback, shown);
  });

  test('takes at most its share of lines', () => {
    const scrollback = make_scrollback(small);
    scrollback.queue('1\n'.repeat(20), 'output');
    scrollback.frame();
    assert.equal(scrollback.text(), '1\n'.repeat(small.frame.lines));
  });

  test('takes a line longer than its share whole', () => {
    const scrollback = make_scrollback(small);
    const long = `${'9'.repeat(3 * small.frame.characters)}\n`;
    scrollback.queue(long + long, 'output');
    scrollback.frame();
    assert.equal(scrollback.text(), long);
  });

  test('leaves the line still written in the tail, and joins runs of one kind', () => {
    const scrollback = make_scrollback(small);
    scrollback.queue('How many: ', 'output');
    scrollback.queue('12\n', 'echo');
    scrollback.queue('\nThe observed', 'output');
    scrollback.queue(' counts', 'output');
    scrollback.frame();
    assert.deepEqual(scrollback.blocks.map((b) => b.runs), [[['How many: ', 'output'], ['12\n', 'echo'], ['\n', 'output']]]);
    assert.deepEqual(scrollback.tail(), [['The observed counts', 'output']]);
  });
});

describe('the bounds', () => {
  test('a queue of more than the scrollback keeps its newest text', () => {
    const scrollback = make_scrollback(small);
    const shown = lines(200);
    assert.equal(scrollback.queue(shown, 'output'), true);
    drain(scrollback);
    assert.equal(scrollback.text(), shown.slice(-small.scrollback.characters));
    check_shape(scrollback, shown);
  });

  test('a scrollback over its bound is trimmed to whole lines', () => {
    const scrollback = make_scrollback(small);
    let shown = '';
    let cut = false;
    for (let i = 0; i < 50; i++) {
      const text = lines(7, 5 + i % 11);
      shown += text;
      assert.equal(scrollback.queue(text, i % 2 === 0 ? 'output' : 'echo'), false);
      cut = scrollback.frame().cut || cut;
      check_shape(scrollback, shown);
      if (shown.length > small.scrollback.characters) {
        assert.ok(scrollback.held() > small.scrollback.trim_to - 200);
      }
    }
    assert.ok(cut, 'the oldest block lost part of its text');
    const text = scrollback.text();
    assert.equal(shown.at(-text.length - 1), '\n', 'the scrollback starts a line');
  });

  test('a line longer than the reach to a line end is cut where the bound falls', () => {
    const scrollback = make_scrollback(small);
    const shown = `${'7'.repeat(900)}\n${'8'.repeat(900)}\n`;
    scrollback.queue(shown.slice(0, 901), 'output');
    scrollback.frame(true);
    scrollback.queue(shown.slice(901), 'output');
    scrollback.frame(true);
    assert.equal(scrollback.text(), shown.slice(-small.scrollback.trim_to));
  });
});

describe('a mark of a new run', () => {
  test('ends the tail and adds no text', () => {
    const scrollback = make_scrollback(small);
    scrollback.queue('1\nlast line', 'output');
    scrollback.mark('run 2');
    assert.equal(scrollback.text(), '1\nlast line');
    assert.deepEqual(scrollback.tail(), []);
    assert.equal(scrollback.blocks.at(-1).mark, 'run 2');
  });

  test('goes with the text before it', () => {
    const scrollback = make_scrollback(small);
    scrollback.queue(lines(10), 'output');
    scrollback.mark('run 2');
    scrollback.queue(lines(200), 'output');
    drain(scrollback);
    assert.equal(scrollback.blocks.filter((b) => b.mark !== undefined).length, 0);
  });
});
