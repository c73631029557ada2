// In the page's Web Worker the page starts the program (worker.js) and
// sends its WebAssembly, compiled once for every run: it is instantiated
// when it comes (page_program.instantiate, which worker.js calls). Under
// node the WebAssembly beside the script is read in place, as the loader
// would fetch() it, which node cannot do for a file.
var page_program = { instantiate: null };
if (typeof importScripts === 'function') {
  Module['noInitialRun'] = true;
  Module['instantiateWasm'] = function (imports, receive) {
    page_program.instantiate = function (module) {
      WebAssembly.instantiate(module, imports).then(
        function (instance) {
          receive(instance, module);
        },
        function (reason) {
          postMessage(worker_core.to_page.failed(reason));
        });
    };
    return {};
  };
} else {
  Module['instantiateWasm'] = function (imports, receive) {
    WebAssembly.instantiate(require('fs').readFileSync(wasmBinaryFile), imports).then(function (result) {
      receive(result.instance, result.module);
    });
    return {};
  };
}
