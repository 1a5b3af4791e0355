// The windowing toolkit's entry points that the program calls, for the web
// build. Emscripten's own GLUT reads the keyboard and sizes the canvas through
// window and document, which a worker does not have; here the program's window
// is the canvas that the page hands over (platform/page_link.js), keys and
// sizes come from the page as messages, and full screen is asked of the page,
// which alone may show it. The same code runs on the page's main thread where
// the browser cannot draw WebGL in a worker.
var LibraryGLUTPage = {
  $GLUT__deps: ['$callUserCallback', '$runtimeKeepalivePush', '$runtimeKeepalivePop'],
  $GLUT: {
    displayMode: 0,
    initWidth: 300,
    initHeight: 300,
    keyboard: 0,
    special: 0,
    specialUp: 0,
    reshape: 0,
    idle: 0,
    idleArmed: false,
    // The size that the page last gave the picture, in device pixels, until
    // the next frame gives the canvas that size.
    size: null,

    // What the page sends: key presses, the picture's size, pause and play.
    receive: function (message) {
      if (message.type === 'key') {
        GLUT.key(message.key);
      } else if (message.type === 'pause') {
        Module['page'].pause(message.paused);
      } else if (message.type === 'size') {
        // While the page is being resized, sizes can come faster than frames
        // are shown: only the last one before the next frame is drawn.
        if (!GLUT.size) requestAnimationFrame(GLUT.resize);
        GLUT.size = message;
      }
    },

    // A key as the page saw it (KeyboardEvent.key): a character to the
    // keyboard callback, a function or cursor key to the special one, as GLUT
    // sorts them; modifier keys alone reach neither. No pointer position comes
    // with it (the page passes on no pointer events).
    key: function (name) {
      var special = GLUT.specialKeys[name];
      var code = special === undefined ? GLUT.characterKeys[name] : special;
      if (code === undefined && name.length === 1) code = name.charCodeAt(0);
      var callback = special === undefined ? GLUT.keyboard : GLUT.special;
      if (code === undefined || code > 255 || !callback) return;
      // The page passes on no repeats of a held key, so its release may as
      // well come with the press.
      var release = special === undefined ? 0 : GLUT.specialUp;
      callUserCallback(function () {
        {{{ makeDynCall('viii', 'callback') }}}(code, 0, 0);
        if (release) {{{ makeDynCall('viii', 'release') }}}(code, 0, 0);
      });
    },
    characterKeys: { Backspace: 8, Tab: 9, Enter: 13, Escape: 27, Delete: 127 },
    specialKeys: {
      F1: 1, F2: 2, F3: 3, F4: 4, F5: 5, F6: 6, F7: 7, F8: 8, F9: 9, F10: 10, F11: 11, F12: 12,
      ArrowLeft: 100, ArrowUp: 101, ArrowRight: 102, ArrowDown: 103, PageUp: 104,
      PageDown: 105, Home: 106, End: 107, Insert: 108,
    },

    // The picture's new size: the drawing buffer takes it, which clears it,
    // and the program's reshape draws it again at once.
    resize: function () {
      var width = GLUT.size.width;
      var height = GLUT.size.height;
      GLUT.size = null;
      var canvas = Module['page'].canvas;
      if (canvas.width === width && canvas.height === height) return;
      canvas.width = width;
      canvas.height = height;
      if (!GLUT.reshape) return;
      callUserCallback(function () {
        {{{ makeDynCall('vii', 'GLUT.reshape') }}}(width, height);
      });
    },

    runIdle: function () {
      GLUT.idleArmed = false;
      {{{ runtimeKeepalivePop() }}}
      if (!GLUT.idle) return;
      callUserCallback(function () {
        {{{ makeDynCall('v', 'GLUT.idle') }}}();
      });
      GLUT.armIdle();
    },
    armIdle: function () {
      if (GLUT.idleArmed || !GLUT.idle) return;
      GLUT.idleArmed = true;
      {{{ runtimeKeepalivePush() }}}
      setTimeout(GLUT.runIdle, 0);
    },
  },

  glutInit: function (argcp, argv) {
    Module['page'].receive = GLUT.receive;
  },

  glutInitDisplayMode: function (mode) {
    GLUT.displayMode = mode;
  },

  glutInitWindowSize: function (width, height) {
    GLUT.initWidth = width;
    GLUT.initHeight = height;
  },

  // The window opens at the size asked for, as on a desktop, until the page
  // gives it its own; the context's attributes follow the display mode. Made
  // as Emscripten's GLUT makes it, which sets up the GL emulation for it too;
  // the rest of that set-up wants Module.canvas, which is left unset.
  //
  // A worker that can make no context (WebKitGTK's, for one, has WebGL in
  // name only) tells the page so, which runs the program itself instead, and
  // goes no further; so does the page, which then says that it needs WebGL.
  //
  // A context that the browser takes away is given back only if asked for, by
  // preventing the loss's default. The program cannot make again what it made
  // in the old one (the GL emulation's buffers and shaders), so the page
  // starts it again once the browser has given it back.
  glutCreateWindow__deps: ['$Browser', 'emscripten_unwind_to_js_event_loop'],
  glutCreateWindow: function (title) {
    var page = Module['page'];
    var canvas = page.canvas;
    canvas.width = GLUT.initWidth;
    canvas.height = GLUT.initHeight;
    Module.ctx = Browser.createContext(canvas, true, true, {
      antialias: (GLUT.displayMode & 0x0080 /* GLUT_MULTISAMPLE */) !== 0,
      depth: (GLUT.displayMode & 0x0010 /* GLUT_DEPTH */) !== 0,
      stencil: (GLUT.displayMode & 0x0020 /* GLUT_STENCIL */) !== 0,
      alpha: (GLUT.displayMode & 0x0008 /* GLUT_ALPHA */) !== 0,
    });
    if (!Module.ctx && page.unsupported) {
      page.unsupported();
      _emscripten_unwind_to_js_event_loop();
    }
    canvas.addEventListener('webglcontextlost', function (event) {
      event.preventDefault();
      page.send({ type: 'contextLost' });
    });
    canvas.addEventListener('webglcontextrestored', function () {
      page.send({ type: 'contextRestored' });
    });
    return Module.ctx ? 1 : 0;
  },

  // The browser shows what was drawn once the callback returns.
  glutSwapBuffers: function () {},

  glutGet: function (type) {
    switch (type) {
      case 100: /* GLUT_WINDOW_X */
      case 101: /* GLUT_WINDOW_Y */
        return 0;
      case 102: /* GLUT_WINDOW_WIDTH */
        return Module['page'].canvas.width;
      case 103: /* GLUT_WINDOW_HEIGHT */
        return Module['page'].canvas.height;
      default:
        return -1;
    }
  },

  glutKeyboardFunc: function (func) {
    GLUT.keyboard = func;
  },

  glutSpecialFunc: function (func) {
    GLUT.special = func;
  },

  glutSpecialUpFunc: function (func) {
    GLUT.specialUp = func;
  },

  glutReshapeFunc: function (func) {
    GLUT.reshape = func;
  },

  // The page passes on no pointer events: the program ignores them.
  glutMouseFunc: function (func) {},
  glutMotionFunc: function (func) {},
  glutPassiveMotionFunc: function (func) {},

  glutIdleFunc: function (func) {
    GLUT.idle = func;
    GLUT.armIdle();
  },

  // The page learns whether the program is full screen from these alone.
  glutFullScreen: function () {
    Module['page'].send({ type: 'fullScreen', on: true });
  },

  // A window given a size or a place leaves full screen; otherwise the page's
  // layout decides both, as a tiling window manager would.
  glutReshapeWindow: function (width, height) {
    Module['page'].send({ type: 'fullScreen', on: false });
  },
  glutPositionWindow: function (x, y) {
    Module['page'].send({ type: 'fullScreen', on: false });
  },

  // The first reshape, at the window's size; then the program lives on in
  // the browser's event loop, and the page gives the picture its own size.
  glutMainLoop__deps: ['emscripten_unwind_to_js_event_loop'],
  glutMainLoop: function () {
    var canvas = Module['page'].canvas;
    if (GLUT.reshape) {
      {{{ makeDynCall('vii', 'GLUT.reshape') }}}(canvas.width, canvas.height);
    }
    _emscripten_unwind_to_js_event_loop();
  },
};

// platform/page_link.js waits for the canvas with the runtime's run
// dependencies, which newer Emscripten (6) has as library functions, left out
// unless asked for, and older (3.1) always has, in its core.
if ('$addRunDependency' in LibraryManager.library) {
  LibraryGLUTPage.$GLUT__deps.push('$addRunDependency', '$removeRunDependency');
}

autoAddDeps(LibraryGLUTPage, '$GLUT');
mergeInto(LibraryManager.library, LibraryGLUTPage);
