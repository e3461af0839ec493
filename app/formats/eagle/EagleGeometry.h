// Eagle's placements: rotations with mirroring and spin, and where the pads of a placed package
// land. Lengths are nanometres held in doubles until they are rounded once, at the end.
#pragma once
#include <array>
#include <optional>
#include <string_view>

namespace lq::eagle {

struct Rotation {
    double degrees = 0;   // counter-clockwise, [0, 360)
    bool mirror = false;  // "M": mirrored about the vertical axis (the element is on the bottom)
    bool spin = false;    // "S": texts may read upside down; no effect on pads
};

// "R90", "MR180", "SR45.5", "SMR270"; nothing for anything else.
std::optional<Rotation> ParseRotation(std::string_view text);

struct Vec {
    double x = 0;
    double y = 0;
};

// An object placed at origin with a rotation: Eagle rotates first, then mirrors x.
class Placement {
public:
    Placement(Vec origin, const Rotation& rotation);
    Vec Apply(Vec local) const;

private:
    Vec m_origin;
    double m_cos = 1;
    double m_sin = 0;
    bool m_mirror = false;
};

// The corners of a dx-by-dy rectangle centred on centre and turned by degrees about it.
std::array<Vec, 4> RectangleCorners(Vec centre, double dx, double dy, double degrees);

// How Eagle sizes through-hole pads whose diameter is left to the design rules.
struct PadRules {
    double restringFraction = 0.25;  // of the drill
    double minRestring = 254000;     // nm
    double maxRestring = 508000;     // nm
    double longElongation = 100;     // per cent of the diameter
    double offsetElongation = 100;   // per cent of the diameter
};

// The copper of a through-hole pad around its drill centre (x, y), turned by degrees: a square
// of the diameter for square, round and octagon shapes, longer along x for "long" (centred) and
// "offset" (stretched to +x). diameter 0 takes the design rules' restring.
std::array<Vec, 4> PadCorners(Vec centre, double drill, double diameter, std::string_view shape, double degrees,
                              const PadRules& rules);

}  // namespace lq::eagle
