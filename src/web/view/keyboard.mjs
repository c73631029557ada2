// The answer field as a terminal's keyboard: its keys and pastes, through
// the line discipline, echoed to the console and sent on.
import { act, key_action, paste } from '../core/line_discipline.mjs';

// `echo(text)` shows what was typed; `send(sent)` gets what `act` or
// `paste` made of it, interrupts included.
export function connect_keyboard(answer, echo, send) {
  answer.addEventListener('keydown', (event) => {
    const action = key_action(event, answer.selectionStart !== answer.selectionEnd);
    if (action === null) {
      return;
    }
    event.preventDefault();
    const sent = act(action, answer.value);
    answer.value = sent.keep;
    if (!sent.interrupt) {
      echo(sent.echo);
    }
    send(sent);
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
}
