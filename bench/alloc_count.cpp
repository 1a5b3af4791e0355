// Preload library that counts heap allocations: every malloc, calloc, realloc
// and aligned allocation in the process, from any library and any thread, is
// passed on to the C library's allocator and counted. The frame shim reads the
// count at every buffer swap, so the benchmark can tell allocations per frame.
//
// The C library's own entry points are called directly rather than found with
// dlsym, which itself allocates and would recurse.

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <unistd.h>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
}

namespace {

std::atomic<std::uint64_t> allocations{0};

void tally()
{
    allocations.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

extern "C" {

std::uint64_t sorvane_bench_allocations()
{
    return allocations.load(std::memory_order_relaxed);
}

void* malloc(std::size_t size)
{
    tally();
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size)
{
    tally();
    return __libc_calloc(count, size);
}

void* realloc(void* pointer, std::size_t size)
{
    tally();
    return __libc_realloc(pointer, size);
}

void* memalign(std::size_t alignment, std::size_t size)
{
    tally();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    return memalign(alignment, size);
}

void* valloc(std::size_t size)
{
    return memalign(static_cast<std::size_t>(sysconf(_SC_PAGESIZE)), size);
}

int posix_memalign(void** result, std::size_t alignment, std::size_t size)
{
    tally();
    if (alignment == 0 || alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) {
        return EINVAL;
    }
    void* pointer = __libc_memalign(alignment, size);
    if (pointer == nullptr) {
        return ENOMEM;
    }
    *result = pointer;
    return 0;
}
}
