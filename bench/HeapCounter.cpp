#include "bench/HeapCounter.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::size_t> g_inUse{0};
std::atomic<std::size_t> g_peak{0};

// Each block carries its size in a header that keeps the alignment malloc gives.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void Count(std::size_t n)
{
    const std::size_t now = g_inUse.fetch_add(n, std::memory_order_relaxed) + n;
    std::size_t peak = g_peak.load(std::memory_order_relaxed);
    while (now > peak && !g_peak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
    }
}

void* Allocate(std::size_t n)
{
    auto* p = static_cast<char*>(std::malloc(n + kHeader));
    if (p == nullptr)
        return nullptr;
    *reinterpret_cast<std::size_t*>(p) = n;
    Count(n);
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

// Types aligned beyond what malloc gives (cache lines) come through these: a header of a whole
// alignment keeps the block aligned, its size in the header's last word.
std::size_t HeaderFor(std::align_val_t align) { return std::max(static_cast<std::size_t>(align), kHeader); }

void* AllocateAligned(std::size_t n, std::align_val_t align)
{
    const std::size_t header = HeaderFor(align);
    const std::size_t total = (header + n + header - 1) / header * header;  // aligned_alloc wants a multiple
    auto* p = static_cast<char*>(std::aligned_alloc(header, total));
    if (p == nullptr)
        return nullptr;
    *reinterpret_cast<std::size_t*>(p + header - sizeof(std::size_t)) = n;
    Count(n);
    return p + header;
}

void FreeAligned(void* p, std::align_val_t align) noexcept
{
    if (p == nullptr)
        return;
    char* block = static_cast<char*>(p) - HeaderFor(align);
    g_inUse.fetch_sub(*reinterpret_cast<std::size_t*>(static_cast<char*>(p) - sizeof(std::size_t)),
                      std::memory_order_relaxed);
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
void* operator new(std::size_t n, std::align_val_t align)
{
    if (void* p = AllocateAligned(n, align))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n, std::align_val_t align) { return operator new(n, align); }
void* operator new(std::size_t n, std::align_val_t align, const std::nothrow_t&) noexcept
{
    return AllocateAligned(n, align);
}
void* operator new[](std::size_t n, std::align_val_t align, const std::nothrow_t&) noexcept
{
    return AllocateAligned(n, align);
}
void operator delete(void* p, std::align_val_t align) noexcept { FreeAligned(p, align); }
void operator delete[](void* p, std::align_val_t align) noexcept { FreeAligned(p, align); }
void operator delete(void* p, std::size_t, std::align_val_t align) noexcept { FreeAligned(p, align); }
void operator delete[](void* p, std::size_t, std::align_val_t align) noexcept { FreeAligned(p, align); }
