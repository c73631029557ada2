'use strict';
// The experiments read back out of the program's reports, for the
// pictures, a sentence on the latest and a table of them all: brought up
// to date once a frame with what came since, as a paste of thousands of
// answers brings thousands of reports at once.

// The most experiments the picture and the table keep: the oldest go first.
const most_experiments = 2000;

// Reads the reports out of the program's standard output as it comes and
// calls `found` with each experiment's counts and statistic.
function make_report_reader(found) {
  const report = /The observed counts: ((?:\d+ ){6})\n\nChi-squared = ([^\n]+)\n/;
  let text = '';
  return function read(output) {
    text += output;
    for (;;) {
      const match = report.exec(text);
      if (match === null) {
        break;
      }
      const counts = match[1].trim().split(' ').map(Number);
      found({
        counts,
        rolls: counts.reduce((a, b) => a + b, 0),
        statistic: Number(match[2]),
        text: match[2],
      });
      text = text.slice(match.index + match[0].length);
    }
    // A report is far shorter than this; older text can hold none.
    if (text.length > 4096) {
      text = text.slice(-4096);
    }
  };
}

// One sentence on an experiment, for those who cannot see the pictures.
function summary_of(e) {
  const rolls = `${e.rolls.toLocaleString('en')} ${e.rolls === 1 ? 'roll' : 'rolls'}`;
  const verdict = e.statistic > 10 * critical_value ? 'far above'
    : e.statistic > critical_value ? 'above' : 'within';
  return `${rolls}: chi-squared ${e.text}, ${verdict} a fair die's 5% value of ${critical_value}.`;
}

function table_row(e) {
  const row = document.createElement('tr');
  for (const value of [e.rolls, ...e.counts]) {
    const cell = document.createElement('td');
    cell.textContent = value.toLocaleString('en');
    row.appendChild(cell);
  }
  const statistic = document.createElement('td');
  statistic.textContent = e.text;
  row.appendChild(statistic);
  return row;
}

// A table of the newest `most_experiments` experiments, for which
// `add(experiments)` is called with each frame's. Its rows are made only
// while it is open, and then at most `rows_a_frame` of them a frame, the
// oldest missing first, so that a burst of reports costs a frame little.
const rows_a_frame = 200;

function make_experiment_table(table) {
  const details = table.closest('details');
  const rows = table.tBodies[0];
  let kept = [];  // as { serial, experiment }, the oldest first
  let serials = 0;
  const draw_soon = once_a_frame(draw);

  function draw() {
    if (!details.open) {
      return;
    }
    const oldest = kept.length > 0 ? kept[0].serial : serials;
    while (rows.firstElementChild !== null && Number(rows.firstElementChild.dataset.serial) < oldest) {
      rows.firstElementChild.remove();
    }
    const last_shown = rows.lastElementChild === null ? oldest - 1 : Number(rows.lastElementChild.dataset.serial);
    const from = last_shown + 1 - oldest;
    const next = kept.slice(from, from + rows_a_frame);
    rows.append(...next.map(({ serial, experiment }) => {
      const row = table_row(experiment);
      row.dataset.serial = String(serial);
      return row;
    }));
    if (from + next.length < kept.length) {
      draw_soon();
    }
  }

  details.addEventListener('toggle', draw_soon);
  return function add(experiments) {
    for (const experiment of experiments) {
      kept.push({ serial: serials, experiment });
      serials += 1;
    }
    kept = kept.slice(-most_experiments);
    draw_soon();
  };
}

// Returns the function that takes each experiment as it is read.
function make_experiment_views({ statistic, counts, summary, table }) {
  const add_points = make_statistic_chart(statistic, most_experiments);
  const show_counts = make_counts_chart(counts);
  const add_rows = make_experiment_table(table);
  let waiting = [];
  const draw_soon = once_a_frame(() => {
    const fresh = waiting;
    waiting = [];
    const latest = fresh[fresh.length - 1];
    add_points(fresh);
    add_rows(fresh);
    show_counts(latest);
    summary.textContent = summary_of(latest);
  });
  return function found(experiment) {
    waiting.push(experiment);
    if (waiting.length > 2 * most_experiments) {
      waiting = waiting.slice(-most_experiments);
    }
    draw_soon();
  };
}
