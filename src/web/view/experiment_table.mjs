// The table of the experiments kept, the latest last. Its rows are made
// only while it is open, and then at most `rows_a_frame` of them a frame,
// the oldest missing first, so that a burst of reports costs a frame little.
import { once_a_frame } from './once_a_frame.mjs';

const rows_a_frame = 200;

function table_row({ serial, experiment }) {
  const row = document.createElement('tr');
  row.dataset.serial = String(serial);
  for (const value of [experiment.rolls, ...experiment.counts]) {
    const cell = document.createElement('td');
    cell.textContent = value.toLocaleString('en');
    row.appendChild(cell);
  }
  const statistic = document.createElement('td');
  statistic.textContent = experiment.text;
  row.appendChild(statistic);
  return row;
}

// The rows of what `log` (core/experiment_log.mjs) keeps; returns the
// function that brings them up to date.
export function make_experiment_table(table, log) {
  const details = table.closest('details');
  const rows = table.tBodies[0];
  const draw_soon = once_a_frame(draw);

  function draw() {
    if (!details.open) {
      return;
    }
    const oldest = log.oldest();
    while (rows.firstElementChild !== null && Number(rows.firstElementChild.dataset.serial) < oldest) {
      rows.firstElementChild.remove();
    }
    const last = rows.lastElementChild === null ? oldest - 1 : Number(rows.lastElementChild.dataset.serial);
    const { next, more } = log.after(last, rows_a_frame);
    rows.append(...next.map(table_row));
    if (more) {
      draw_soon();
    }
  }

  details.addEventListener('toggle', draw_soon);
  return draw;
}
