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

describe('an action on the line typed', () => {
  const cases = [
    ['Enter', 'line', '12', { echo: '12\n', send: '12\n', end: false, interrupt: false }],
    ['Enter on an empty line', 'line', '', { echo: '\n', send: '\n', end: false, interrupt: false }],
    ['Ctrl-D at the start of a line ends the input', 'eof', '', { echo: '', send: '', end: true, interrupt: false }],
    ['Ctrl-D after text sends the text alone', 'eof', '12', { echo: '12', send: '12', end: false, interrupt: false }],
    ['Ctrl-C sends nothing', 'interrupt', '12', { echo: '12^C\n', send: '', end: false, interrupt: true }],
  ];
  for (const [name, action, line, expected] of cases) {
    test(name, () => assert.deepEqual(act(action, line), { ...expected, keep: '' }));
  }
});

describe('a paste', () => {
  // [name, field, selection, pasted, sent (null: the field takes it), kept]
  const cases = [
    ['without a line end', '1', [1, 1], '23', null, null],
    ['of lines with a last line end', '', [0, 0], '1\n2\n', '1\n2\n', ''],
    ['of lines without a last line end', '', [0, 0], '1\n2', '1\n', '2'],
    ['of CRLF lines', '', [0, 0], '1\r\n2\r\n', '1\n2\n', ''],
    ['of CR lines', '', [0, 0], '1\r2\r', '1\n2\n', ''],
    ['of empty lines', '', [0, 0], '\n\n', '\n\n', ''],
    ['after text typed', '12', [2, 2], '3\n4', '123\n', '4'],
    ['into the middle of the text', 'ab', [1, 1], 'x\ny', 'ax\n', 'yb'],
    ['over a selection', 'abc', [0, 3], '5\n', '5\n', ''],
  ];
  for (const [name, field, [start, end], pasted, sent, kept] of cases) {
    test(name, () => {
      const result = paste(field, start, end, pasted);
      if (sent === null) {
        assert.equal(result, null);
      } else {
        assert.deepEqual(result, { echo: sent, send: sent, end: false, interrupt: false, keep: kept });
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
  for (const [name, sent, expected] of cases) {
    test(name, () => assert.deepEqual(bytes_of(messages_of(sent)), expected));
  }
});
