// In the page's Web Worker the page starts the program (worker.js), and the
// WebAssembly, inlined as a data: address, is decoded in place: the loader
// would fetch() that address first, which the page's policy forbids.
if (typeof importScripts === 'function') {
  Module['noInitialRun'] = true;
  Module['instantiateWasm'] = function (imports, receive) {
    WebAssembly.instantiate(tryParseAsDataURI(wasmBinaryFile), imports).then(
      function (result) {
        receive(result.instance, result.module);
      },
      function (reason) {
        postMessage(page_protocol.to_page.failed(reason));
      });
    return {};
  };
}
