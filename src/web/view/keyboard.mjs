// The answer field as a terminal's keyboard: its keys and pastes, and the
// buttons that stand for Enter, Ctrl-D and Ctrl-C where there is no
// keyboard, through the line discipline and on to `typed`.
import { act, key_action, paste } from '../core/line_discipline.mjs';

// `typed(result)` gets what `act` or `paste` made of a key or a paste, once
// the field holds what it keeps. Returns `perform(action)`, which does what
// the key for `action` does.
export function connect_keyboard(answer, typed) {
  function hand_on(result) {
    answer.value = result.keep;
    typed(result);
  }
  const perform = (action) => hand_on(act(action, answer.value));

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
    const result = paste(answer.value, answer.selectionStart ?? length, answer.selectionEnd ?? length, pasted);
    if (result !== null) {
      event.preventDefault();
      hand_on(result);
    }
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
