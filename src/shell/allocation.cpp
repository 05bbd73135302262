// Every allocation either succeeds or ends the program with the fatal error that names the size
// asked for: through new, and through the C library's allocator, since much library code (the
// text layout among it) does not check for a null answer and would crash on one. Only the
// nothrow forms of new answer null, as their callers check. Linked into the program itself, not
// into the library.

#include <cstdlib>
#include <limits>
#include <new>

#include "shell/lifecycle.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TEXTCOMPARE_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TEXTCOMPARE_ADDRESS_SANITIZER 1
#endif

// Under AddressSanitizer the sanitizer owns malloc; there the size stays unknown.
#if !defined(TEXTCOMPARE_ADDRESS_SANITIZER)

extern "C" {

// The C library's own entry points, which the definitions below hand every request to.
void *__libc_malloc(std::size_t size);
void *__libc_calloc(std::size_t count, std::size_t size);
void *__libc_realloc(void *block, std::size_t size);

void *malloc(std::size_t size) noexcept
{
    void *block = __libc_malloc(size);
    if (!block && size > 0)
        lifecycle::allocationFailed(size);
    return block;
}

void *calloc(std::size_t count, std::size_t size) noexcept
{
    void *block = __libc_calloc(count, size);
    if (!block && count > 0 && size > 0) {
        std::size_t bytes = 0;
        if (__builtin_mul_overflow(count, size, &bytes))
            bytes = std::numeric_limits<std::size_t>::max();
        lifecycle::allocationFailed(bytes);
    }
    return block;
}

void *realloc(void *block, std::size_t size) noexcept
{
    void *moved = __libc_realloc(block, size);
    if (!moved && size > 0)
        lifecycle::allocationFailed(size);
    return moved;
}

} // extern "C"

namespace {

void *allocateOrNull(std::size_t size) noexcept
{
    return __libc_malloc(size ? size : 1);
}

} // namespace

#else

namespace {

void *allocateOrNull(std::size_t size) noexcept
{
    return std::malloc(size ? size : 1);
}

} // namespace

#endif

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
    return allocateOrNull(size);
}

void *operator new[](std::size_t size, const std::nothrow_t &) noexcept
{
    return allocateOrNull(size);
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
