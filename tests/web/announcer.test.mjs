// What a screen reader is asked to say when the program waits.
import assert from 'node:assert/strict';
import { describe, test } from 'node:test';
import { make_announcer, most_characters } from '../../src/web/core/announcer.mjs';
import { make_report_reader } from '../../src/web/core/reports.mjs';

const prompt = 'How many times do you want to roll the die (enter 0 to quit): ';
const complaint = 'The answer must be a whole number of rolls, at most 2147483647.\n';
const report = (counts, statistic) => `\nThe observed counts: ${counts.join(' ')} \n\nChi-squared = ${statistic}\n\n${prompt}`;
// Each report named by its number of rolls, as an answer typed may not be
// what the program read.
const said = (counts, statistic) => {
  const rolls = counts.reduce((a, b) => a + b);
  return `${rolls.toLocaleString('en')} roll${rolls === 1 ? '' : 's'}: the observed counts: ${counts.join(' ')}. Chi-squared = ${statistic}.`;
};

// [name, what the program writes after the first prompt before it waits
// again, as [text, descriptor], what is said then]
const cases = [
  ['an empty line answered: nothing new', [], null],
  ['one answer: its report and the next prompt', [[report([97, 95, 104, 102, 101, 101], '0.56'), 1]],
    `${said([97, 95, 104, 102, 101, 101], '0.56')} ${prompt.trim()}`],
  ['a report written in pieces', [...[...report([0, 1, 0, 0, 0, 0], '5')].map((c) => [c, 1])],
    `${said([0, 1, 0, 0, 0, 0], '5')} ${prompt.trim()}`],
  ['a complaint and the prompt again', [[complaint, 2], [prompt, 1]], `${complaint.trim()} ${prompt.trim()}`],
  ['a burst: how many reports, the last, and the complaints', [
    ...Array.from({ length: 1999 }, () => [report([1, 0, 0, 0, 0, 0], '5'), 1]), [report([0, 0, 0, 0, 0, 2], '10'), 1],
    [complaint, 2], [prompt, 1], [complaint, 2], [prompt, 1]],
  `2,000 reports; the last, ${said([0, 0, 0, 0, 0, 2], '10')} 2 answers refused: ${complaint.trim()} ${prompt.trim()}`],
];

// The announcer as the page wires it: standard output goes through the
// page's report reader too.
function make_listener() {
  const announcer = make_announcer();
  const read = make_report_reader(announcer.report);
  return {
    output(text, fd) {
      announcer.output(text, fd);
      if (fd === 1) {
        read(text);
      }
    },
    waiting: () => announcer.waiting(),
    ended: () => announcer.ended(),
  };
}

describe('what is said when the program waits', () => {
  for (const [name, writes, expected] of cases) {
    test(name, () => {
      const announcer = make_listener();
      // The first prompt says nothing: the answer field is named by it.
      announcer.output(prompt, 1);
      assert.equal(announcer.waiting(), null);
      for (const [text, fd] of writes) {
        announcer.output(text, fd);
      }
      assert.equal(announcer.waiting(), expected);
    });
  }

  // A report finished just before the end ("600 0", a paste ending in 0,
  // an answer and End input) is said before the end, without a prompt.
  test('the last report before the end, once', () => {
    const announcer = make_listener();
    announcer.output(prompt + report([97, 95, 104, 102, 101, 101], '0.56'), 1);
    assert.equal(announcer.ended(), said([97, 95, 104, 102, 101, 101], '0.56'));
    assert.equal(announcer.ended(), null);
  });

  test('each report once', () => {
    const announcer = make_listener();
    announcer.output(prompt + report([1, 0, 0, 0, 0, 0], '5'), 1);
    assert.notEqual(announcer.waiting(), null);
    assert.equal(announcer.waiting(), null);
  });

  test('at most the bound, whatever was written', () => {
    const announcer = make_listener();
    announcer.output(`${'9'.repeat(5000)}\n`, 2);
    announcer.output('x'.repeat(5000), 1);
    assert.equal(announcer.waiting().length, most_characters);
  });
});
