// Counts every operator new of the executable that includes this (one source file per test
// executable may): while g_counting is set, and only where g_count_here() says so, if set.
// Libraries the executable loads allocate through these too.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace alloc_hooks {
inline std::atomic<bool> g_counting{false};
inline std::atomic<long> g_allocations{0};
inline bool (*g_count_here)() = nullptr;

inline void* counted(std::size_t n, std::size_t align = 0) {
    if (g_counting.load(std::memory_order_relaxed) && (!g_count_here || g_count_here()))
        g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (n == 0) n = 1;
    return align > alignof(std::max_align_t) ? std::aligned_alloc(align, (n + align - 1) / align * align)
                                              : std::malloc(n);
}
inline void* or_throw(void* p) { return p ? p : throw std::bad_alloc(); }
}  // namespace alloc_hooks

// Every form: the sanitizers' runtimes define the ones left out here, without routing them through these.
void* operator new(std::size_t n) { return alloc_hooks::or_throw(alloc_hooks::counted(n)); }
void* operator new[](std::size_t n) { return alloc_hooks::or_throw(alloc_hooks::counted(n)); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return alloc_hooks::counted(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return alloc_hooks::counted(n); }
void* operator new(std::size_t n, std::align_val_t a) {
    return alloc_hooks::or_throw(alloc_hooks::counted(n, static_cast<std::size_t>(a)));
}
void* operator new[](std::size_t n, std::align_val_t a) {
    return alloc_hooks::or_throw(alloc_hooks::counted(n, static_cast<std::size_t>(a)));
}
// GCC pairs the inlined free() with the new-expression it came from and calls it a mismatch;
// here every new ends in malloc, so free is the right release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop
