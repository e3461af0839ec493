#include "host/MathUtil.h"

#include <cmath>

std::int64_t sqroot(std::int64_t value)
{
    if (value <= 0)
        return 0;
    const std::uint64_t v = static_cast<std::uint64_t>(value);
    std::uint64_t r = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(v)));
    // The floating estimate can be off by one either way near 2^63.
    while (r > 0 && (r > 0xFFFFFFFFull || r * r > v))
        --r;
    while ((r + 1) <= 0xFFFFFFFFull && (r + 1) * (r + 1) <= v)
        ++r;
    return static_cast<std::int64_t>(r);
}
