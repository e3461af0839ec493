// Small helpers for the texts lqhost reads and writes.
#pragma once
#include <fmt/core.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace lq {

// A count with its noun, as people write it: "1 file", "2 files".
inline std::string Counted(std::size_t n, std::string_view noun)
{
    return fmt::format("{} {}{}", n, noun, n == 1 ? "" : "s");
}

// ASCII letters in lower case, for names compared without regard to case (extensions, hosts).
inline std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return s;
}

}  // namespace lq
