// What a screen reader is asked to say, so that it hears a terminal and not
// a flood: when the program waits for an answer, the report or reports
// written since it last waited (a burst, as a paste brings, in a bounded
// summary: how many, and the last), each named by its number of rolls, as
// the answer typed may not be what the program read; the complaints; and
// the next prompt, once. When the program ends, what it reported since it
// last waited, before the end is said. The console keeps the whole text
// for reading back. The reports come from the page's one report reader
// (reports.mjs), the rest from the program's output.

// The most characters one announcement holds.
export const most_characters = 1000;

const counted = (count, one, many) => `${count.toLocaleString('en')} ${count === 1 ? one : many}`;

export function make_announcer() {
  let reports = 0;
  let last = null;
  let complaints = 0;
  let last_complaint = '';
  let complaint_line = '';
  // The line of standard output still being written: the prompt, once the
  // program waits. A complaint follows an answer, and so ends the prompt
  // before it, as the line typed would on a terminal.
  let line = '';

  return {
    // An experiment read out of a report.
    report(experiment) {
      reports += 1;
      last = experiment;
    },
    // What the program wrote to descriptor `fd` (1 or 2).
    output(text, fd) {
      if (fd === 2) {
        line = '';
        const lines = (complaint_line + text).split('\n');
        complaint_line = lines.pop();
        for (const complaint of lines) {
          complaints += 1;
          last_complaint = complaint;
        }
        return;
      }
      const end = text.lastIndexOf('\n');
      line = end < 0 ? line + text : text.slice(end + 1);
    },
    // The announcement due now that the program waits: null where it wrote
    // no report and no complaint since it last waited.
    waiting() {
      const prompt = line.trim();
      line = '';
      const news = since_last();
      return news === null ? null : `${news} ${prompt}`.slice(0, most_characters);
    },
    // The announcement due now that the program has ended, or null.
    ended() {
      line = '';
      return since_last()?.slice(0, most_characters) ?? null;
    },
  };

  // The reports and complaints since the program last waited, or null.
  function since_last() {
    if (reports === 0 && complaints === 0) {
      return null;
    }
    const parts = [];
    if (reports > 0) {
      const report = `${counted(last.rolls, 'roll', 'rolls')}: the observed counts: ${last.counts.join(' ')}. Chi-squared = ${last.text}.`;
      parts.push(reports === 1 ? report : `${counted(reports, 'report', 'reports')}; the last, ${report}`);
    }
    if (complaints > 0) {
      parts.push(complaints === 1 ? last_complaint : `${counted(complaints, 'answer', 'answers')} refused: ${last_complaint}`);
    }
    reports = 0;
    complaints = 0;
    return parts.join(' ');
  }
}
