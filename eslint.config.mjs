// ESLint over the page's script, the worker's glue, and the scripts that
// drive browsers: `npx eslint` from the repository's root.
import js from '@eslint/js';
import globals from 'globals';

// What emscripten's output defines around the worker's glue, and what the
// glue's files define for each other (console.js's library object and the
// protocol bundled as page_protocol, see cmake/web.cmake; pre.js's and
// warm_up.js's objects for worker.js).
const emscripten = {
  Asyncify: 'readonly',
  ENVIRONMENT_IS_NODE: 'readonly',
  ERRNO_CODES: 'readonly',
  HEAPU32: 'readonly',
  HEAPU8: 'readonly',
  LibraryManager: 'readonly',
  Module: 'readonly',
  mergeInto: 'readonly',
  page_protocol: 'readonly',
  tryParseAsDataURI: 'readonly',
  wasmBinaryFile: 'readonly',
  web_console: 'readonly',
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
    languageOptions: { globals: { page_program: 'readonly', warm_up: 'readonly' } },
  },
  {
    // What these define for worker.js.
    files: ['src/web/worker/pre.js', 'src/web/worker/warm_up.js'],
    rules: { 'no-unused-vars': ['error', { caughtErrors: 'none', varsIgnorePattern: '^(page_program|warm_up)$' }] },
  },
  {
    // Node scripts, some of whose functions run in a page.
    files: ['tests/**/*.mjs', 'bench/**/*.mjs', 'tools/**/*.mjs', 'eslint.config.mjs'],
    languageOptions: { globals: { ...globals.node, ...globals.browser } },
  },
];
