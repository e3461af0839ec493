// Reproducible layout sheets for the benchmarks: quad-gate logic boards and a connector with
// nets spread over the board. The same arguments always give the same sheet.
#pragma once
#include <cstdint>
#include <memory>

#include "host/SubSheet.h"

namespace lqbench {

// Board coordinates are nanometres; 2.54 mm is the usual pin pitch.
constexpr std::int32_t kPinPitch = 2540000;

// nPackages quad two-input gate packages (7400 pinout) on a square grid. Every input is on the
// net of an output of another package, chosen at random: anywhere on the board, or, with a
// reach, among the packages at most that many places away along each axis (as a placer leaves
// logic); outputs that drive nothing stay unconnected; all pins 7 are on GND and all pins 14 on
// VCC. Gate swap setting 2 everywhere.
std::unique_ptr<CLayoutSubSheet> MakeQuadGateBoard(int nPackages, std::uint32_t nSeed, int nReach = 0);

// Connector J1 with nPins pins of one pin group in a row, each on a net with one to three
// single-pin parts placed at random over a 200 mm x 150 mm board.
std::unique_ptr<CLayoutSubSheet> MakeConnectorBoard(int nPins, std::uint32_t nSeed);

struct BoardFigures {
    std::uint32_t nHash = 0;      // of every pin's net, in drawing order
    double dWireMm = 0;           // sum over nets of the distances from the first net pin to the others
    int nConnectedPins = 0;
};
BoardFigures MeasureBoard(const CLayoutSubSheet* pSheet);

}  // namespace lqbench
