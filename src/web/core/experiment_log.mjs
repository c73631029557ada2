// The experiments that the page keeps, in one log that the pictures, the
// sentence and the table all read: the newest `most_experiments` of every
// run, each with a serial number, so that a view drawn in steps can tell
// which it has drawn.

export const most_experiments = 2000;

export function make_experiment_log(most = most_experiments) {
  // { serial, experiment }, the oldest first: up to twice `most`, trimmed
  // to `most` when full, so that a burst of thousands of reports costs no
  // copy of the log each.
  let entries = [];
  let serials = 0;
  // The index in `entries` of the oldest kept.
  const first = () => Math.max(entries.length - most, 0);
  // The serial of the oldest experiment kept (of the next, where none is).
  const oldest = () => (entries.length > 0 ? entries[first()].serial : serials);

  return {
    add(experiments) {
      for (const experiment of experiments) {
        entries.push({ serial: serials, experiment });
        serials += 1;
      }
      if (entries.length > 2 * most) {
        entries = entries.slice(-most);
      }
    },
    oldest,
    // The experiments kept, the oldest first.
    kept: () => entries.slice(first()).map((entry) => entry.experiment),
    // The newest experiment, or undefined.
    latest: () => entries[entries.length - 1]?.experiment,
    // Up to `count` experiments kept after serial `last_drawn`, the oldest
    // first, as { serial, experiment }; whether more follow them.
    after(last_drawn, count) {
      const from = Math.max(last_drawn + 1 - oldest(), 0) + first();
      const next = entries.slice(from, from + count);
      return { next, more: from + next.length < entries.length };
    },
  };
}
