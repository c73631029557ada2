// How keys and pastes in the answer field become what the program reads, as
// a terminal in its usual line mode makes them: a line with its line end
// when Enter is pressed, the whole lines of a paste together, the line so
// far when Ctrl-D is pressed on it, the end of input when Ctrl-D is pressed
// on an empty line, and an interrupt at Ctrl-C.
import { to_worker } from './protocol.mjs';

// Whether a key event is Ctrl with `letter`, by the key's letter or by its
// place, as a terminal takes Ctrl-C and Ctrl-D on any keyboard layout.
function with_control(event, letter) {
  return event.ctrlKey && !event.altKey && !event.metaKey &&
    (event.key.toLowerCase() === letter || event.code === `Key${letter.toUpperCase()}`);
}

// What a key pressed in the field does: 'line' (Enter), 'eof' (Ctrl-D),
// 'interrupt' (Ctrl-C, where no text of the field is selected, as Ctrl-C
// then copies), or null, where the field takes the key as it is.
export function key_action(event, has_selection) {
  if (event.isComposing) {
    return null;
  }
  if (event.key === 'Enter') {
    return 'line';
  }
  if (with_control(event, 'd')) {
    return 'eof';
  }
  if (with_control(event, 'c') && !has_selection) {
    return 'interrupt';
  }
  return null;
}

// What `action` does to the field's text `line`: the steps the program
// sees, each with the text shown as typed (`echo`), the text the program
// is sent (`send`), whether the input ends after it (`end`) and whether
// the program is interrupted; and what the field keeps.
export function act(action, line) {
  switch (action) {
    case 'line':
      return { steps: [step(`${line}\n`)], keep: '' };
    case 'eof':
      return { steps: [end_of_file(line)], keep: '' };
    case 'interrupt':
      return { steps: [interruption(line)], keep: '' };
    default:
      throw new Error(`no such action: ${action}`);
  }
}

const step = (text, end = false) => ({ echo: text, send: text, end, interrupt: false });
// Ctrl-D: the line so far is read as it is, or, on an empty line, is the
// end of input. A terminal shows nothing for it.
const end_of_file = (line) => step(line, line.length === 0);
// Ctrl-C: nothing is sent; the program ends.
const interruption = (line) => ({ echo: `${line}^C\n`, send: '', end: false, interrupt: true });

// The characters of a paste that the line discipline takes, not the field.
// eslint-disable-next-line no-control-regex -- Ctrl-C and Ctrl-D, on purpose
const taken = /[\r\n\u0003\u0004]/;
// eslint-disable-next-line no-control-regex -- the same, kept in a split
const line_ends_and_controls = /(\r\n|\r|\n|\u0003|\u0004)/;

// A paste of `pasted` over the field's text `value` from `start` to `end`
// (its selection): null where the paste holds no line end and no control
// character, as the field takes it as it is; otherwise its steps, in the
// order pasted, and the rest, which the field keeps. Its whole lines go at
// once, as a terminal sends a paste; CRLF, CR and LF each end a line. A
// Ctrl-D (U+0004) or Ctrl-C (U+0003) in it does what the key does, as a
// terminal's line discipline takes them from a paste too; nothing after an
// interrupt is read or kept.
export function paste(value, start, end, pasted) {
  if (!taken.test(pasted)) {
    return null;
  }
  const pieces = (value.slice(0, start) + pasted + value.slice(end)).split(line_ends_and_controls);
  const steps = [];
  let lines = '';  // whole lines not yet sent
  const send_lines = (more = '') => {
    if (lines.length + more.length > 0) {
      steps.push(step(lines + more));
    }
    lines = '';
  };
  for (let p = 0; p < pieces.length - 1; p += 2) {
    const [line, control] = [pieces[p], pieces[p + 1]];
    if (control === '\u0003') {
      send_lines();
      steps.push(interruption(line));
      return { steps, keep: '' };
    }
    if (control !== '\u0004') {
      lines += `${line}\n`;
    } else if (line.length > 0) {
      send_lines(line);
    } else {
      send_lines();
      steps.push(end_of_file(''));
    }
  }
  send_lines();
  return { steps, keep: pieces[pieces.length - 1] };
}

const encoder = new TextEncoder();

// The messages that take a step of `act` or `paste` to the program.
export function messages_of({ send, end }) {
  const messages = [];
  if (send.length > 0) {
    messages.push(to_worker.input(encoder.encode(send)));
  }
  if (end) {
    messages.push(to_worker.end());
  }
  return messages;
}
