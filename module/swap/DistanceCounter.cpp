#include "module/swap/DistanceCounter.h"

namespace {
// Everything runs on the host's user-interface thread, so a plain counter suffices.
std::uint64_t g_nDistanceCalls = 0;
}  // namespace

std::uint64_t LQGetDistanceCallCount() { return g_nDistanceCalls; }
void LQCountDistanceCall() { ++g_nDistanceCalls; }
