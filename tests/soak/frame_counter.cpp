// Preloaded into sorvane by the soak run: counts the frames the program shows by
// wrapping the toolkit's buffer swap, one per frame, and keeps the count in a
// file mapped into memory so that the soak driver can read it at any moment
// without stopping or slowing the program.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>

namespace {

std::atomic<std::uint64_t>* mapCounter()
{
    const char* path = std::getenv("SORVANE_FRAME_COUNTER");
    if (path == nullptr) {
        return nullptr;
    }
    const int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0 || ftruncate(fd, sizeof(std::uint64_t)) != 0) {
        return nullptr;
    }
    void* memory = mmap(nullptr, sizeof(std::uint64_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    return memory == MAP_FAILED ? nullptr : static_cast<std::atomic<std::uint64_t>*>(memory);
}

} // namespace

extern "C" void glutSwapBuffers()
{
    using Swap = void (*)();
    static const auto next = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "glutSwapBuffers"));
    static std::atomic<std::uint64_t>* const counter = mapCounter();
    if (counter != nullptr) {
        counter->fetch_add(1, std::memory_order_relaxed);
    }
    next();
}
