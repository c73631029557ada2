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

// What `action` does to the field's text `line`: the text shown as typed
// (`echo`), the text the program is sent (`send`) and whether the input
// ends after it (`end`), whether the program is interrupted, and what the
// field keeps.
export function act(action, line) {
  switch (action) {
    case 'line':
      return { echo: `${line}\n`, send: `${line}\n`, end: false, interrupt: false, keep: '' };
    case 'eof':
      return { echo: line, send: line, end: line.length === 0, interrupt: false, keep: '' };
    case 'interrupt':
      return { echo: `${line}^C\n`, send: '', end: false, interrupt: true, keep: '' };
    default:
      throw new Error(`no such action: ${action}`);
  }
}

// A paste of `pasted` over the field's text `value` from `start` to `end`
// (its selection): null where the paste holds no line end, as the field
// takes it as it is; otherwise its whole lines, sent at once as a terminal
// sends a paste, and the rest, which the field keeps. CRLF, CR and LF each
// end a line.
export function paste(value, start, end, pasted) {
  if (!/[\r\n]/.test(pasted)) {
    return null;
  }
  const lines = (value.slice(0, start) + pasted + value.slice(end)).split(/\r\n|\r|\n/);
  const keep = lines.pop();
  const typed = lines.map((line) => `${line}\n`).join('');
  return { echo: typed, send: typed, end: false, interrupt: false, keep };
}

const encoder = new TextEncoder();

// The messages that take what `act` or `paste` sends to the program.
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
