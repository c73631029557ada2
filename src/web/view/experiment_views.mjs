// The experiments read back out of the program's reports, for the
// pictures, a sentence on the latest and the table, all drawn from one
// log: brought up to date once a frame with what came since, as a paste of
// thousands of answers brings thousands of reports at once.
import { make_experiment_log, most_experiments } from '../core/experiment_log.mjs';
import { critical_value, mean_per_roll, summary_of } from '../core/statistic.mjs';
import { make_counts_chart } from './counts_chart.mjs';
import { once_a_frame } from './once_a_frame.mjs';
import { make_experiment_table } from './experiment_table.mjs';
import { make_statistic_chart } from './statistic_chart.mjs';

// The words that name the numbers the pictures and the table are drawn by.
function label(keys) {
  keys.fair.textContent = `Dotted: a fair die's 5% critical value, ${critical_value}.`;
  keys.mean.textContent = `Line: this die's mean, 5 + ${mean_per_roll}\u00a0n.`;
  keys.kept.textContent = most_experiments.toLocaleString('en');
}

// Returns the function that takes the experiments read, the newest last.
export function make_experiment_views({ statistic, counts, summary, table, keys }) {
  label(keys);
  const log = make_experiment_log();
  const draw_points = make_statistic_chart(statistic, log);
  const show_counts = make_counts_chart(counts);
  const draw_rows = make_experiment_table(table, log);
  const draw_soon = once_a_frame(() => {
    const latest = log.latest();
    draw_points();
    draw_rows();
    show_counts(latest);
    summary.textContent = summary_of(latest);
  });
  return function found(experiments) {
    log.add(experiments);
    draw_soon();
  };
}
