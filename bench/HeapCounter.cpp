#include "bench/HeapCounter.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::size_t> g_inUse{0};
std::atomic<std::size_t> g_peak{0};

// Each block carries its size in a header that keeps the alignment malloc gives.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* Allocate(std::size_t n)
{
    auto* p = static_cast<char*>(std::malloc(n + kHeader));
    if (p == nullptr)
        return nullptr;
    *reinterpret_cast<std::size_t*>(p) = n;
    const std::size_t now = g_inUse.fetch_add(n, std::memory_order_relaxed) + n;
    std::size_t peak = g_peak.load(std::memory_order_relaxed);
    while (now > peak && !g_peak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
    }
    return p + kHeader;
}

void Free(void* p) noexcept
{
    if (p == nullptr)
        return;
    char* block = static_cast<char*>(p) - kHeader;
    g_inUse.fetch_sub(*reinterpret_cast<std::size_t*>(block), std::memory_order_relaxed);
    std::free(block);
}
}  // namespace

namespace lqbench {
std::size_t HeapInUse() { return g_inUse.load(std::memory_order_relaxed); }
std::size_t HeapPeak() { return g_peak.load(std::memory_order_relaxed); }
void ResetHeapPeak() { g_peak.store(g_inUse.load(std::memory_order_relaxed), std::memory_order_relaxed); }
}  // namespace lqbench

void* operator new(std::size_t n)
{
    if (void* p = Allocate(n))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, std::size_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t) noexcept { Free(p); }
