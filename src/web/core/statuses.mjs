// What the page says of the program's state, in words: why this browser
// cannot run it, and how it ended, with the exit status a shell would give.

// A module of one function that returns a vector: valid only where the
// browser has WebAssembly SIMD, which the program is built for.
const simd_probe = new Uint8Array([
  0x00, 0x61, 0x73, 0x6d, 0x01, 0x00, 0x00, 0x00,  // "\0asm", version 1
  0x01, 0x05, 0x01, 0x60, 0x00, 0x01, 0x7b,  // type: () -> v128
  0x03, 0x02, 0x01, 0x00,  // one function of that type
  0x0a, 0x08, 0x01, 0x06, 0x00, 0x41, 0x00, 0xfd, 0x0f, 0x0b,  // i32.const 0; i8x16.splat
]);

// Why a browser whose WebAssembly object is `wasm` and whose
// DecompressionStream is `decompression` cannot run the program, or null
// where it can. The page holds the program gzipped.
export function what_is_missing(wasm, decompression) {
  if (typeof wasm !== 'object' || wasm === null || typeof wasm.validate !== 'function') {
    return 'This browser cannot run die_roll: it has no WebAssembly, or WebAssembly is switched off.';
  }
  if (typeof decompression !== 'function') {
    return 'This browser cannot run die_roll: it cannot unpack the program, as it has no DecompressionStream; a newer version of the browser has it.';
  }
  let simd;
  try {
    simd = wasm.validate(simd_probe);
  } catch {
    simd = false;
  }
  return simd ? null : 'This browser cannot run die_roll: its WebAssembly has no SIMD, which die_roll needs; a newer version of the browser has it.';
}

export const starting = 'Starting…';
export const rolling = 'Rolling…';

export function ended(status) {
  return `die_roll has ended, with exit status ${status}.`;
}

// Ctrl-C, or Stop: as SIGINT ends a program in a terminal (128 + 2).
export const interrupted = 'die_roll was interrupted (Stop or Ctrl-C), with exit status 130.';

// The page left: as SIGHUP ends a program whose terminal closes (128 + 1).
export const left = 'die_roll ended when the page was left, as a program ends when its terminal closes, with exit status 129.';

// A worker that the browser would not run: a shell's status for a program
// that cannot be executed.
export function could_not_start(said) {
  return `die_roll could not start in this browser, so it ended with exit status 126. (The browser said: ${said || 'nothing'})`;
}

// A failure of the program, with the status a shell gives a program that
// aborts (128 + SIGABRT's 6).
export function failed(reason) {
  const text = String(reason);
  if (/\bOOM\b|out of memory/i.test(text)) {
    return 'die_roll ran out of memory in this browser and was stopped, with exit status 134.';
  }
  return `die_roll stopped unexpectedly, with exit status 134. (The browser said: ${text.replace(/ Build with .*$/, '')})`;
}
