// A small KiCad project written the way KiCad 6 or KiCad 10 writes one, so that each test reads
// like the situation it checks, and the shared real projects.
#pragma once
#include <map>
#include <ostream>
#include <string>

#include "app/formats/kicad/KicadImport.h"

namespace lqkicad {

using lq::kicad::KicadImport;

enum class Style { Kicad6, Kicad10 };
inline void PrintTo(Style s, std::ostream* os) { *os << (s == Style::Kicad6 ? "Kicad6" : "Kicad10"); }

// Two quad NANDs (symbol 74xx:74HC00: units A-D with inputs of rule pin group 1, unit E with
// VCC 14 and GND 7) and five resistors. U1 shows units A, B and E, U2 units A and E; C and D of
// U1 and B to D of U2 are not placed, so their pads are on no net. Every signal pin of a placed
// unit and every resistor pin carries one local label and nothing else; labels of one text make
// a net: A1, B1, Y1 (U1A), A2, B2, Y2 (U1B), A3, B3, Y3 (U2A), each with one resistor pin; VCC
// and GND join the power pins. One track of A1 ends on R1.1, which is therefore routed.
struct Project {
    std::string board;      // fix.kicad_pcb
    std::string schematic;  // fix.kicad_sch
};
Project MakeProject(Style style);

// The project's files as a reader of paths "fix.kicad_pcb" and "fix.kicad_sch".
lq::kicad::FileReader Files(const Project& project);
KicadImport Import(const Project& project, bool unrouted = false);

// The path of a shared real KiCad project's board: ../shared/boards/kicad/NAME/NAME.kicad_pcb.
std::string SharedBoard(const std::string& name);
extern const char* const kSharedProjects[7];

// Whether /usr/bin/python3 can import KiCad 6's pcbnew; the reason when it cannot.
std::string PcbnewProblem();
// Every pad of a KiCad 6 board as pcbnew loads it: "REF.PAD" (pads in footprint order, the k-th
// repeat of a number as "NUMBER#k") to "NET ROUTED", ROUTED 1 when a track of the pad's net ends on
// it, a via of the net sits on it or a filled zone of the net covers its centre.
std::map<std::string, std::string> PcbnewPads(const std::string& board);
// The same as lqhost reads the board.
std::map<std::string, std::string> LqhostPads(const lq::kicad::KicadBoard& board);

}  // namespace lqkicad
