// Ending the process with a status through the normal exit path.
#pragma once

#if defined(__EMSCRIPTEN__)
#include <emscripten/emscripten.h>
#else
#include <cstdlib>
#endif

[[noreturn]] inline void exitProgram(int status)
{
#if defined(__EMSCRIPTEN__)
    // In the browser the toolkit's pending frame timer keeps the runtime alive, and
    // a plain exit would leave it running without telling the page; forcing the
    // exit runs the exit handlers, stops the timers and reports the status.
    emscripten_force_exit(status);
#else
    std::exit(status);
#endif
}
