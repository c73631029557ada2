// The experiments that the page keeps for its pictures and its table: the
// newest `most_experiments` of every run, each with a serial number, so
// that a view drawn in steps can tell which it has drawn.

export const most_experiments = 2000;

export function make_experiment_log(most = most_experiments) {
  let kept = [];  // { serial, experiment }, the oldest first
  let serials = 0;
  // The serial of the oldest experiment kept (of the next, where none is).
  const oldest = () => (kept.length > 0 ? kept[0].serial : serials);

  return {
    add(experiments) {
      for (const experiment of experiments) {
        kept.push({ serial: serials, experiment });
        serials += 1;
      }
      if (kept.length > most) {
        kept = kept.slice(-most);
      }
    },
    oldest,
    // Up to `count` experiments kept after serial `last_drawn`, the oldest
    // first, as { serial, experiment }; whether more follow them.
    after(last_drawn, count) {
      const from = Math.max(last_drawn + 1 - oldest(), 0);
      const next = kept.slice(from, from + count);
      return { next, more: from + next.length < kept.length };
    },
  };
}
