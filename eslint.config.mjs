// ESLint over the page's script, the toolkit and link built into the program's
// script, and the page's tests and benchmark (tests/lint runs it). At the root
// beside the other tools' settings; npm installs ESLint and these packages with
// the page's test tools, in tests/web.
import { createRequire } from 'node:module';

const require = createRequire(new URL('tests/web/', import.meta.url));
const js = require('@eslint/js');
const globals = require('globals');

const readonly = (names) => Object.fromEntries(names.map((name) => [name, 'readonly']));
// What the tests' functions read where they run, in the page or the worker:
// elements by id, the program's Module, and what the tests left there.
const pageNames = readonly(['canvas', 'controls', 'frame', 'notice', 'Module', 'releaseWorkers',
  'fixedNow', 'webglDraws', 'drawsPerFrame', 'benchFrames', 'benchDrawingMs', 'axe']);
// What Emscripten's JavaScript compiler gives its libraries, pre- and post-scripts.
const emscriptenNames = readonly(['Module', 'LibraryManager', 'mergeInto', 'autoAddDeps', 'GLUT',
  'Browser', 'callUserCallback', 'addRunDependency', 'removeRunDependency', 'makeDynCall',
  'runtimeKeepalivePush', 'runtimeKeepalivePop', '_emscripten_unwind_to_js_event_loop']);
// Emscripten's macros ({{{ ... }}}), expanded at the link, read as parenthesized
// expressions of the same length, so that the rest is checked in its place.
const emscriptenMacros = {
  preprocess: (text) => [text.replaceAll('{{{', '(  ').replaceAll('}}}', '  )')],
  postprocess: (messages) => messages.flat(),
};
// Block scope, and const for what is never assigned again: where each piece of
// state can change is plain to see.
const modern = { 'no-var': 'error', 'prefer-const': 'error' };

export default [
  js.configs.recommended,
  {
    rules: {
      // == converts its operands by rules that few remember.
      eqeqeq: 'error',
      // Read top-down: a variable is declared above all code that uses it;
      // functions may follow their callers.
      'no-use-before-define': ['error', { functions: false }],
      // A rest sibling is how an object is copied without some of its keys.
      'no-unused-vars': ['error', { ignoreRestSiblings: true }],
    },
  },
  { files: ['web/*.js'], languageOptions: { globals: globals.browser }, rules: modern },
  { files: ['web/service-worker.js'], languageOptions: { globals: globals.serviceworker } },
  {
    files: ['tests/web/*.mjs', 'bench/web/*.mjs', 'eslint.config.mjs'],
    languageOptions: { globals: { ...globals.node, ...globals.browser, ...pageNames } },
    rules: modern,
  },
  {
    files: ['src/platform/*.js'],
    processor: emscriptenMacros,
    languageOptions: {
      sourceType: 'script',
      globals: { ...globals.browser, ...globals.worker, ...emscriptenNames },
    },
    // The toolkit's entry points keep the C functions' parameters, used or not.
    rules: { 'no-unused-vars': ['error', { args: 'none' }] },
  },
];
