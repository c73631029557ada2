// What the page says in words: the sentence on an experiment, and the
// program's end.
import assert from 'node:assert/strict';
import { describe, test } from 'node:test';
import { summary_of } from '../../src/web/core/statistic.mjs';
import * as statuses from '../../src/web/core/statuses.mjs';

describe('the sentence on an experiment', () => {
  const cases = [
    [{ rolls: 1, statistic: 5, text: '5' }, "1 roll: chi-squared 5, within a fair die's 5% value of 11.07."],
    [{ rolls: 600, statistic: 11.07, text: '11.07' }, "600 rolls: chi-squared 11.07, within a fair die's 5% value of 11.07."],
    [{ rolls: 100000, statistic: 11.08, text: '11.08' }, "100,000 rolls: chi-squared 11.08, above a fair die's 5% value of 11.07."],
    [{ rolls: 2147483647, statistic: 1665340, text: '1.66534e+06' },
      "2,147,483,647 rolls: chi-squared 1.66534e+06, far above a fair die's 5% value of 11.07."],
  ];
  for (const [experiment, sentence] of cases) {
    test(`${experiment.rolls} rolls, ${experiment.text}`, () => assert.equal(summary_of(experiment), sentence));
  }
});

describe('what a browser lacks', () => {
  const cases = [
    ['no WebAssembly', undefined, DecompressionStream, /no WebAssembly/],
    ['no DecompressionStream', WebAssembly, undefined, /no DecompressionStream/],
    ['WebAssembly without SIMD', { validate: () => false }, DecompressionStream, /no SIMD/],
    ['a validator that throws', { validate: () => { throw new Error('no'); } }, DecompressionStream, /no SIMD/],
    ["node's WebAssembly", WebAssembly, DecompressionStream, null],
  ];
  for (const [name, wasm, decompression, said] of cases) {
    test(name, () => {
      const missing = statuses.what_is_missing(wasm, decompression);
      if (said === null) {
        assert.equal(missing, null);
      } else {
        assert.match(missing, said);
      }
    });
  }
});

describe('a failure', () => {
  const cases = [
    ['out of memory', 'RuntimeError: Aborted(OOM). Build with -sASSERTIONS for more info.',
      'die_roll ran out of memory in this browser and was stopped, with exit status 134.'],
    ['anything else', 'RuntimeError: unreachable. Build with -sASSERTIONS for more info.',
      'die_roll stopped unexpectedly, with exit status 134. (The browser said: RuntimeError: unreachable.)'],
  ];
  for (const [name, reason, sentence] of cases) {
    test(name, () => assert.equal(statuses.failed(reason), sentence));
  }
});
