// The program in the page's Web Worker: started by the page, fed what it
// sends, warmed up, and its end reported with the exit status, in the
// messages of core/protocol.mjs. Its standard streams are program_io's
// (core/program_io.mjs), which console.js reads and writes through. Under
// node the program runs as emscripten runs any, and none of this applies.
var program_io = null;
if (!ENVIRONMENT_IS_NODE) {
  program_io = worker_core.make_program_io({
    post: function (message) {
      postMessage(message, worker_core.transfer_list(message));
    },
    now: function () {
      return performance.now();
    },
    defer: function (work) {
      setTimeout(work, 0);
    },
  });

  // Before the first answer the roll loop is rolled on a source of its own
  // (warm_up.cpp), in steps while the program waits, so that the browser
  // has optimised it by then; input typed meanwhile waits for the last
  // step. Six steps of 2^24 rolls: Chromium and Firefox here run the
  // optimised loop from the second or third step on (the first takes about
  // 15 ms, the later ones about 6 ms). The time limit (400 ms) keeps a slow
  // device from waiting long, and a step that fails only ends the warm-up.
  var warm_up = function () {
    var steps = 6;
    var until = performance.now() + 400;
    var step = function () {
      var more = steps > 0 && performance.now() < until;
      if (more) {
        try {
          Module['_die_roll_warm_up'](1 << 24);
          steps -= 1;
        } catch (e) {
          more = false;
        }
      }
      if (more) {
        setTimeout(step, 0);
      } else {
        program_io.release();
      }
    };
    program_io.hold();
    setTimeout(step, 0);
  };

  Module['onRuntimeInitialized'] = function () {
    postMessage(worker_core.to_page.started(Date.now()));
    warm_up();
    var status;
    try {
      status = Module['_main'](0, 0);
    } catch (e) {
      program_io.fail(e);
      return;
    }
    // The program waits for input: main returns only when it has ended.
    if (Asyncify.currData) {
      Asyncify.whenDone().then(program_io.exit, program_io.fail);
    } else {
      program_io.exit(status);
    }
  };
  onmessage = function (event) {
    worker_core.dispatch(event.data, {
      program: function (message) {
        page_program.instantiate(message.module);
      },
      input: function (message) {
        program_io.give(message.bytes);
      },
      end: function () {
        program_io.give(null);
      },
    });
  };
}
