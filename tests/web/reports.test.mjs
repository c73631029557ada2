// The reports read back out of the program's output, and the experiments
// the page keeps of them.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { describe, test } from 'node:test';
import { make_experiment_log } from '../../src/web/core/experiment_log.mjs';
import { make_report_reader } from '../../src/web/core/reports.mjs';

// Every experiment read from `pieces`, given to the reader in turn.
function read_all(pieces) {
  const found = [];
  const read = make_report_reader((experiment) => found.push(experiment));
  for (const piece of pieces) {
    read(piece);
  }
  return found;
}

const prompt = 'How many? ';
const report = (counts, statistic) => `\nThe observed counts: ${counts.join(' ')} \n\nChi-squared = ${statistic}\n\n${prompt}`;

describe('the report reader', () => {
  const cases = [
    ['one roll', report([0, 0, 1, 0, 0, 0], '5'), [{ rolls: 1, statistic: 5, text: '5' }]],
    ['a statistic with decimals', report([97, 95, 104, 102, 101, 101], '0.56'), [{ rolls: 600, statistic: 0.56, text: '0.56' }]],
    ['a statistic with an exponent', report([343585632, 343609696, 364981403, 365035226, 364969133, 365302757], '1.66534e+06'),
      [{ rolls: 2147483847, statistic: 1665340, text: '1.66534e+06' }]],
    ['prompts alone, as after complaints', prompt.repeat(3), []],
    ['a report not yet ended', report([1, 0, 0, 0, 0, 0], '5').slice(0, -prompt.length - 2), []],
    ['two reports', report([1, 0, 0, 0, 0, 0], '5') + report([0, 2, 0, 0, 0, 0], '10'),
      [{ rolls: 1, statistic: 5, text: '5' }, { rolls: 2, statistic: 10, text: '10' }]],
  ];
  for (const [name, output, expected] of cases) {
    test(name, () => {
      const found = read_all([output]).map(({ rolls, statistic, text }) => ({ rolls, statistic, text }));
      assert.deepEqual(found, expected);
    });
  }

  test('reads a report cut anywhere', () => {
    const output = report([97, 95, 104, 102, 101, 101], '0.56');
    const whole = read_all([output]);
    for (let cut = 0; cut <= output.length; cut++) {
      assert.deepEqual(read_all([output.slice(0, cut), output.slice(cut)]), whole, `cut at ${cut}`);
    }
    assert.deepEqual(read_all([...output]), whole);
  });

  // The program itself, where the test is told where it is (CTest does).
  const program = process.env.DIE_ROLL;
  test("reads the program's own reports, complaints between them", { skip: !program && 'DIE_ROLL is not set' }, () => {
    const answers = [600, 1, 1000000, 7];
    const output = execFileSync(program, { input: `${answers[0]} x ${answers.slice(1).join('\n')} -5\n`, encoding: 'utf8', stdio: ['pipe', 'pipe', 'ignore'] });
    const found = read_all([output]);
    assert.deepEqual(found.map((e) => e.rolls), answers);
    for (const { counts, rolls, statistic } of found) {
      const expected = rolls / 6;
      const chi_squared = counts.reduce((sum, count) => sum + (count - expected) ** 2 / expected, 0);
      // Written with six significant digits.
      assert.ok(Math.abs(statistic - chi_squared) <= 5e-6 * Math.max(chi_squared, 1), `${statistic} against ${chi_squared}`);
    }
  });
});

describe('the experiments kept', () => {
  const experiments = (count) => Array.from({ length: count }, (_, i) => ({ rolls: i }));
  test('are the newest, by serial', () => {
    const log = make_experiment_log(5);
    log.add(experiments(3));
    log.add(experiments(4));
    assert.equal(log.oldest(), 2);
    const { next, more } = log.after(-1, 10);
    assert.deepEqual(next.map((e) => e.serial), [2, 3, 4, 5, 6]);
    assert.equal(more, false);
    // As the pictures read them.
    assert.deepEqual(log.kept().map((e) => e.rolls), [2, 0, 1, 2, 3]);
    assert.equal(log.latest().rolls, 3);
    // Many more than the log holds, one at a time, as reports come.
    for (const experiment of experiments(13)) {
      log.add([experiment]);
    }
    assert.equal(log.oldest(), 15);
    assert.deepEqual(log.after(-1, 10).next.map((e) => e.serial), [15, 16, 17, 18, 19]);
    assert.deepEqual(log.kept().map((e) => e.rolls), [8, 9, 10, 11, 12]);
  });

  test('are given in steps, from after the last drawn', () => {
    const log = make_experiment_log(5);
    log.add(experiments(7));
    assert.deepEqual(log.after(3, 2), { next: [{ serial: 4, experiment: { rolls: 4 } }, { serial: 5, experiment: { rolls: 5 } }], more: true });
    assert.deepEqual(log.after(6, 2), { next: [], more: false });
  });

  test('start at the next serial where there are none', () => {
    const log = make_experiment_log(5);
    assert.equal(log.oldest(), 0);
    assert.deepEqual(log.after(-1, 2), { next: [], more: false });
  });
});
