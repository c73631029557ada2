// Reads the program's reports back out of its standard output as it comes,
// in pieces cut anywhere: each experiment's counts, its number of rolls
// (their sum) and its statistic, as written and as a number.

// The longest text kept between pieces: a report is far shorter, and older
// text can hold none.
const kept_characters = 4096;

// Returns `read(output)`, which calls `found(experiment)` for each report
// completed by `output`.
export function make_report_reader(found) {
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
    if (text.length > kept_characters) {
      text = text.slice(-kept_characters);
    }
  };
}
