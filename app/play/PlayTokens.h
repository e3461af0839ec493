// The words of a play script line and the values they stand for. Every function here throws
// LineError with a message that names the offending word; the parser adds the file and line.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lq::play {

class LineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Word {
    std::string text;
    bool quoted = false;
};

// Words are separated by blanks; "..." makes one word of anything (\" and \\ inside); a # outside
// quotes starts a comment that runs to the end of the line.
std::vector<Word> SplitWords(std::string_view line);

// The line without its comment and surrounding blanks, for messages.
std::string StripComment(std::string_view line);

// A board length: nanometres, or a decimal number with the unit mm, um or mil ("12.7mm",
// "-3810000", "100mil"). Must be a whole number of nanometres within 32 bits.
std::int32_t ParseLength(const std::string& word);

// Decimal or 0x hexadecimal, within 32 bits.
std::uint32_t ParseUnsigned32(const std::string& word, const char* what);
std::int32_t ParseSigned32(const std::string& word, const char* what);
std::size_t ParseCount(const std::string& word, const char* what);

// on/off, true/false, yes/no, 1/0.
bool ParseSwitch(const std::string& word, const char* what);

// A length for messages: "12.7mm" style, exact.
std::string FormatLength(std::int64_t nm);

}  // namespace lq::play
