// A count with its noun, as people write it: "1 file", "2 files".
#pragma once
#include <fmt/core.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace lq {

inline std::string Counted(std::size_t n, std::string_view noun)
{
    return fmt::format("{} {}{}", n, noun, n == 1 ? "" : "s");
}

}  // namespace lq
