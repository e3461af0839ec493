// The heap count behind the benchmarks' memory figures: every allocation the program holds counts,
// whatever operator new it comes through, and is uncounted when freed.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <vector>

#include "bench/HeapCounter.h"

namespace {
struct alignas(64) Line {
    char bytes[64];
};
struct alignas(4096) Page {
    char bytes[4096];
};

template <class T>
std::shared_ptr<void> HoldArray(std::size_t n)
{
    return std::shared_ptr<void>(new T[n], [](void* p) { delete[] static_cast<T*>(p); });
}

TEST(HeapCounter, CountsWhatIsHeldThroughEveryFormOfNewUntilItIsFreed)
{
    struct Case {
        const char* name;
        std::size_t bytes, align;
        std::function<std::shared_ptr<void>()> hold;  // what it holds, freed with the last owner
    };
    const std::vector<Case> cases{
        {"plain", 1000, 1, [] { return HoldArray<char>(1000); }},
        {"lines", 100 * sizeof(Line), alignof(Line), [] { return HoldArray<Line>(100); }},
        {"page", sizeof(Page), alignof(Page), [] { return std::shared_ptr<Page>(new Page); }},
        {"nothrow line", sizeof(Line), alignof(Line), [] { return std::shared_ptr<Line>(new (std::nothrow) Line); }},
    };
    for (const Case& c : cases) {
        std::shared_ptr<void> held;
        const std::size_t before = lqbench::HeapInUse();
        lqbench::ResetHeapPeak();
        held = c.hold();
        const std::size_t holding = lqbench::HeapInUse();
        const auto address = reinterpret_cast<std::uintptr_t>(held.get());
        held.reset();
        const std::size_t after = lqbench::HeapInUse(), peak = lqbench::HeapPeak();
        // The shared pointer's own control block counts too.
        EXPECT_GE(holding - before, c.bytes) << c.name;
        EXPECT_EQ(address % c.align, 0U) << c.name;
        EXPECT_EQ(after, before) << c.name;
        EXPECT_GE(peak - before, c.bytes) << c.name;
    }
}
}  // namespace
