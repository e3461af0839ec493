// The board document as lqhost keeps it between files and the host's layout database: plain
// values in nanometres, 32-bit coordinates like the host's points and rectangles.
//
// Geometry is relative, as in a package library: a part's outline and pins are given from its
// placement point, and a pad rectangle from its pin's location. AbsolutePin() and friends give
// the board positions; the board file reader guarantees that they all fit in 32 bits.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace lq {

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Two corners, in any order.
struct Rect {
    std::int32_t x1 = 0;
    std::int32_t y1 = 0;
    std::int32_t x2 = 0;
    std::int32_t y2 = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Name and value; the order of a list of attributes is kept, names may repeat.
struct Attribute {
    std::string name;
    std::string value;
    friend bool operator==(const Attribute&, const Attribute&) = default;
};
using Attributes = std::vector<Attribute>;

// The sheet's automatic swap while moving (the host's CMoveSwapState).
struct MoveSwap {
    int mode = 0;          // 0 off, 1 pins only, 2 or 3 pins and gates
    bool pinSwap = false;  // must be set for mode 1 to act
    int gateSwap = 0;      // must be non-zero for modes 2 and 3 to act
    friend bool operator==(const MoveSwap&, const MoveSwap&) = default;
};

struct SheetSettings {
    std::string documentType = "LAYOUTDESIGN";
    bool backAnnotation = true;         // false: the sheet suppresses back annotation
    bool backAnnotationManager = true;  // whether the sheet has a back-annotation manager
    MoveSwap moveSwap;
    std::int64_t zoom = 10000;  // nanometres per screen pixel, for the views' pixel sizes
    friend bool operator==(const SheetSettings&, const SheetSettings&) = default;
};

// Copper layers 1..16 as bits, as the host's pins carry them; all bits: a through-hole pad.
constexpr std::uint32_t kAllCopperLayers = 0xFFFFu;
// No bit for a layer outside 1..16.
constexpr std::uint32_t CopperLayerBit(int layer) { return layer >= 1 && layer <= 16 ? 1u << (layer - 1) : 0u; }

struct Pin {
    Point at;   // from the part's placement point
    Rect pad;   // from the pin's location
    std::uint32_t layers = kAllCopperLayers;
    Attributes attributes;  // LQ_PIN (required, the pin's name in nets), LQ_GATE, LQ_PINGROUP, ...
    friend bool operator==(const Pin&, const Pin&) = default;
};

struct Part {
    std::string ref;  // the host's LQ_REFDES, always the component's first attribute
    Point at;         // placement point on the board
    Rect outline;     // from the placement point
    bool pinSwap = true;    // the component allows pin swapping
    Attributes attributes;  // after LQ_REFDES; LQ_GATESWAP among them when set
    std::vector<Pin> pins;
    friend bool operator==(const Part&, const Part&) = default;
};

// A pin of a net, by reference designator and pin name (its LQ_PIN value).
struct PinRef {
    std::string part;
    std::string pin;
    friend bool operator==(const PinRef&, const PinRef&) = default;
    friend auto operator<=>(const PinRef&, const PinRef&) = default;
};

struct Net {
    std::string name;
    std::vector<PinRef> pins;  // in the net's order
    friend bool operator==(const Net&, const Net&) = default;
};

// Copper is in board coordinates. Its net name is informational, as in the host; whether a pin
// is routed follows from the geometry alone (a track end, via or polygon on its pad and layer).
struct Track {
    std::string net;  // empty when not given
    int layer = 1;
    std::int32_t width = 0;
    Point from;
    Point to;
    friend bool operator==(const Track&, const Track&) = default;
};

struct Via {
    std::string net;
    Point at;
    std::int32_t diameter = 0;
    friend bool operator==(const Via&, const Via&) = default;
};

struct Polygon {
    std::string net;
    int layer = 1;
    std::vector<Point> points;
    friend bool operator==(const Polygon&, const Polygon&) = default;
};

struct Board {
    SheetSettings sheet;
    std::vector<Part> parts;
    std::vector<Net> nets;
    std::vector<Track> tracks;
    std::vector<Via> vias;
    std::vector<Polygon> polygons;
    friend bool operator==(const Board&, const Board&) = default;
};

// The value of the first attribute of that name (byte comparison), or nothing.
std::optional<std::string> FindAttribute(const Attributes& attributes, const std::string& name);
// The pin's LQ_PIN value; empty when it has none.
std::string PinName(const Pin& pin);

// Board positions. Computed in 64 bits; the reader has checked that they fit in 32.
Point AbsolutePin(const Part& part, const Pin& pin);
Rect AbsolutePad(const Part& part, const Pin& pin);
Rect AbsoluteOutline(const Part& part);

// A pin of the board by position: parts[part].pins[pin].
struct PinIndex {
    std::size_t part = 0;
    std::size_t pin = 0;
    friend bool operator==(const PinIndex&, const PinIndex&) = default;
    friend auto operator<=>(const PinIndex&, const PinIndex&) = default;
};

// Where a board's names lead: reference designators to parts, pin references to pins, net names
// to nets. Built once per board; valid while the board's parts and nets are unchanged.
class BoardIndex {
public:
    explicit BoardIndex(const Board& board);
    std::optional<std::size_t> FindPart(const std::string& ref) const;
    std::optional<PinIndex> FindPin(const PinRef& ref) const;
    std::optional<std::size_t> FindNet(const std::string& name) const;
    // The net each pin is on, by net index; nothing for unconnected pins.
    std::optional<std::size_t> NetOfPin(const PinIndex& pin) const;

private:
    struct PinKeyHash {
        std::size_t operator()(const std::pair<std::size_t, std::string>& key) const
        {
            return std::hash<std::string>{}(key.second) ^ (key.first * 0x9E3779B97F4A7C15u);
        }
    };
    static constexpr std::size_t kNoNet = static_cast<std::size_t>(-1);
    // First occurrence wins; BoardCheck reports the duplicates. Hashed, since the page host
    // builds an index of the whole board several times for every click.
    std::unordered_map<std::string, std::size_t> m_parts;
    std::unordered_map<std::pair<std::size_t, std::string>, std::size_t, PinKeyHash> m_pins;
    std::unordered_map<std::string, std::size_t> m_nets;
    std::vector<std::size_t> m_firstPin;  // per part, where its pins start in m_netOfPin; then the end
    std::vector<std::size_t> m_netOfPin;  // kNoNet for none
};

}  // namespace lq
