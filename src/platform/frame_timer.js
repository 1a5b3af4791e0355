// The browser's side of platform/frame_timer.h: the toolkit's timer, made to
// fire at the screen's next animation frame instead of after an interval, and
// not while the page has paused the program (platform/page_link.js).
mergeInto(LibraryManager.library, {
  // As the toolkit's timers do, a pending frame keeps the runtime alive, and no
  // frame is drawn once the program has ended.
  sorvane_request_animation_frame__deps: [
    '$callUserCallback', '$runtimeKeepalivePush', '$runtimeKeepalivePop'],
  sorvane_request_animation_frame__sig: 'vii',
  sorvane_request_animation_frame: function (callback, value) {
    {{{ runtimeKeepalivePush() }}}
    Module['page'].requestFrame(function () {
      {{{ runtimeKeepalivePop() }}}
      callUserCallback(function () {
        {{{ makeDynCall('vi', 'callback') }}}(value);
      });
    });
  },
});
