// The program in the page's Web Worker: started by the page, fed what it
// sends, and its end reported with the exit status, in the messages of
// core/protocol.mjs (page_protocol here). Under node the program runs as
// emscripten runs any, and none of this applies.
if (!ENVIRONMENT_IS_NODE) {
  // What the program wrote last goes to the page before its end does.
  var finish = function (status) {
    web_console.send_written();
    web_console.post(page_protocol.to_page.exit(status));
  };
  var fail = function (reason) {
    web_console.send_written();
    web_console.post(page_protocol.to_page.failed(reason));
  };
  Module['onRuntimeInitialized'] = function () {
    web_console.post(page_protocol.to_page.started(Date.now()));
    warm_up.start();
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
    page_protocol.dispatch(event.data, {
      program: function (message) {
        page_program.instantiate(message.module);
      },
      input: function (message) {
        web_console.give(message.bytes);
      },
      end: function () {
        web_console.give(null);
      },
    });
  };
}
