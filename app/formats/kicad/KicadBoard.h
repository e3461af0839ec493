// A KiCad board file as lqhost reads it: footprints with their reference, placement, path to
// the schematic symbol and placed pads; the net table (KiCad 6 to 9) or the nets named inline
// (KiCad 10); tracks, arcs, vias and the filled areas of zones. Every node is kept, so that the
// write-back can edit the file in place.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/formats/kicad/Sexpr.h"
#include "app/model/Board.h"

namespace lq::kicad {

// Board versions lqhost reads: KiCad 6 to 10.
constexpr long long kFirstBoardVersion = 20211014;
constexpr long long kLastBoardVersion = 20260206;

// Copper layers by their place in the stack: 0 is F.Cu, 1 to 30 are In1.Cu to In30.Cu, 31 is B.Cu.
using LayerSet = std::uint32_t;
constexpr LayerSet kFront = 1u;
constexpr LayerSet kBack = 1u << 31;

enum class PadKind { ThroughHole, Smd, Connect, NonPlated };
enum class PadShape { Circle, Oval, Rect, Other };

struct KicadPad {
    NodeId node = kNoNode;
    std::string number;  // empty for mechanical pads
    PadKind kind = PadKind::ThroughHole;
    PadShape shape = PadShape::Rect;
    Point at;               // on the board
    double degrees = 0;     // the pad's own orientation on the board
    std::int32_t width = 0;  // along the pad's own x
    std::int32_t height = 0;
    Point offset;  // of the copper from the drill, in the pad's own frame
    LayerSet layers = 0;
    NodeId netNode = kNoNode;  // (net ...), when the pad has one
    std::string net;           // its name; empty for none
};

struct KicadFootprint {
    NodeId node = kNoNode;
    std::string library;  // "Package_DIP:DIP-14_W7.62mm"
    std::string ref;
    NodeId refNode = kNoNode;
    std::string value;
    NodeId pathNode = kNoNode;  // (path "/sheet/.../symbol")
    std::string path;
    Point at;
    double degrees = 0;
    bool boardOnly = false;
    std::vector<KicadPad> pads;
};

// A track or an arc: copper that ends at a and b.
struct KicadTrack {
    NodeId node = kNoNode;
    Point a;
    Point b;
    LayerSet layer = 0;
    std::string net;
};

struct KicadVia {
    NodeId node = kNoNode;
    Point at;
    LayerSet layers = 0;
    std::string net;
};

struct KicadFill {
    std::string net;
    LayerSet layer = 0;
    std::vector<Point> points;
};

struct KicadNetDef {
    long long code = 0;
    std::string name;
    NodeId node = kNoNode;
};

struct KicadBoard {
    std::unique_ptr<SexprFile> file;
    long long version = 0;
    bool netCodes = false;  // a net table, pads naming code and name (KiCad 6 to 9); else names only (KiCad 10)
    std::vector<KicadNetDef> nets;  // the table, in file order (KiCad 6 to 9)
    std::map<std::string, std::size_t> netByName;
    std::vector<KicadFootprint> footprints;
    std::vector<KicadTrack> tracks;
    std::vector<KicadVia> vias;
    std::vector<KicadFill> fills;
    LayerSet copper = kFront | kBack;  // the copper layers the board declares
};

// What a board file may hold; more is refused with its place.
struct BoardLimits {
    static constexpr std::size_t kFootprints = 100000;
    static constexpr std::size_t kPads = 1000000;
    static constexpr std::size_t kPadsPerFootprint = 10000;
};

// Parses and reads a board. Throws ParseError "file:line:column: ..." for anything it cannot
// read: a file that is not a KiCad board or of a version outside KiCad 6 to 10, a pad net code
// absent from the net table, a duplicate reference, coordinates beyond 32-bit nanometres, ...
KicadBoard ReadKicadBoard(std::unique_ptr<SexprFile> file);

// The copper layer a name stands for, or 0 (for "F.Mask" and the like).
LayerSet CopperLayer(std::string_view name);

}  // namespace lq::kicad
