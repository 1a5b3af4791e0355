// The program's link with its page (web/index.html), which shows the picture,
// the progress lines and how the program ended, and passes on keys and the
// picture's size (platform/glut_page.js takes those). The page runs the
// program in a worker, so that making the WebGL context and drawing stay off
// its main thread; the two then talk by messages, and the page's first one
// hands over the canvas, for which the program waits. Where the browser cannot
// draw WebGL in a worker, the page loads the program itself and gives it
// Module.page, with the canvas, a function that takes the messages, whether
// the program starts paused, and what to do where it can make no context.
(function () {
  var page = Module['page'];
  if (!page) {
    page = Module['page'] = { post: function (message) { postMessage(message); } };
    // Where the browser can make no WebGL context in a worker (the toolkit
    // finds that by trying), or offers it no animation frames, the page ends
    // this one and runs the program itself.
    page.unsupported = function () { postMessage({ type: 'unsupported' }); };
    if (typeof requestAnimationFrame !== 'function') page.unsupported();
    var waiting = false;
    Module['preRun'] = [function () {
      waiting = !page.canvas;
      if (waiting) addRunDependency('canvas');
    }];
    addEventListener('message', function (event) {
      if (event.data.type !== 'canvas') {
        page.receive(event.data);
      } else {
        page.canvas = event.data.canvas;
        page.pause(event.data.paused);
        if (waiting) removeRunDependency('canvas');
      }
    });
  }
  // The page can pause the program: its clock stands still and it is given no
  // frames. The clock it reads, in either Emscripten, is Date.now, here the
  // browser's time less the time spent paused, and the time it stopped while
  // paused; the frame it asks for meanwhile is held until play.
  var browserNow = Date.now;
  var pausedFor = 0;
  var pausedAt = null;
  var frame = null;
  var frameRequest = 0;
  Date.now = function () {
    return pausedAt === null ? browserNow.call(Date) - pausedFor : pausedAt;
  };
  function drawFrame() {
    var callback = frame;
    frame = null;
    callback();
  }
  page.requestFrame = function (callback) {
    frame = callback;
    if (pausedAt === null) frameRequest = requestAnimationFrame(drawFrame);
  };
  page.pause = function (paused) {
    if (paused && pausedAt === null) {
      pausedAt = Date.now();
      if (frame) cancelAnimationFrame(frameRequest);
    } else if (!paused && pausedAt !== null) {
      pausedFor = browserNow.call(Date) - pausedAt;
      pausedAt = null;
      if (frame) frameRequest = requestAnimationFrame(drawFrame);
    }
  };
  // On the page, the program is paused from the start if the page says so.
  page.pause(page.paused);

  // Emscripten 3's runtime would otherwise say on standard output that a
  // worker cannot decode images; the program loads none.
  Module['noImageDecoding'] = true;
  // Keys and sizes, once the toolkit takes them (it does before the program
  // runs, and the page sends none before).
  page.receive = function () {};

  // The progress lines go as one message per task rather than one per line,
  // and before anything sent after them.
  var lines = '';
  function flush() {
    if (lines) page.post({ type: 'print', text: lines });
    lines = '';
  }
  page.send = function (message) {
    flush();
    page.post(message);
  };
  Module['print'] = function (line) {
    if (!lines) queueMicrotask(flush);
    lines += line + '\n';
  };
  // The runtime's own notices (the GL emulation's). Newer Emscripten (6)
  // writes the first ones with console.error as its script is first run,
  // before it takes printErr: until then (platform/page_link_end.js) they go
  // the same way.
  Module['printErr'] = function (line) { page.send({ type: 'notice', text: line }); };
  Module['consoleError'] = console.error;
  console.error = function () {
    Module['printErr'](Array.prototype.join.call(arguments, ' '));
  };
  Module['postRun'] = [function () { page.send({ type: 'running' }); }];
  Module['onExit'] = function (status) { page.send({ type: 'exit', status: status }); };
  Module['onAbort'] = function (reason) { page.send({ type: 'abort', reason: String(reason) }); };
})();
