#include "app/formats/eagle/EagleGeometry.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace lq::eagle {

namespace {

// Exact for quarter turns, so that R90 and R270 place pads on whole nanometres.
void SinCos(double degrees, double& s, double& c)
{
    if (degrees == 0)
        s = 0, c = 1;
    else if (degrees == 90)
        s = 1, c = 0;
    else if (degrees == 180)
        s = 0, c = -1;
    else if (degrees == 270)
        s = -1, c = 0;
    else {
        const double r = degrees * M_PI / 180.0;
        s = std::sin(r), c = std::cos(r);
    }
}

}  // namespace

std::optional<Rotation> ParseRotation(std::string_view text)
{
    Rotation r;
    std::size_t i = 0;
    for (; i < text.size() && (text[i] == 'M' || text[i] == 'S'); ++i) {
        bool& flag = text[i] == 'M' ? r.mirror : r.spin;
        if (flag)
            return std::nullopt;
        flag = true;
    }
    if (i >= text.size() || text[i] != 'R')
        return std::nullopt;
    const std::string_view number = text.substr(i + 1);
    if (number.empty() || number.front() == '-' || number.front() == '+')
        return std::nullopt;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), r.degrees, std::chars_format::fixed);
    if (ec != std::errc() || end != number.data() + number.size() || !(r.degrees >= 0) || !(r.degrees < 360))
        return std::nullopt;
    return r;
}

Placement::Placement(Vec origin, const Rotation& rotation) : m_origin(origin), m_mirror(rotation.mirror)
{
    SinCos(rotation.degrees, m_sin, m_cos);
}

Vec Placement::Apply(Vec p) const
{
    const double x = p.x * m_cos - p.y * m_sin;
    const double y = p.x * m_sin + p.y * m_cos;
    return Vec{m_origin.x + (m_mirror ? -x : x), m_origin.y + y};
}

std::array<Vec, 4> RectangleCorners(Vec centre, double dx, double dy, double degrees)
{
    const Placement turn(centre, Rotation{degrees, false, false});
    return {turn.Apply({-dx / 2, -dy / 2}), turn.Apply({dx / 2, -dy / 2}), turn.Apply({dx / 2, dy / 2}),
            turn.Apply({-dx / 2, dy / 2})};
}

std::array<Vec, 4> PadCorners(Vec centre, double drill, double diameter, std::string_view shape, double degrees,
                              const PadRules& rules)
{
    double d = diameter;
    if (d <= 0)
        d = drill + 2 * std::clamp(drill * rules.restringFraction, rules.minRestring, rules.maxRestring);
    double left = -d / 2, right = d / 2;
    if (shape == "long") {
        const double extra = d * rules.longElongation / 100;
        left -= extra / 2, right += extra / 2;
    } else if (shape == "offset") {
        right += d * rules.offsetElongation / 100;
    }
    const Placement turn(centre, Rotation{degrees, false, false});
    return {turn.Apply({left, -d / 2}), turn.Apply({right, -d / 2}), turn.Apply({right, d / 2}), turn.Apply({left, d / 2})};
}

}  // namespace lq::eagle
