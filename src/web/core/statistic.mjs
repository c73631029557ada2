// What a reader needs to judge an experiment's statistic.

// The chi-squared value that a fair die's statistic (5 degrees of freedom)
// exceeds with probability 0.05.
export const critical_value = 11.07;

// The mean of this die's statistic for n rolls is 5 + n times this bias
// term: 6 times the sum over faces of (p - 1/6)^2, with p = 5243/32768 for
// faces 1 and 2 and about 0.17 for the others.
export const mean_per_roll = 0.000799;

// One sentence on an experiment, for those who cannot see the pictures.
export function summary_of(experiment) {
  const { rolls, statistic, text } = experiment;
  const counted = `${rolls.toLocaleString('en')} ${rolls === 1 ? 'roll' : 'rolls'}`;
  const verdict = statistic > 10 * critical_value ? 'far above'
    : statistic > critical_value ? 'above' : 'within';
  return `${counted}: chi-squared ${text}, ${verdict} a fair die's 5% value of ${critical_value}.`;
}
