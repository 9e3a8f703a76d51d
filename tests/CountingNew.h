#pragma once
// A replaced global operator new that counts heap allocations, for tests
// that prove a warm path does not allocate. It defines the replacement
// functions themselves, so include it in exactly one source file of a test
// program. The sanitizer build brings its own allocator: there the
// replacement is left out and ZAK_COUNT_ALLOCATIONS is 0, so the tests skip.
#include <atomic>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define ZAK_COUNT_ALLOCATIONS 0
#else
#define ZAK_COUNT_ALLOCATIONS 1

namespace {
std::atomic<long> Allocations{0};
}

void* operator new(std::size_t size) {
    Allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
#endif
