// The answer field as a terminal's keyboard: its keys and pastes, and the
// buttons that stand for Enter and Ctrl-D where there is no keyboard,
// through the line discipline, echoed to the console and sent on.
import { act, key_action, paste } from '../core/line_discipline.mjs';

// `echo(text)` shows what was typed; `send(sent)` gets what `act` or
// `paste` made of it, interrupts included. Returns `perform(action)`, which
// does what the key for `action` does.
export function connect_keyboard(answer, echo, send) {
  function perform(action) {
    const sent = act(action, answer.value);
    answer.value = sent.keep;
    if (!sent.interrupt) {
      echo(sent.echo);
    }
    send(sent);
  }

  answer.addEventListener('keydown', (event) => {
    const action = key_action(event, answer.selectionStart !== answer.selectionEnd);
    if (action !== null) {
      event.preventDefault();
      perform(action);
    }
  });

  answer.addEventListener('paste', (event) => {
    const pasted = event.clipboardData ? event.clipboardData.getData('text/plain') : '';
    const length = answer.value.length;
    const sent = paste(answer.value, answer.selectionStart ?? length, answer.selectionEnd ?? length, pasted);
    if (sent === null) {
      return;
    }
    event.preventDefault();
    answer.value = sent.keep;
    echo(sent.echo);
    send(sent);
  });

  return perform;
}

// Makes `button` do `action` as its key would. A press that starts in the
// field leaves the focus there, so that a phone's on-screen keyboard stays
// open for the next answer.
export function key_button(button, answer, perform, action) {
  button.addEventListener('pointerdown', (event) => {
    if (document.activeElement === answer) {
      event.preventDefault();
    }
  });
  button.addEventListener('click', () => perform(action));
}
