// The browser's side of platform/frame_timer.h: the toolkit's timer, made to
// fire at the screen's next animation frame instead of after an interval.
mergeInto(LibraryManager.library, {
  // As the toolkit's timers do, a pending frame keeps the runtime alive, and no
  // frame is drawn once the program has ended.
  sorvane_request_animation_frame__deps: [
    '$callUserCallback', '$runtimeKeepalivePush', '$runtimeKeepalivePop'],
  sorvane_request_animation_frame__sig: 'vii',
  sorvane_request_animation_frame: function (callback, value) {
    {{{ runtimeKeepalivePush() }}}
    requestAnimationFrame(function () {
      {{{ runtimeKeepalivePop() }}}
      callUserCallback(function () {
        {{{ makeDynCall('vi', 'callback') }}}(value);
      });
    });
  },
});
