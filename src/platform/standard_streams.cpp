#include "platform/standard_streams.h"

#if defined(__unix__) || defined(__APPLE__)

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
