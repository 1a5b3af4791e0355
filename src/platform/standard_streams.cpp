#include "platform/standard_streams.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

// Why a write to standard output failed, kept from the moment the failure was
// seen: errno is overwritten by whatever runs next.
int outputError = 0;

bool outputFailed()
{
    return std::ferror(stdout) != 0 || !std::cout;
}

// Flushes standard output and tells whether every write to it succeeded,
// saying why not on standard error.
bool finishStandardOutput()
{
    flushStandardOutput();
    if (!outputFailed()) {
        return true;
    }
    std::cerr << "sorvane: cannot write standard output";
    if (outputError != 0) {
        std::cerr << ": " << std::strerror(outputError);
    }
    std::cerr << '\n';
    return false;
}

} // namespace

void flushStandardOutput()
{
    // A write that failed before this left its reason in errno, and emptied
    // the stream's buffer all the same, so the flush below then succeeds.
    if (outputError == 0 && outputFailed()) {
        outputError = errno;
    }
    // The standard streams share the C library's buffer, so one flush does.
    errno = 0;
    if (std::fflush(stdout) != 0 && outputError == 0) {
        outputError = errno;
    }
}

void checkStandardOutput()
{
    // An exit handler cannot change the status that exit() was given; _Exit
    // ends the process with another one. Standard output is flushed already
    // and standard error is unbuffered, so the handlers it skips have nothing
    // left to write.
    if (!finishStandardOutput()) {
        std::_Exit(EXIT_FAILURE);
    }
}

void reportLostOutputAtExit()
{
    std::atexit(checkStandardOutput);
}

#if (defined(__unix__) || defined(__APPLE__)) && !defined(__EMSCRIPTEN__)

#include <fcntl.h>
#include <unistd.h>

#include <initializer_list>

void keepStandardStreamsOpen()
{
    for (const int descriptor : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (fcntl(descriptor, F_GETFD) != -1) {
            continue;
        }
        // open() returns the lowest free descriptor, which is this one. Should
        // /dev/null be missing, the descriptor stays closed, as it was given.
        const int opened = open("/dev/null", O_RDWR | O_NOCTTY);
        if (opened != -1 && opened != descriptor) {
            close(opened);
        }
    }
}

#else

// Elsewhere the toolkit does not reach the display through a file descriptor
// that could take a standard stream's place.
void keepStandardStreamsOpen() {}

#endif
