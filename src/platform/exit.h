// Ending the process with a status through the normal exit path.
#pragma once

#if defined(__EMSCRIPTEN__)
#include <emscripten/emscripten.h>
#else
#include "platform/glut.h"

#include <cstdlib>
#endif

[[noreturn]] inline void exitProgram(int status)
{
#if defined(__EMSCRIPTEN__)
    // In the browser the toolkit's pending frame timer keeps the runtime alive, and
    // a plain exit would leave it running without telling the page; forcing the
    // exit runs the exit handlers, stops the timers and reports the status.
    emscripten_force_exit(status);
#elif defined(__APPLE__)
    std::exit(status);
#else
    // The toolkit closes its display, and with it the GL driver's screens, in
    // an exit handler that it registered before the driver was loaded, so it
    // would run after the driver's own static objects are destroyed: Debian
    // 13's Mesa on riscv64 (llvmpipe with LLVM's ORC JIT) then crashes inside
    // exit(). Closing it first tears down in the order the libraries were set
    // up, as the toolkit itself does when the window manager closes the
    // window; its exit handler then finds nothing left to do.
    glutExit();
    std::exit(status);
#endif
}
