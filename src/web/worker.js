// The program in the page's Web Worker: started by the page, fed the lines
// it sends, and its end reported with the exit status. Under node the
// program runs as emscripten runs any, and none of this applies.
if (!ENVIRONMENT_IS_NODE) {
  var finish = function (status) {
    postMessage({ kind: 'exit', status: status });
  };
  Module['onRuntimeInitialized'] = function () {
    postMessage({ kind: 'started', time: Date.now() });
    var status;
    try {
      status = Module['_main'](0, 0);
    } catch (e) {
      postMessage({ kind: 'failed', reason: String(e) });
      return;
    }
    // The program waits for input: main returns only when it has ended.
    if (Asyncify.currData) {
      Asyncify.whenDone().then(finish, function (e) {
        postMessage({ kind: 'failed', reason: String(e) });
      });
    } else {
      finish(status);
    }
  };
  onmessage = function (event) {
    var message = event.data;
    if (message.kind === 'input') {
      web_console.give(message.bytes, false);
    } else if (message.kind === 'end') {
      web_console.give(new Uint8Array(0), true);
    }
  };
}
