// Keys and pastes in the answer field, and what the program is sent.
import assert from 'node:assert/strict';
import { describe, test } from 'node:test';
import { act, key_action, messages_of, paste } from '../../src/web/core/line_discipline.mjs';

const key = (key, more = {}) => ({ key, code: '', ctrlKey: false, altKey: false, metaKey: false, isComposing: false, ...more });
const ctrl = (letter, more = {}) => key(letter, { ctrlKey: true, code: `Key${letter.toUpperCase()}`, ...more });

describe('a key', () => {
  const cases = [
    ['Enter', key('Enter'), false, 'line'],
    ['Enter while composing', key('Enter', { isComposing: true }), false, null],
    ['Ctrl-D', ctrl('d'), false, 'eof'],
    ['Ctrl-D with Shift', ctrl('D'), false, 'eof'],
    ['Ctrl-D by its place on a Cyrillic layout', key('в', { ctrlKey: true, code: 'KeyD' }), false, 'eof'],
    ['Ctrl-D with text selected', ctrl('d'), true, 'eof'],
    ['Ctrl-Alt-D', ctrl('d', { altKey: true }), false, null],
    ['Ctrl-C', ctrl('c'), false, 'interrupt'],
    ['Ctrl-C with text selected, which copies', ctrl('c'), true, null],
    ['Cmd-C', key('c', { metaKey: true, code: 'KeyC' }), false, null],
    ['a digit', key('7', { code: 'Digit7' }), false, null],
  ];
  for (const [name, event, has_selection, expected] of cases) {
    test(name, () => assert.equal(key_action(event, has_selection), expected));
  }
});

// The steps of an action or a paste, each as the text sent, ['end'] or
// ['interrupt', what is echoed]; what is echoed is what is sent otherwise.
function steps_of({ steps }) {
  return steps.map((step) => {
    if (step.interrupt) {
      assert.equal(step.send, '');
      return ['interrupt', step.echo];
    }
    assert.equal(step.echo, step.send);
    return step.end ? ['end'] : step.send;
  });
}

describe('an action on the line typed', () => {
  const cases = [
    ['Enter', 'line', '12', ['12\n']],
    ['Enter on an empty line', 'line', '', ['\n']],
    ['Ctrl-D at the start of a line ends the input', 'eof', '', [['end']]],
    ['Ctrl-D after text sends the text alone', 'eof', '12', ['12']],
    ['Ctrl-C sends nothing', 'interrupt', '12', [['interrupt', '12^C\n']]],
  ];
  for (const [name, action, line, expected] of cases) {
    test(name, () => {
      const result = act(action, line);
      assert.deepEqual(steps_of(result), expected);
      assert.equal(result.keep, '');
    });
  }
});

describe('a paste', () => {
  // [name, field, selection, pasted, steps (null: the field takes it), kept]
  const cases = [
    ['without a line end', '1', [1, 1], '23', null, null],
    ['of lines with a last line end', '', [0, 0], '1\n2\n', ['1\n2\n'], ''],
    ['of lines without a last line end', '', [0, 0], '1\n2', ['1\n'], '2'],
    ['of CRLF lines', '', [0, 0], '1\r\n2\r\n', ['1\n2\n'], ''],
    ['of CR lines', '', [0, 0], '1\r2\r', ['1\n2\n'], ''],
    ['of empty lines', '', [0, 0], '\n\n', ['\n\n'], ''],
    ['after text typed', '12', [2, 2], '3\n4', ['123\n'], '4'],
    ['into the middle of the text', 'ab', [1, 1], 'x\ny', ['ax\n'], 'yb'],
    ['over a selection', 'abc', [0, 3], '5\n', ['5\n'], ''],
    // Ctrl-D and Ctrl-C as a terminal takes them from a paste, in the
    // order pasted.
    ['ending in Ctrl-D after a line end: the end of input', '', [0, 0], '1\n2\n\u0004', ['1\n2\n', ['end']], ''],
    ['with Ctrl-D after text: the text, read on its own', '', [0, 0], '5\u00046\n7', ['5', '6\n'], '7'],
    ['with lines after the end of input', '', [0, 0], '3\n\u00047\n', ['3\n', ['end'], '7\n'], ''],
    ['of Ctrl-D alone, on an empty field', '', [0, 0], '\u0004', [['end']], ''],
    ['with Ctrl-C: what came before, then the interrupt, and nothing after', '4', [1, 1], '\n5\u00036\n', ['4\n', ['interrupt', '5^C\n']], ''],
    ['of Ctrl-C after the end of input', '', [0, 0], '\u0004\u0003', [['end'], ['interrupt', '^C\n']], ''],
  ];
  for (const [name, field, [start, end], pasted, steps, kept] of cases) {
    test(name, () => {
      const result = paste(field, start, end, pasted);
      if (steps === null) {
        assert.equal(result, null);
      } else {
        assert.deepEqual(steps_of(result), steps);
        assert.equal(result.keep, kept);
      }
    });
  }
});

describe('what the program is sent', () => {
  const bytes_of = (messages) => messages.map((m) => (m.kind === 'input' ? [...m.bytes] : m.kind));
  const cases = [
    ['a line, as UTF-8', act('line', 'é1'), [[0xc3, 0xa9, 0x31, 0x0a]]],
    ['the text before a Ctrl-D, without a line end', act('eof', '12'), [[0x31, 0x32]]],
    ['the end of input, alone', act('eof', ''), ['end']],
    ['nothing at Ctrl-C', act('interrupt', '12'), []],
    ["a paste's lines, in one message", paste('', 0, 0, '1\n2\n3'), [[0x31, 0x0a, 0x32, 0x0a]]],
  ];
  for (const [name, result, expected] of cases) {
    test(name, () => assert.deepEqual(bytes_of(result.steps.flatMap(messages_of)), expected));
  }
});
