#include "app/formats/kicad/KicadValues.h"

#include <fmt/core.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace lq::kicad {

namespace {

constexpr std::int64_t kMaxLength = 1'000'000'000'000;  // 1 km in nanometres
constexpr std::int64_t kMaxLengthDigits = [] {
    std::int64_t n = 0;
    for (std::int64_t v = kMaxLength; v > 0; v /= 10)
        ++n;
    return n;
}();
// Exponents are held here: far past any count of digits a file could hold, far inside 64 bits.
constexpr std::int64_t kExponentBound = 1'000'000'000'000'000;

// "-12.3456789" or "1.5e-3" as nanometres, past ±1 km as just past it; nothing for anything but an
// optional sign, digits with one point, and an optional exponent. KiCad reads exponents too, and
// files that other programs write may carry them.
std::optional<std::int64_t> ParseMillimetres(std::string_view s)
{
    bool negative = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+'))
        negative = s[0] == '-', s.remove_prefix(1);
    std::int64_t exponent = 0;
    if (const std::size_t e = s.find_first_of("eE"); e != std::string_view::npos) {
        std::string_view power = s.substr(e + 1);
        s = s.substr(0, e);
        const bool down = !power.empty() && power[0] == '-';
        if (!power.empty() && (power[0] == '-' || power[0] == '+'))
            power.remove_prefix(1);
        if (power.empty())
            return std::nullopt;
        for (const char c : power) {
            if (c < '0' || c > '9')
                return std::nullopt;
            exponent = std::min(exponent * 10 + (c - '0'), kExponentBound);
        }
        exponent = down ? -exponent : exponent;
    }
    std::int64_t nDigits = 0, nAfterPoint = 0, nLeadingZeros = 0;
    bool point = false;
    for (const char c : s) {
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9')
            return std::nullopt;
        nLeadingZeros += c == '0' && nLeadingZeros == nDigits;
        nDigits += 1;
        nAfterPoint += point;
    }
    if (nDigits == 0)
        return std::nullopt;
    if (nLeadingZeros == nDigits)
        return 0;
    // The significant digits times 10^scale are the nanometres; the first nWhole of them are whole
    // ones, and the next decides the rounding.
    const std::int64_t scale = exponent + 6 - nAfterPoint;
    const std::int64_t nWhole = nDigits - nLeadingZeros + scale;
    // Too long to be a board's, yet a length: the caller says so.
    const std::int64_t beyond = negative ? -(kMaxLength + 1) : kMaxLength + 1;
    if (nWhole > kMaxLengthDigits)
        return beyond;
    std::int64_t v = 0, k = -nLeadingZeros;
    bool roundUp = false;
    for (const char c : s) {
        if (c == '.')
            continue;
        if (k >= 0 && k < nWhole)
            v = v * 10 + (c - '0');
        else if (k == nWhole)
            roundUp = c >= '5';
        ++k;
    }
    for (std::int64_t z = 0; z < scale; ++z)
        v *= 10;
    if (v > kMaxLength)
        return beyond;
    v += roundUp ? 1 : 0;
    return negative ? -v : v;
}

}  // namespace

std::int64_t Nanometres(const SexprFile& file, NodeId atom)
{
    if (file.IsList(atom))
        file.Fail(atom, "a number is expected here, not a list");
    const std::string text = file.Value(atom);
    const auto v = ParseMillimetres(text);
    if (!v)
        file.Fail(atom, fmt::format("\"{}\" is not a length in millimetres", text));
    if (*v > kMaxLength || *v < -kMaxLength)
        file.Fail(atom, fmt::format("{} mm is beyond any board", text));
    return *v;
}

std::int32_t Coordinate(const SexprFile& file, NodeId atom)
{
    const std::int64_t v = Nanometres(file, atom);
    if (v > kMaxCoordinate || v < -kMaxCoordinate)
        file.Fail(atom, fmt::format("{} mm lies beyond the 32-bit nanometre range (±2147.483647 mm)", file.Value(atom)));
    return static_cast<std::int32_t>(v);
}

std::int32_t Fit(const SexprFile& file, NodeId node, std::int64_t v, const char* what)
{
    if (v > kMaxCoordinate || v < -kMaxCoordinate)
        file.Fail(node, fmt::format("{} lies beyond the 32-bit nanometre range (±2147.483647 mm)", what));
    return static_cast<std::int32_t>(v);
}

double Degrees(const SexprFile& file, NodeId atom)
{
    const std::string text = file.IsList(atom) ? "" : file.Value(atom);
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v) || std::fabs(v) > 3600)
        file.Fail(atom, fmt::format("\"{}\" is not an angle in degrees", text));
    return v;
}

long long Integer(const SexprFile& file, NodeId atom, long long min, long long max)
{
    const std::string text = file.IsList(atom) ? "" : file.Value(atom);
    long long v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        file.Fail(atom, fmt::format("\"{}\" is not a whole number", text));
    if (v < min || v > max)
        file.Fail(atom, fmt::format("{} is not within {} to {}", v, min, max));
    return v;
}

NodeId NeedArg(const SexprFile& file, NodeId list, std::size_t k, const char* what)
{
    const NodeId n = file.Arg(list, k);
    if (n == kNoNode)
        file.Fail(list, fmt::format("({} ...) has no {}", file.Head(list), what));
    return n;
}

NodeId NeedChild(const SexprFile& file, NodeId list, std::string_view head)
{
    const NodeId n = file.Child(list, head);
    if (n == kNoNode)
        file.Fail(list, fmt::format("({} ...) has no ({} ...)", file.Head(list), head));
    return n;
}

Point XY(const SexprFile& file, NodeId list)
{
    return Point{Coordinate(file, NeedArg(file, list, 0, "x")), Coordinate(file, NeedArg(file, list, 1, "y"))};
}

Vec64 XY64(const SexprFile& file, NodeId list)
{
    const Point p = XY(file, list);
    return Vec64{p.x, p.y};
}

double AtAngle(const SexprFile& file, NodeId at)
{
    const NodeId a = file.Arg(at, 2);
    return a == kNoNode || !file.IsSymbol(a) ? 0.0 : Degrees(file, a);
}

NodeId PropertyValue(const SexprFile& file, NodeId list, std::string_view name)
{
    for (NodeId n = file.First(list); n != kNoNode; n = file.Next(n)) {
        if (!file.IsList(n) || file.Head(n) != "property")
            continue;
        const NodeId key = file.Arg(n, 0), value = file.Arg(n, 1);
        if (key != kNoNode && value != kNoNode && !file.IsList(value) && file.Value(key) == name)
            return value;
    }
    return kNoNode;
}

long long FileVersion(const SexprFile& file, std::string_view head, long long first, long long last)
{
    const NodeId root = file.Root();
    const std::string_view found = file.Head(root);
    const auto kind = [](std::string_view h) { return h == "kicad_pcb" ? "board" : h == "kicad_sch" ? "schematic" : ""; };
    if (found != head)
        file.Fail(root, *kind(found) != '\0'
                            ? fmt::format("a KiCad {}, not a {}{}", kind(found), kind(head), head == "kicad_pcb" ? " (give the .kicad_pcb)" : "")
                            : fmt::format("not a KiCad {}: the file starts with ({}", kind(head), found));
    const NodeId v = file.Child(root, "version");
    if (v == kNoNode)
        file.Fail(root, fmt::format("the {} has no (version ...); lqhost reads KiCad 6 to 10", kind(head)));
    const NodeId atom = NeedArg(file, v, 0, "version number");
    const long long version = Integer(file, atom, 0, 99999999);
    if (version < first || version > last)
        file.Fail(atom, fmt::format("{} version {} is {} than lqhost reads (KiCad 6 to 10: {} to {})", kind(head), version,
                                    version < first ? "older" : "newer", first, last));
    return version;
}

std::string FormatMillimetres(std::int64_t nm)
{
    std::string s = fmt::format("{}{}.{:06d}", nm < 0 ? "-" : "", std::llabs(nm) / 1'000'000, std::llabs(nm) % 1'000'000);
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.')
        s.pop_back();
    return s;
}

}  // namespace lq::kicad
