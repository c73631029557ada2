// The program in the page's Web Worker: started by the page, fed the lines
// it sends, and its end reported with the exit status. Under node the
// program runs as emscripten runs any, and none of this applies.
if (!ENVIRONMENT_IS_NODE) {
  // What the program wrote last goes to the page before its end does.
  var finish = function (status) {
    web_console.send_written();
    postMessage({ kind: 'exit', status: status });
  };
  var fail = function (reason) {
    web_console.send_written();
    postMessage({ kind: 'failed', reason: String(reason) });
  };
  // Before the first answer the roll loop is rolled on a source of its own
  // (warm_up.cpp), in steps while the program waits, so that the browser
  // has optimised it by then; input typed meanwhile waits for the last
  // step. Six steps of 2^24 rolls: Chromium and Firefox here run the
  // optimised loop from the second or third step on (the first takes about
  // 15 ms, the later ones about 6 ms). The time limit keeps a slow device
  // from waiting long, and a step that fails only ends the warm-up.
  var warm_up = { steps: 6, rolls: 1 << 24, until: 0 };
  var warm_up_step = function () {
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
      setTimeout(warm_up_step, 0);
    } else {
      web_console.held = false;
      web_console.wake();
    }
  };
  Module['onRuntimeInitialized'] = function () {
    postMessage({ kind: 'started', time: Date.now() });
    web_console.held = true;
    warm_up.until = performance.now() + 400;
    setTimeout(warm_up_step, 0);
    var status;
    try {
      status = Module['_main'](0, 0);
    } catch (e) {
      fail(e);
      return;
    }
    // The program waits for input: main returns only when it has ended.
    if (Asyncify.currData) {
      Asyncify.whenDone().then(finish, fail);
    } else {
      finish(status);
    }
  };
  onmessage = function (event) {
    var message = event.data;
    if (message.kind === 'input') {
      web_console.give(message.bytes);
    } else if (message.kind === 'end') {
      web_console.give(null);
    }
  };
}
