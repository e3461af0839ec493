// Integer helpers of the host library.
#pragma once
#include <cstdint>

#include "host/Types.h"

// Largest integer whose square does not exceed the value; 0 for negative values.
LQ_HOST_API std::int64_t sqroot(std::int64_t value);
