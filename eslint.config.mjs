// ESLint over the page's script, the worker's glue, and the scripts that
// drive browsers: `npx eslint` from the repository's root.
import js from '@eslint/js';
import globals from 'globals';

// What emscripten's output defines around the worker's glue, and what the
// glue's files define for each other (console.js's library object, the
// core bundled as worker_core, see cmake/web.cmake, and worker.js's
// program_io for console.js; pre.js's object for worker.js).
const emscripten = {
  Asyncify: 'readonly',
  ENVIRONMENT_IS_NODE: 'readonly',
  ERRNO_CODES: 'readonly',
  HEAPU32: 'readonly',
  HEAPU8: 'readonly',
  LibraryManager: 'readonly',
  Module: 'readonly',
  mergeInto: 'readonly',
  program_io: 'readonly',
  tryParseAsDataURI: 'readonly',
  wasmBinaryFile: 'readonly',
  web_console: 'readonly',
  worker_core: 'readonly',
};

export default [
  { ignores: ['build*/', 'node_modules/'] },
  js.configs.recommended,
  {
    rules: {
      eqeqeq: 'error',
      'prefer-const': 'error',
      'no-unused-vars': ['error', { caughtErrors: 'none' }],
    },
  },
  {
    files: ['src/web/**/*.mjs'],
    languageOptions: { globals: globals.browser },
  },
  {
    // Scripts that emscripten joins into the program's JavaScript.
    files: ['src/web/worker/*.js'],
    languageOptions: {
      sourceType: 'script',
      globals: { ...globals.worker, ...globals.node, ...emscripten },
    },
  },
  {
    files: ['src/web/worker/worker.js'],
    languageOptions: { globals: { page_program: 'readonly', program_io: 'off' } },
  },
  {
    // What these define for each other.
    files: ['src/web/worker/pre.js', 'src/web/worker/worker.js'],
    rules: { 'no-unused-vars': ['error', { caughtErrors: 'none', varsIgnorePattern: '^(page_program|program_io)$' }] },
  },
  {
    // Node scripts, some of whose functions run in a page.
    files: ['tests/**/*.mjs', 'bench/**/*.mjs', 'tools/**/*.mjs', 'eslint.config.mjs'],
    languageOptions: { globals: { ...globals.node, ...globals.browser } },
  },
];
