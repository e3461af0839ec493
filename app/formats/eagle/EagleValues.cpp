#include "app/formats/eagle/EagleValues.h"

#include <fmt/core.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "app/core/Printable.h"

namespace lq::eagle {

namespace {

std::optional<double> ParseReal(const char* text)
{
    const std::size_t n = std::strlen(text);
    if (n == 0 || text[0] == '+')
        return std::nullopt;
    double v = 0;
    const auto [end, ec] = std::from_chars(text, text + n, v);
    if (ec != std::errc() || end != text + n || !std::isfinite(v))
        return std::nullopt;
    return v;
}

}  // namespace

std::string Text(const XmlFile& file, const pugi::xml_node& node, const char* attribute)
{
    const pugi::xml_attribute a = node.attribute(attribute);
    if (!a)
        file.Fail(node, fmt::format("the attribute {} is missing", attribute));
    return a.value();
}

std::string TextOr(const XmlFile&, const pugi::xml_node& node, const char* attribute, const std::string& fallback)
{
    const pugi::xml_attribute a = node.attribute(attribute);
    return a ? std::string(a.value()) : fallback;
}

int Integer(const XmlFile& file, const pugi::xml_node& node, const char* attribute, std::optional<int> fallback, int min,
            int max)
{
    const pugi::xml_attribute a = node.attribute(attribute);
    if (!a) {
        if (!fallback)
            file.Fail(node, fmt::format("the attribute {} is missing", attribute));
        return *fallback;
    }
    const char* text = a.value();
    const std::size_t n = std::strlen(text);
    long long v = 0;
    const auto [end, ec] = std::from_chars(text, text + n, v);
    if (n == 0 || ec != std::errc() || end != text + n)
        file.Fail(node, fmt::format("{}=\"{}\" is not a whole number", attribute, Excerpt(text)));
    if (v < min || v > max)
        file.Fail(node, fmt::format("{}=\"{}\" is outside {}..{}", attribute, Excerpt(text), min, max));
    return static_cast<int>(v);
}

double Nanometres(const XmlFile& file, const pugi::xml_node& node, const char* attribute, std::optional<double> fallback)
{
    const pugi::xml_attribute a = node.attribute(attribute);
    if (!a) {
        if (!fallback)
            file.Fail(node, fmt::format("the attribute {} is missing", attribute));
        return *fallback * 1e6;
    }
    const std::optional<double> mm = ParseReal(a.value());
    if (!mm)
        file.Fail(node, fmt::format("{}=\"{}\" is not a number", attribute, Excerpt(a.value())));
    if (std::fabs(*mm) > kMaxMillimetres)
        file.Fail(node, fmt::format("{}=\"{}\" is outside the 32-bit nanometre range (±{} mm)", attribute, Excerpt(a.value()),
                                    kMaxMillimetres));
    return *mm * 1e6;
}

double NonNegative(const XmlFile& file, const pugi::xml_node& node, const char* attribute, std::optional<double> fallback)
{
    const double v = Nanometres(file, node, attribute, fallback);
    if (v < 0)
        file.Fail(node, fmt::format("{} is negative", attribute));
    return v;
}

Vec VecAt(const XmlFile& file, const pugi::xml_node& node, const char* x, const char* y)
{
    return Vec{Nanometres(file, node, x), Nanometres(file, node, y)};
}

// x is rounded before y is read, so the first bad value is the one reported.
Point PointAt(const XmlFile& file, const pugi::xml_node& node, const char* x, const char* y)
{
    return Point{Round(file, node, Nanometres(file, node, x), "the point"), Round(file, node, Nanometres(file, node, y), "the point")};
}

Rotation RotationOf(const XmlFile& file, const pugi::xml_node& node, const char* attribute)
{
    const pugi::xml_attribute a = node.attribute(attribute);
    if (!a)
        return Rotation{};
    const std::optional<Rotation> r = ParseRotation(a.value());
    if (!r)
        file.Fail(node, fmt::format("{}=\"{}\" is not a rotation (such as R90, MR180 or SR45)", attribute, Excerpt(a.value())));
    return *r;
}

int Layer(const XmlFile& file, const pugi::xml_node& node, const char* attribute)
{
    return Integer(file, node, attribute, std::nullopt, 1, 255);
}

std::int32_t Round(const XmlFile& file, const pugi::xml_node& node, double nm, const char* what)
{
    const double r = std::round(nm);
    if (!(r >= std::numeric_limits<std::int32_t>::min() && r <= std::numeric_limits<std::int32_t>::max()))
        file.Fail(node, fmt::format("{} lies outside the 32-bit nanometre range (±{} mm)", what, kMaxMillimetres));
    return static_cast<std::int32_t>(r);
}

std::string FormatMillimetres(double mm)
{
    std::string s = fmt::format("{:.6f}", mm);
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    if (s == "-0")
        s = "0";
    return s;
}

}  // namespace lq::eagle
