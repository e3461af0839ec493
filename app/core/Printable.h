// Text from files and users on its way to a terminal, a picture or a message: control characters
// and bytes that are not UTF-8 are shown as \xNN, so that they can neither steer a terminal nor
// break a document, and a quoted token is cut to an excerpt.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace lq {

// text with every control character (line breaks too, unless keepLineBreaks), DEL and byte
// that is not part of valid UTF-8 written as \xNN; at most maxBytes of text are taken, on a
// character boundary, and a cut is marked with "...".
std::string Printable(std::string_view text, std::size_t maxBytes = std::string_view::npos, bool keepLineBreaks = false);

// The offset of the first byte that is not part of valid UTF-8 (control characters are valid),
// or npos.
std::size_t FirstInvalidUtf8(std::string_view text);

// A token quoted in an error line: Printable, at most 60 bytes of it.
inline std::string Excerpt(std::string_view token) { return Printable(token, 60); }

}  // namespace lq
