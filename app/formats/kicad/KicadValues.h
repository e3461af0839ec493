// Reading the values of a KiCad file: lengths in millimetres (as whole nanometres, exactly),
// angles, whole numbers, points and the elements a list must have, each refused with its file,
// line and column.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "app/formats/kicad/Sexpr.h"
#include "app/model/Board.h"

namespace lq::kicad {

// The largest coordinate, in nanometres: 32 bits, as the host's points.
constexpr std::int64_t kMaxCoordinate = 2147483647;

// A length in millimetres as nanometres, rounded to the nearest (halves away from zero); within
// ±1 km, so that sums and products of a few stay far inside 64 bits.
std::int64_t Nanometres(const SexprFile& file, NodeId atom);
// The same, refused beyond the 32-bit nanometre range.
std::int32_t Coordinate(const SexprFile& file, NodeId atom);
// A coordinate computed from the file's values, refused at node beyond 32 bits.
std::int32_t Fit(const SexprFile& file, NodeId node, std::int64_t v, const char* what);
// Degrees, any finite value within ±3600.
double Degrees(const SexprFile& file, NodeId atom);
// A whole number in [min, max].
long long Integer(const SexprFile& file, NodeId atom, long long min, long long max);

// The list's k-th argument, refused when absent.
NodeId NeedArg(const SexprFile& file, NodeId list, std::size_t k, const char* what);
// The child list with that head, refused when absent.
NodeId NeedChild(const SexprFile& file, NodeId list, std::string_view head);
// (head x y ...) as 32-bit nanometres, and as 64-bit ones (schematic positions).
Point XY(const SexprFile& file, NodeId list);
struct Vec64 {
    std::int64_t x = 0;
    std::int64_t y = 0;
    friend bool operator==(const Vec64&, const Vec64&) = default;
    friend auto operator<=>(const Vec64&, const Vec64&) = default;
};
Vec64 XY64(const SexprFile& file, NodeId list);
// (at x y [angle]): the angle, 0 when absent.
double AtAngle(const SexprFile& file, NodeId at);

// The text of a (property "Name" "value" ...) child of list, or of nothing.
NodeId PropertyValue(const SexprFile& file, NodeId list, std::string_view name);

// The version of a KiCad board ("kicad_pcb") or schematic ("kicad_sch") file, refused with its
// place when the file is of another kind or its version is not within [first, last].
long long FileVersion(const SexprFile& file, std::string_view head, long long first, long long last);

// Nanometres as KiCad writes millimetres in messages: "12.7", "-0.5", "3".
std::string FormatMillimetres(std::int64_t nm);

}  // namespace lq::kicad
