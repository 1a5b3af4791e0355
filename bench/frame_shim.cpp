// Preload library that times frames from outside the program. It wraps glClear
// and glXSwapBuffers, and for every swap keeps the monotonic time of the last
// clear before it, the time the swap returned, and the heap allocation count
// then (when alloc_count is preloaded too, else zero). The benchmark reads the
// times, and the tests and the soak count the frames.
//
// The records are three native 64-bit integers each, written straight into the
// file SORVANE_FRAME_RECORD names, mapped shared: a reader can watch the count
// grow while the program runs, a killed run keeps what it had, and the
// measuring itself makes no allocation or system call per frame. A record of
// zeros ends a file that the program could not trim at exit.
//
// For the tests it can also move a file at a known point of a frame: where
// SORVANE_SWAP_MOVE_FROM and SORVANE_SWAP_MOVE_TO are set, every swap that
// finds the first file renames it to the second. With libfaketime's timestamp
// file as the second, a test sets the calendar clock from inside a frame.

#include <GL/gl.h>
#include <GL/glx.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

struct Frame {
    std::int64_t clearNs;
    std::int64_t swapEndNs;
    std::int64_t allocations;
};

// Nearly five hours at 60 frames a second, for the soak; a benchmark run is
// seconds. The file stays sparse.
constexpr std::size_t MAX_FRAMES = 1U << 20U;
constexpr std::size_t MAP_BYTES = MAX_FRAMES * sizeof(Frame);

std::int64_t nowNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

template <typename Function> Function lookUp(void* handle, const char* name)
{
    // dlsym is the one way to reach a wrapped entry point; the cast is unavoidable.
    return reinterpret_cast<Function>(dlsym(handle, name));
}

const char* moveFrom = nullptr;
const char* moveTo = nullptr;
const char* path = nullptr;
Frame* frames = nullptr;
std::size_t count = 0;
std::int64_t lastClearNs = 0;

// As the library loads, before the program starts.
__attribute__((constructor)) void openRecord()
{
    moveFrom = std::getenv("SORVANE_SWAP_MOVE_FROM");
    moveTo = std::getenv("SORVANE_SWAP_MOVE_TO");
    path = std::getenv("SORVANE_FRAME_RECORD");
    if (path == nullptr) {
        return;
    }
    // The descriptor is closed again at once, before the program starts: it
    // would otherwise take the place of a standard stream left closed.
    const int file = open(path, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (file < 0) {
        return;
    }
    if (ftruncate(file, MAP_BYTES) == 0) {
        void* map = mmap(nullptr, MAP_BYTES, PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
        if (map != MAP_FAILED) {
            frames = static_cast<Frame*>(map);
        }
    }
    close(file);
}

// On every normal exit, which is how both programs end (Escape calls exit),
// after the exit handlers.
__attribute__((destructor)) void closeRecord()
{
    if (frames == nullptr) {
        return;
    }
    munmap(frames, MAP_BYTES);
    frames = nullptr; // a swap from a later library's teardown must not write
    if (truncate(path, static_cast<off_t>(count * sizeof(Frame))) != 0) {
        // Left at full length, the zero record after the last frame ends it.
    }
}

} // namespace

extern "C" {

void glClear(GLbitfield mask)
{
    static const auto real = lookUp<decltype(&glClear)>(RTLD_NEXT, "glClear");
    lastClearNs = nowNs();
    real(mask);
}

void glXSwapBuffers(Display* display, GLXDrawable drawable)
{
    static const auto real = lookUp<decltype(&glXSwapBuffers)>(RTLD_NEXT, "glXSwapBuffers");
    real(display, drawable);
    const std::int64_t swapEndNs = nowNs();
    if (frames != nullptr && count < MAX_FRAMES) {
        // Looked up once the program runs: the counter is another preload library.
        static const auto counter =
            lookUp<std::uint64_t (*)()>(RTLD_DEFAULT, "sorvane_bench_allocations");
        const std::uint64_t allocations = counter != nullptr ? counter() : 0;
        frames[count++] = {lastClearNs, swapEndNs, static_cast<std::int64_t>(allocations)};
    }
    // After the record: whoever sees the file moved also sees the frame that
    // moved it counted, so every frame counted later began after the move.
    if (moveFrom != nullptr && moveTo != nullptr) {
        std::rename(moveFrom, moveTo); // most swaps find nothing to move
    }
}
}
