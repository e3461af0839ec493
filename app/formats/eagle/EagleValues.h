// Reading the attribute values of an Eagle file: texts, whole numbers, lengths in millimetres
// (turned into nanometres) and rotations, each refused with its file, line and attribute named.
#pragma once
#include <pugixml.hpp>

#include <cstdint>
#include <optional>
#include <string>

#include "app/formats/eagle/EagleGeometry.h"
#include "app/formats/eagle/EagleXml.h"
#include "app/model/Board.h"

namespace lq::eagle {

// The largest length a coordinate may have, in millimetres: 32-bit nanometres.
constexpr double kMaxMillimetres = 2147.483647;

// A required attribute's text; refused when absent.
std::string Text(const XmlFile& file, const pugi::xml_node& node, const char* attribute);
// An optional attribute's text, or fallback.
std::string TextOr(const XmlFile& file, const pugi::xml_node& node, const char* attribute, const std::string& fallback);

// A whole number in [min, max]; fallback when the attribute is absent and optional.
int Integer(const XmlFile& file, const pugi::xml_node& node, const char* attribute, std::optional<int> fallback, int min,
            int max);

// A length or coordinate in millimetres as nanometres (not yet rounded), within the 32-bit
// nanometre range; fallback (in millimetres) when absent and optional.
double Nanometres(const XmlFile& file, const pugi::xml_node& node, const char* attribute,
                  std::optional<double> fallback = std::nullopt);

// The same for a size, which may not be negative.
double NonNegative(const XmlFile& file, const pugi::xml_node& node, const char* attribute,
                   std::optional<double> fallback = std::nullopt);

// A required point as nanometres (x read before y), unrounded or rounded to 32 bits.
Vec VecAt(const XmlFile& file, const pugi::xml_node& node, const char* x = "x", const char* y = "y");
Point PointAt(const XmlFile& file, const pugi::xml_node& node, const char* x = "x", const char* y = "y");

// A rotation such as "R90", "MR180", "SR45.5"; R0 when absent.
Rotation RotationOf(const XmlFile& file, const pugi::xml_node& node, const char* attribute = "rot");

// An Eagle layer number, 1..255.
int Layer(const XmlFile& file, const pugi::xml_node& node, const char* attribute = "layer");

// Rounds a nanometre value that Nanometres or a placement produced; refuses it outside 32 bits.
std::int32_t Round(const XmlFile& file, const pugi::xml_node& node, double nm, const char* what);

// A number as plain decimal text, as Eagle writes it ("12.7", "-0.5", "3").
std::string FormatMillimetres(double mm);

}  // namespace lq::eagle
