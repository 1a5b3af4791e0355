// Preload library that stands for another library whose exit handler fails,
// as the GL driver's teardown crashed at exit under emulation. It registers
// its handler the way a toolkit or driver does, once the display is opened,
// so that the handler runs before any the program registered earlier.
// SORVANE_EXIT_FAULT says what the handler does: "crash" (SIGSEGV) or "exit"
// (_exit with status 0, skipping the rest of exit()).

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

namespace {

void failAtExit()
{
    const char* fault = std::getenv("SORVANE_EXIT_FAULT");
    if (fault != nullptr && std::strcmp(fault, "crash") == 0) {
        // The default action, not a sanitizer's report of a fault in the
        // program: the fault is this library's.
        std::signal(SIGSEGV, SIG_DFL);
        std::raise(SIGSEGV);
    }
    _exit(0);
}

} // namespace

// Xlib's, taken as an opaque pointer: this library must not link Xlib itself.
extern "C" void* XOpenDisplay(const char* name)
{
    using Open = void* (*)(const char*);
    static const auto real = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "XOpenDisplay"));
    static const bool registered = std::atexit(failAtExit) == 0;
    static_cast<void>(registered);
    return real(name);
}
