// The exchange model of a group of gates: what the gate items would measure, read from an index
// of the nets their pins are on; each gate's present length is kept until one of the nets it
// reads changes, and the pin groups of two kinds of gate are matched once. In large groups a
// gate's partners are visited cell by cell of a grid, passing over those that a bound shows
// cannot be chosen; the partner chosen is the same as when every partner is measured.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "module/autoswap/ExchangeSearch.h"

// Null unless every item is an optimising gate item of its own gate and no pin is in two gates.
std::unique_ptr<CExchangeModel> LQMakeGateModel(const std::vector<CSwapItem*>& items);

// When the grid is built and how fine it is. The defaults pay off on boards; tests make the grid
// serve every group from its first search, with small cells and blocks, so that every bound is put
// to work on small boards too.
struct LQGateGridSettings {
    int nSearchesBefore = 16;  // searches of a group that measure every partner first
    int nMinGates = 64;        // smaller groups measure every partner
    // A gate is cheaper to pass over than a cell to bound, most so where gates' nets span the
    // board and many cells stay in reach.
    double gatesPerCell = 16;
    int nBlockSide = 4;        // cells, or blocks, to a block along each side
    // Tests: each search from a block first checks every cap it may read against what the gates
    // under it reach now (a measure of the whole grid), counting in LQTheCapChecks: a cap too low
    // passes over partners only on the rare board where one of them would have won.
    bool bCheckCaps = false;
};
const LQGateGridSettings& LQGetGateGridSettings();
void LQSetGateGridSettings(const LQGateGridSettings& settings);
struct LQCapChecks {
    std::uint64_t nHeld = 0, nBroken = 0;
};
LQCapChecks& LQTheCapChecks();
