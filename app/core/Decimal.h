// Decimal texts of whole numbers of a small unit, as people read them: "-38.19", "25".
#pragma once
#include <fmt/core.h>

#include <cstdint>
#include <string>

namespace lq {

// value / 10^digits with as many decimals as it needs (none for a whole number); exact for every
// int64, INT64_MIN included.
inline std::string ShortDecimal(std::int64_t value, int digits)
{
    std::uint64_t unit = 1;
    for (int i = 0; i < digits; ++i)
        unit *= 10;
    const bool negative = value < 0;
    const std::uint64_t a = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string s = fmt::format("{}{}", negative ? "-" : "", a / unit);
    if (const std::uint64_t frac = a % unit; frac != 0) {
        std::string decimals = fmt::format("{:0{}}", frac, digits);
        decimals.erase(decimals.find_last_not_of('0') + 1);
        s += "." + decimals;
    }
    return s;
}

}  // namespace lq
