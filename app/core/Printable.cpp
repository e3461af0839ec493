#include "app/core/Printable.h"

#include <fmt/core.h>

namespace lq {

namespace {

// The length of the valid UTF-8 sequence at text[i], or 0.
std::size_t Utf8Length(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = byte(i);
    std::size_t n = 0;
    unsigned min = 0;
    if (c >= 0xC2 && c <= 0xDF)
        n = 2, min = 0x80;
    else if (c >= 0xE0 && c <= 0xEF)
        n = 3, min = 0x800;
    else if (c >= 0xF0 && c <= 0xF4)
        n = 4, min = 0x10000;
    else
        return 0;
    if (i + n > text.size())
        return 0;
    unsigned code = c & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < min || code > 0x10FFFF || surrogate ? 0 : n;
}

}  // namespace

std::size_t FirstInvalidUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t n = Utf8Length(text, i);
        if (n == 0)
            return i;
        i += n;
    }
    return std::string_view::npos;
}

std::string Printable(std::string_view text, std::size_t maxBytes, bool keepLineBreaks)
{
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (i >= maxBytes) {
            out += "...";
            break;
        }
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
            ++i;
        } else if (c == '\n' && keepLineBreaks) {
            out += '\n';
            ++i;
        } else if (const std::size_t n = c >= 0x80 ? Utf8Length(text, i) : 0; n > 0) {
            out.append(text.substr(i, n));
            i += n;
        } else {
            out += fmt::format("\\x{:02X}", c);
            ++i;
        }
    }
    return out;
}

}  // namespace lq
