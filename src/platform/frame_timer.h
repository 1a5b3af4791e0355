// When frames are drawn. On the desktop the toolkit's timer fires after the
// interval, the swap waits for the screen, and the toolkit asks for a redraw
// when the window is exposed or reshaped. In the browser nothing waits for the
// screen, so a timer would draw frames that are never shown, each one costing
// the page's main thread (and a phone's battery). There every frame is drawn at
// the screen's next animation frame, which a hidden tab never gets, and the
// toolkit's redraws, which would draw a second time in that same frame, are
// left out.
#pragma once

#include "platform/glut.h"

#if defined(__EMSCRIPTEN__)
// platform/frame_timer.js
extern "C" void sorvane_request_animation_frame(void (*callback)(int), int value);
#endif

// Calls callback(value) once, when the next frame is due.
inline void requestFrame(unsigned int intervalMs, void (*callback)(int), int value)
{
#if defined(__EMSCRIPTEN__)
    static_cast<void>(intervalMs);
    sorvane_request_animation_frame(callback, value);
#else
    glutTimerFunc(intervalMs, callback, value);
#endif
}

// Sets what draws the window when the toolkit asks for a redraw.
inline void setRedrawCallback(void (*callback)())
{
#if defined(__EMSCRIPTEN__)
    static_cast<void>(callback);
#else
    glutDisplayFunc(callback);
#endif
}
