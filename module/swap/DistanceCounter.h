// A running count of distance evaluations, so that a benchmark can report how many a pass made.
#pragma once
#include <cstdint>

std::uint64_t LQGetDistanceCallCount();
void LQCountDistanceCall();
