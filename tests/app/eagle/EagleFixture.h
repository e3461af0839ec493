// Small Eagle boards and schematics written the way Eagle writes them (one element per line), so
// that each test reads like the situation it checks.
#pragma once
#include <string>
#include <vector>

#include "app/formats/eagle/EagleImport.h"

namespace lqeagle {

using lq::eagle::EagleImport;

struct Contact {
    std::string element;
    std::string pad;
};

struct EagleSignal {
    std::string name;
    std::vector<Contact> contacts;
    std::string copper;  // extra lines inside the board's <signal>: wires, vias, polygons
};

// Two 7400 quad NANDs IC1 (at 10,10) and IC2 (at 40,10, rotated ic2Rotation) and a resistor R1
// (smds, at 25,30). 7400: gates A-D of symbol NAND with gate swap level 1, inputs A and B with
// pin swap level 1, output Y level 0; power gate P (VCC 14, GND 7, direction pwr) never placed.
// R: one gate G$1 of level 0, pins 1 and 2 with level 1. Gates IC1.A, IC1.B, IC2.A, IC2.B and
// R1.G$1 are placed; each pin reference gets a stub wire starting on its pin.
struct SmallDesign {
    std::string board;
    std::string schematic;
};
SmallDesign MakeDesign(const std::vector<EagleSignal>& signals, const std::string& ic2Rotation = "R0");

// N1 = IC1.1 + R1.1, N2 = IC1.2 + R1.2, OUT = IC1.3 + IC2.4, VCC = IC1.14 + IC2.14.
std::vector<EagleSignal> TypicalSignals();

EagleImport Import(const SmallDesign& design, bool unrouted = false);
EagleImport ImportBoardOnly(const std::string& board);

// text with the one occurrence of from replaced; throws when from occurs not exactly once.
std::string Replace(const std::string& text, const std::string& from, const std::string& to);

// Lines removed ("-...") and added ("+...") from a to b, in order, by longest common subsequence;
// within a change removals come first.
std::vector<std::string> LineDiff(const std::string& a, const std::string& b);

// Moves pins to the named nets (an empty name: off every net) the way the host's netlist does:
// off their net, appended to the new one.
struct Move {
    std::string part;
    std::string pin;
    std::string net;
};
lq::Board WithMoves(lq::Board board, const std::vector<Move>& moves);
// The moves by which pin pa[k] of part a and pin pb[k] of part b exchange their nets.
std::vector<Move> Exchange(const std::string& a, const std::vector<std::string>& pa, const std::string& b,
                           const std::vector<std::string>& pb, const lq::Board& board);

}  // namespace lqeagle
