// Before the first answer the roll loop is rolled on a source of its own
// (warm_up.cpp), in steps while the program waits, so that the browser has
// optimised it by then; input typed meanwhile waits for the last step. Six
// steps of 2^24 rolls: Chromium and Firefox here run the optimised loop
// from the second or third step on (the first takes about 15 ms, the later
// ones about 6 ms). The time limit keeps a slow device from waiting long,
// and a step that fails only ends the warm-up. The page's worker alone
// warms up (worker.js).
var warm_up = {
  steps: 6,
  rolls: 1 << 24,
  // The longest the warm-up may take, in ms.
  limit: 400,
  until: 0,
  // Holds the program's input and starts the steps.
  start: function () {
    web_console.held = true;
    warm_up.until = performance.now() + warm_up.limit;
    setTimeout(warm_up.step, 0);
  },
  step: function () {
    var more = warm_up.steps > 0 && performance.now() < warm_up.until;
    if (more) {
      try {
        Module['_die_roll_warm_up'](warm_up.rolls);
        warm_up.steps -= 1;
      } catch (e) {
        more = false;
      }
    }
    if (more) {
      setTimeout(warm_up.step, 0);
    } else {
      web_console.held = false;
      web_console.wake();
    }
  },
};
