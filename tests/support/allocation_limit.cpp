// Loaded into a program before everything else (LD_PRELOAD), makes operator new fail
// with std::bad_alloc for any one allocation larger than a limit, as it fails when the
// memory runs out. The limit is ZK_ALLOCATION_LIMIT bytes, or what a test sets through
// zkSetAllocationLimit; none by default. malloc is left alone: it is the sanitizer's.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

std::size_t initialLimit()
{
    const char *bytes = std::getenv("ZK_ALLOCATION_LIMIT");
    return bytes ? std::strtoull(bytes, nullptr, 10) : SIZE_MAX;
}

std::atomic<std::size_t> &limit()
{
    static std::atomic<std::size_t> bytes{initialLimit()};
    return bytes;
}

void *allocate(std::size_t size)
{
    if (size > limit().load(std::memory_order_relaxed))
        throw std::bad_alloc();
    if (void *memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void *allocateOrNull(std::size_t size) noexcept
{
    try {
        return allocate(size);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

} // namespace

extern "C" __attribute__((visibility("default"))) void zkSetAllocationLimit(std::size_t bytes)
{
    limit().store(bytes, std::memory_order_relaxed);
}

void *operator new(std::size_t size) { return allocate(size); }
void *operator new[](std::size_t size) { return allocate(size); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept { return allocateOrNull(size); }
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept { return allocateOrNull(size); }
void operator delete(void *memory) noexcept { std::free(memory); }
void operator delete[](void *memory) noexcept { std::free(memory); }
void operator delete(void *memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void *memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void *memory, const std::nothrow_t &) noexcept { std::free(memory); }
void operator delete[](void *memory, const std::nothrow_t &) noexcept { std::free(memory); }
