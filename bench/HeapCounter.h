// The bytes the program asked of the heap and holds, exactly: every allocation of the process goes through
// the global operator new, which the benchmark program replaces with a counting one. Unlike the
// resident size, it does not keep what the allocator holds on to after a free.
#pragma once
#include <cstddef>

namespace lqbench {
// Bytes held now.
std::size_t HeapInUse();
// The most held since the last ResetHeapPeak.
std::size_t HeapPeak();
void ResetHeapPeak();
}  // namespace lqbench
