// The messages between the page and the worker.
import assert from 'node:assert/strict';
import { describe, test } from 'node:test';
import { dispatch, to_page, to_worker, transfer_list } from '../../src/web/core/protocol.mjs';

describe('a message posted', () => {
  const bytes = () => new TextEncoder().encode('600\n');
  const cases = [
    ['input', () => to_worker.input(bytes())],
    ['end', () => to_worker.end()],
    ['started', () => to_page.started(1765000000000)],
    ['output', () => to_page.output([[1, bytes()], [2, bytes()], [1, bytes()]])],
    ['waiting', () => to_page.waiting()],
    ['busy', () => to_page.busy()],
    ['exit', () => to_page.exit(0)],
    ['failed', () => to_page.failed(new Error('Aborted(OOM)'))],
  ];
  for (const [kind, make] of cases) {
    test(`${kind} arrives whole, its bytes handed over`, () => {
      const message = make();
      const expected = structuredClone(message);
      const transfer = transfer_list(message);
      const received = structuredClone(message, { transfer });
      assert.equal(received.kind, kind);
      assert.deepEqual(received, expected);
      // A buffer handed over is left empty on the sender's side.
      for (const buffer of transfer) {
        assert.equal(buffer.byteLength, 0);
      }
    });
  }

  test('a failure carries the reason in words', () => {
    assert.equal(to_page.failed(new RangeError('out of memory')).reason, 'RangeError: out of memory');
  });
});

describe('dispatch', () => {
  const handlers = { exit: () => {} };
  const cases = [
    ['a kind with a handler', to_page.exit(3), true],
    ['a kind without one', to_page.busy(), false],
    ["an object's own name", { kind: 'toString' }, false],
    ['no kind', {}, false],
    ['not a message', null, false],
    ['a string', 'exit', false],
  ];
  for (const [name, message, called] of cases) {
    test(name, () => assert.equal(dispatch(message, handlers), called));
  }
  test('hands the handler its message', () => {
    const heard = [];
    dispatch(to_page.exit(3), { exit: (message) => heard.push(message) });
    assert.deepEqual(heard, [to_page.exit(3)]);
  });
});
