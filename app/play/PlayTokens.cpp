#include "app/play/PlayTokens.h"

#include <fmt/core.h>

#include <cctype>
#include <limits>

#include "app/core/Decimal.h"
#include "app/core/Printable.h"

namespace lq::play {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

bool AllDigits(std::string_view s)
{
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Digits as a number, or nothing past the limit.
bool ToNumber(std::string_view digits, unsigned base, std::uint64_t limit, std::uint64_t& out)
{
    out = 0;
    for (char c : digits) {
        unsigned d = 0;
        if (c >= '0' && c <= '9')
            d = static_cast<unsigned>(c - '0');
        else if (base == 16 && std::isxdigit(static_cast<unsigned char>(c)))
            d = static_cast<unsigned>(std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
        else
            return false;
        if (out > (limit - d) / base)
            return false;
        out = out * base + d;
    }
    return !digits.empty();
}

}  // namespace

std::vector<Word> SplitWords(std::string_view line)
{
    std::vector<Word> words;
    std::size_t i = 0;
    while (i < line.size()) {
        if (IsBlank(line[i])) {
            ++i;
            continue;
        }
        if (line[i] == '#')
            break;
        Word w;
        if (line[i] == '"') {
            w.quoted = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                const char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\'))
                    w.text += line[i++];
                else
                    w.text += c;
            }
            if (!closed)
                throw LineError("a quoted word is not closed (a \" is missing)");
            if (i < line.size() && !IsBlank(line[i]) && line[i] != '#')
                throw LineError(fmt::format("a quoted word must be followed by a blank, not '{}'", line[i]));
        } else {
            while (i < line.size() && !IsBlank(line[i]) && line[i] != '#') {
                if (line[i] == '"')
                    throw LineError(fmt::format("a quote inside the word \"{}\"; quote the whole word", Excerpt(w.text)));
                w.text += line[i++];
            }
        }
        words.push_back(std::move(w));
    }
    return words;
}

std::string StripComment(std::string_view line)
{
    bool quoted = false;
    std::size_t end = line.size();
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (quoted && line[i] == '\\' && i + 1 < line.size())
            ++i;
        else if (line[i] == '"')
            quoted = !quoted;
        else if (!quoted && line[i] == '#') {
            end = i;
            break;
        }
    }
    std::string_view s = line.substr(0, end);
    while (!s.empty() && (IsBlank(s.front()) || s.front() == '\n'))
        s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\n'))
        s.remove_suffix(1);
    return std::string(s);
}

std::int32_t ParseLength(const std::string& word)
{
    const auto bad = [&] {
        return LineError(fmt::format("\"{}\" is not a length (write nanometres, or a number with mm, um or mil: 12.7mm)", Excerpt(word)));
    };
    std::string_view s = word;
    const bool negative = !s.empty() && (s.front() == '-' || s.front() == '+') ? s.front() == '-' : false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+'))
        s.remove_prefix(1);
    std::uint64_t scale = 1;
    for (const auto& [unit, factor] : {std::pair<std::string_view, std::uint64_t>{"mm", 1000000}, {"um", 1000}, {"mil", 25400},
                                       {"nm", 1}}) {
        if (s.size() > unit.size() && s.substr(s.size() - unit.size()) == unit) {
            scale = factor;
            s.remove_suffix(unit.size());
            break;
        }
    }
    const std::size_t dot = s.find('.');
    const std::string_view whole = s.substr(0, dot);
    const std::string_view fraction = dot == std::string_view::npos ? std::string_view() : s.substr(dot + 1);
    if (!AllDigits(whole) || (dot != std::string_view::npos && !AllDigits(fraction)))
        throw bad();
    const auto outOfRange = [&] { return LineError(fmt::format("\"{}\" is outside the 32-bit coordinate range", Excerpt(word))); };
    constexpr std::uint64_t kLimit = 1ull << 40;  // far beyond 32 bits, so that overflow cannot hide
    std::uint64_t w = 0;
    if (!ToNumber(whole, 10, kLimit, w))
        throw outOfRange();
    // The fraction must come out as whole nanometres: digits beyond the unit's resolution are zeros.
    std::uint64_t f = 0, denominator = 1;
    for (char c : fraction) {
        if (denominator > kLimit)
            throw bad();
        f = f * 10 + static_cast<std::uint64_t>(c - '0');
        denominator *= 10;
    }
    const unsigned __int128 scaledFraction = static_cast<unsigned __int128>(f) * scale;
    if (scaledFraction % denominator != 0)
        throw LineError(fmt::format("\"{}\" is not a whole number of nanometres", Excerpt(word)));
    const unsigned __int128 magnitude = static_cast<unsigned __int128>(w) * scale + scaledFraction / denominator;
    const unsigned __int128 max = negative ? static_cast<unsigned __int128>(std::numeric_limits<std::int32_t>::max()) + 1
                                           : std::numeric_limits<std::int32_t>::max();
    if (magnitude > max)
        throw outOfRange();
    const auto m = static_cast<std::int64_t>(magnitude);
    return static_cast<std::int32_t>(negative ? -m : m);
}

std::uint32_t ParseUnsigned32(const std::string& word, const char* what)
{
    std::uint64_t v = 0;
    const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    const std::string_view digits = hex ? std::string_view(word).substr(2) : std::string_view(word);
    if (!(hex || AllDigits(digits)) || !ToNumber(digits, hex ? 16 : 10, std::numeric_limits<std::uint32_t>::max(), v))
        throw LineError(fmt::format("\"{}\" is not {} (a number from 0 to 4294967295, or 0x hexadecimal)", Excerpt(word), what));
    return static_cast<std::uint32_t>(v);
}

std::int32_t ParseSigned32(const std::string& word, const char* what)
{
    const bool negative = !word.empty() && word[0] == '-';
    std::uint64_t v = 0;
    const std::string_view digits = std::string_view(word).substr(negative ? 1 : 0);
    const std::uint64_t limit = negative ? 2147483648ull : 2147483647ull;
    if (!AllDigits(digits) || !ToNumber(digits, 10, limit, v))
        throw LineError(fmt::format("\"{}\" is not {} (a whole number within 32 bits)", Excerpt(word), what));
    return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(v) : static_cast<std::int64_t>(v));
}

std::size_t ParseCount(const std::string& word, const char* what)
{
    std::uint64_t v = 0;
    if (!AllDigits(word) || !ToNumber(word, 10, std::numeric_limits<std::uint32_t>::max(), v))
        throw LineError(fmt::format("\"{}\" is not {} (a whole number, 0 or more)", Excerpt(word), what));
    return static_cast<std::size_t>(v);
}

bool ParseSwitch(const std::string& word, const char* what)
{
    for (const char* on : {"on", "true", "yes", "1"})
        if (word == on)
            return true;
    for (const char* off : {"off", "false", "no", "0"})
        if (word == off)
            return false;
    throw LineError(fmt::format("\"{}\" is not {} (on or off)", Excerpt(word), what));
}

std::string FormatLength(std::int64_t nm) { return ShortDecimal(nm, 6) + "mm"; }

}  // namespace lq::play
