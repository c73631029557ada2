// The program's WebAssembly, which the page holds gzipped, as base64, in an
// element of its own: unpacked and compiled once, off the page's thread
// where the browser can, and sent to the worker of every run.

function bytes_of_base64(text) {
  const binary = atob(text);
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; i++) {
    bytes[i] = binary.charCodeAt(i);
  }
  return bytes;
}

// A promise of the compiled program (a WebAssembly.Module), from the
// base64 text of its gzipped WebAssembly.
export async function compile_program(packed_base64) {
  const packed = new Blob([bytes_of_base64(packed_base64.trim())]);
  const unpacked = await new Response(packed.stream().pipeThrough(new DecompressionStream('gzip'))).arrayBuffer();
  return WebAssembly.compile(unpacked);
}
