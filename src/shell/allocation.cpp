// Every allocation through new either succeeds or ends the program with the fatal error that
// names the size asked for. Linked into the program itself, not into the library.

#include <cstdlib>
#include <new>

#include "shell/lifecycle.h"

namespace {

void *allocateOrDie(std::size_t size)
{
    if (size == 0)
        size = 1;
    if (void *block = std::malloc(size))
        return block;
    lifecycle::allocationFailed(size);
}

void *allocateAlignedOrDie(std::size_t size, std::align_val_t alignment)
{
    if (size == 0)
        size = 1;
    void *block = nullptr;
    if (posix_memalign(&block, static_cast<std::size_t>(alignment), size) == 0)
        return block;
    lifecycle::allocationFailed(size);
}

} // namespace

void *operator new(std::size_t size)
{
    return allocateOrDie(size);
}

void *operator new[](std::size_t size)
{
    return allocateOrDie(size);
}

void *operator new(std::size_t size, std::align_val_t alignment)
{
    return allocateAlignedOrDie(size, alignment);
}

void *operator new[](std::size_t size, std::align_val_t alignment)
{
    return allocateAlignedOrDie(size, alignment);
}

// The nothrow forms keep their contract: the caller checks for null.
void *operator new(std::size_t size, const std::nothrow_t &) noexcept
{
    return std::malloc(size ? size : 1);
}

void *operator new[](std::size_t size, const std::nothrow_t &) noexcept
{
    return std::malloc(size ? size : 1);
}

void operator delete(void *block) noexcept
{
    std::free(block);
}

void operator delete[](void *block) noexcept
{
    std::free(block);
}

void operator delete(void *block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete[](void *block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete(void *block, std::align_val_t) noexcept
{
    std::free(block);
}

void operator delete[](void *block, std::align_val_t) noexcept
{
    std::free(block);
}

void operator delete(void *block, std::size_t, std::align_val_t) noexcept
{
    std::free(block);
}

void operator delete[](void *block, std::size_t, std::align_val_t) noexcept
{
    std::free(block);
}

void operator delete(void *block, const std::nothrow_t &) noexcept
{
    std::free(block);
}

void operator delete[](void *block, const std::nothrow_t &) noexcept
{
    std::free(block);
}
