// The exchange model of a group of gates: what the gate items would measure, read from an index
// of the nets their pins are on (GateExchange.cpp), and, in large groups, the search for a
// partner cell by cell of a grid (GateCells.cpp).
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "module/autoswap/ColumnBoxes.h"
#include "module/autoswap/ExchangeSearch.h"
#include "module/autoswap/GateGrid.h"
#include "module/autoswap/GatePoints.h"
#include "module/autoswap/NetIndex.h"
#include "module/autoswap/PointSets.h"

class CGate;
class CLayoutPin;

class CGateModel : public CExchangeModel {
public:
    explicit CGateModel(const std::vector<CSwapItem*>& items) : m_items(items) {}

    bool Init();
    void FindPartner(std::int32_t i, CExchangeChoice& choice) override;
    void Exchanged(std::int32_t i, std::int32_t p) override;

private:
    struct Span {
        std::int32_t first = 0, size = 0;
    };
    struct GateData {
        bool bReal = false;
        std::int8_t onCopper = -1;  // whether a pin is on copper; -1 until asked
        std::int32_t kind = 0;
        Span groups;  // into m_groups
        Span slots;   // the gate's pins, in order, as index slots
        std::int64_t self = 0;
        std::uint64_t selfStamp = 0;  // 0 until measured
        std::uint64_t moved = 0;      // when its pins last changed nets
    };
    using Match = std::vector<std::pair<std::int32_t, std::int32_t>>;  // (row gate's group, column gate's group)

    // What an exchange must reach to beat the best so far, for the bounds.
    static double Need(const CExchangeChoice& best) { return best.partner < 0 ? 1.0 : static_cast<double>(best.gain); }
    std::int32_t KindOf(std::int32_t g);
    const Match& MatchOf(std::int32_t rowKind, std::int32_t colKind);
    std::int64_t Self(std::int32_t g);
    // Whether what was measured of these slots of the gate at stamp (0: never) still holds: none
    // of the gate's pins moved since, nor did any pin come to or leave their nets.
    bool IsCurrent(const GateData& data, const std::int32_t* slots, std::int32_t nSlots, std::uint64_t stamp) const;
    // What the row gate's item measures against the column gate's item; its part from one pair
    // of matched groups.
    std::int64_t Distance(std::int32_t r, std::int32_t c);
    std::int64_t GroupDistance(std::int32_t r, std::int32_t c, std::int32_t a, std::int32_t b);
    // The pin distances of that pair of groups, row by row, into m_cost; answers how many rows
    // and columns.
    std::pair<std::int32_t, std::int32_t> GroupCosts(std::int32_t r, std::int32_t c, std::int32_t a, std::int32_t b);
    // The connection data that the row gate's item would make against the column gate's: the
    // same pairings, their pins' distances read from the index instead of the host's nets.
    CObject** PairingData(std::int32_t r, std::int32_t c);
    // Takes j as i's partner if the exchange applies whole, checked on the model's own pairings
    // (LQTakePartnerIf).
    void Take(std::int32_t i, std::int32_t j, LQGain gain, CExchangeChoice& choice);
    // What that check reads of a gate and no exchange changes, asked of the host once: whether a
    // pin is on copper, and which pins leave their nets (LQLeavesOnUnConnect).
    bool IsOnCopper(std::int32_t g);
    void LeavingPins(std::int32_t g, std::vector<CLayoutPin*>& pins);
    // Measures j as i's partner and notes it if it beats the best so far (when eager: takes it
    // if the exchange applies whole). ownAtMost bounds dii less what j would measure
    // against i's pins' nets, with the bounds' margin.
    void Consider(std::int32_t i, std::int32_t j, std::int64_t dii, CExchangeChoice& best, double ownAtMost = HUGE_VAL);
    // The best partner by the model's measure alone, leaving out those found unusable.
    void FindBest(std::int32_t i, std::int64_t dii, CExchangeChoice& best);
    void FindBestInCells(std::int32_t i, std::int64_t dii, CExchangeChoice& best);
    // Notes the first-level blocks within a block (of the level given) that may hold a partner
    // whose gain reaches need: room is what the gate's side may reach less the distance to its
    // targets, outer the room over the enclosing block.
    void CollectCells(std::size_t level, std::int32_t block, double outer, double room, double need);
    // Notes those cells of a first-level block that may hold such a partner; own is the room over
    // the block.
    void BoundCells(std::int32_t block, double own, double room, double need);
    void PrepareCells();
    // The least that j, in a place within the box, would measure against i's pins' nets (the
    // targets gathered for i), less what rounding may take off.
    double TargetsBound(const CLQBox& box) const;
    // What a search reads of a gate as a partner, in the grid's order (OrderOf): a search reads
    // the gates of a cell together, and on a large board reading them costs more than bounding.
    // (Its present length, as the bounds take it, is kept with its columns' boxes.)
    struct SearchGate {
        CLQBox box;
        std::int32_t gate = -1;
        std::uint32_t related = 0;  // m_relatedStamp while on a gathered net of the gate searched for
    };
    SearchGate& SearchOf(std::int32_t g) { return m_search[static_cast<std::size_t>(m_grid.OrderOf(g))]; }
    const SearchGate& SearchOf(std::int32_t g) const { return m_search[static_cast<std::size_t>(m_grid.OrderOf(g))]; }
    // The most that the side of the partner at the place may reach in an exchange with a gate
    // in the box, from its nets' pins: its present length less the least such a gate, unrelated
    // to it, would measure against them, less what rounding may take off.
    double PinsSideFrom(std::int32_t place, const CLQBox& box) const
    {
        return m_columnBoxes.LongestOf(place) - m_columnPoints.BoundFrom(place, box);
    }
    // A present length as the bounds take it, raised by what its conversion to double may have
    // taken off (a gate's is kept in m_columnBoxes, which Exchanged keeps up to date).
    static double Upper(std::int64_t length) { return static_cast<double>(length) * (1 + 1e-9); }
    // The most that the side of the gate at the place (in the grid's order) may reach in an
    // exchange with a gate in the box, from its nets' pins; where their boxes already keep it at
    // or below atMost (byBoxes, from m_columnBoxes), from the boxes.
    double PartnerSideFrom(std::int32_t place, double byBoxes, const CLQBox& from, double atMost) const;
    // The most that any gate's side of the cell may reach with the searching gate.
    double CellPartnerCap(std::int32_t cell);
    double MeasureCellCap(std::int32_t cell);  // when the kept cap no longer holds
    // Keeps the grid's present length and the boxes of the column nets of a gate up to date, and
    // logs the gate for the kept blocks' caps.
    void RefreshGate(std::int32_t g);
    // Gathers the targets of i's column nets and marks the gates on any small net of i.
    void GatherTargets(std::int32_t i);
    // Per small net of a matched column pin of g, the pins its measurement reads there; ends
    // receives where each net's points end.
    void ColumnTargets(std::int32_t g, std::vector<std::pair<std::int32_t, std::int32_t>>& points,
                       std::vector<std::size_t>& ends) const;
    void ScratchColumnTargets(std::int32_t g);  // into m_scratchTargets and m_scratchEnds

    // Nets of more pins than this are not gathered as targets (supply nets, mostly): they bound
    // nothing near any place and would cost a pass over them per cell.
    static constexpr std::size_t kMaxTargetNet = 32;

    const std::vector<CSwapItem*>& m_items;
    std::vector<CGate*> m_pGates;
    std::vector<GateData> m_gates;
    std::vector<Span> m_groups;            // members into m_members
    std::vector<std::int32_t> m_members;   // index slots
    std::vector<std::int32_t> m_slots;     // every gate's pins
    // Per slot: whether the gate's UnConnect takes the pin off its net; -1 until asked.
    std::vector<std::int8_t> m_slotLeaves;
    std::vector<CLayoutPin*> m_leavingI, m_leavingJ;
    std::vector<std::int32_t> m_kindGate;  // a gate of each kind
    std::unordered_map<std::string, std::int32_t> m_kinds;
    std::unordered_map<std::uint64_t, Match> m_matches;
    std::pair<std::uint64_t, const Match*> m_recentMatches[2] = {};
    std::vector<std::int64_t> m_cost;
    // Per group, its part of its gate's present length, measured at stamp (0: not yet).
    struct GroupSelf {
        std::int64_t total = 0;
        std::uint64_t stamp = 0;
    };
    std::vector<GroupSelf> m_groupSelf;
    std::vector<std::int32_t> m_moved;
    // Partners of the gate searched for whose exchange could not be applied whole.
    std::vector<std::uint32_t> m_unusable;
    std::uint32_t m_unusableStamp = 0;
    bool m_bEager = false;  // whether Consider takes partners as they are met
    CNetIndex m_index;

    // Passing over cells (one kind of gate only): each gate's box, the grid, the gates sharing
    // a gathered net with the gate searched for, and the nets' pins it would be measured against.
    bool m_bCells = false;
    std::int32_t m_nSearches = 0;
    std::vector<std::vector<char>> m_matchedCol;  // per kind, per group: matched as a column group
    std::vector<SearchGate> m_search;
    // Per gate, the boxes of what its column nets' measurements read, and their points.
    CLQColumnBoxes m_columnBoxes;
    CLQGatePoints m_columnPoints;
    std::vector<CLQBox> m_scratchBoxes;
    std::vector<double> m_sides;  // the boxes' sides of a cell's gates (SidesFrom)
    double m_pinSpread = 0;       // the most that two pins of one gate lie apart
    CGateGrid m_grid;
    std::uint32_t m_relatedStamp = 0;
    std::vector<std::int32_t> m_relatedList;
    CLQPointSets<LQLanes> m_targets;
    // What ColumnTargets gathers, before it is kept as point sets.
    std::vector<std::pair<std::int32_t, std::int32_t>> m_scratchTargets;
    std::vector<std::size_t> m_scratchEnds;
    struct CellBound {
        double quick, own;
        std::int32_t cell;  // ~block for a first-level block whose cells are yet to be bounded
        struct Below {
            bool operator()(const CellBound& a, const CellBound& b) const { return a.quick < b.quick; }
        };
    };
    std::vector<CellBound> m_cellOrder;  // a heap, the greatest quick bound first
    void PushBound(const CellBound& bound);
    // Per cell and per kept block, the most that any of the cell's gates' side of an exchange may
    // reach with a gate of the block, and the gate that reaches it; brought up to date with the
    // gates changed since whenever a search comes back to the block. Searches in the items' order
    // come back to a block after a few others (along a row of the board), so the caps of the
    // blocks searched from most recently are kept together.
    struct PartnerCap {
        double cap = 0;
        std::uint64_t round = 0;  // holds while equal to its block's round
        std::int32_t place = -1;  // of the gate that reaches it, in the grid's order
    };
    struct CapBlock {
        std::int32_t block = -1;
        std::uint64_t round = 0, used = 0;  // from m_capClock, each round once
        std::uint64_t mended = 0;           // the changes of m_changeLog its caps have taken in
    };
    std::vector<PartnerCap> m_partnerCaps;  // per kept block, cell by cell (a search reads one block's)
    std::vector<CapBlock> m_capBlocks;
    std::uint64_t m_capClock = 0;
    std::int32_t m_searchSlot = -1;  // the kept block of the gate searched for, -1 for none
    PartnerCap& CapOf(std::int32_t cell, std::size_t slot)
    {
        return m_partnerCaps[slot * m_grid.Cells().size() + static_cast<std::size_t>(cell)];
    }
    // Per first-level block and kept block, the largest of its cells' caps, so that a search
    // passes over a block whose cells the caps would all pass over. It holds while its round is
    // the kept block's: every cell's cap it was taken from held then, and any change to one since
    // started it again.
    struct BlockCap {
        double cap = 0;
        std::uint64_t round = 0;
    };
    std::vector<BlockCap> m_blockCaps;
    BlockCap& BlockCapOf(std::int32_t block, std::size_t slot)
    {
        return m_blockCaps[slot * m_grid.Levels()[0].size() + static_cast<std::size_t>(block)];
    }
    double BlockPartnerCap(std::int32_t block);
    // Makes the block the one searched from, keeping its caps in place of the least recently
    // searched block's.
    void SearchFrom(std::int32_t block);
    void CheckCaps();  // LQGateGridSettings::bCheckCaps
    // Gates changed since PrepareCells, in order: a kept block's caps take them in only when a
    // search comes back to it, so that the blocks no search comes back to cost nothing.
    // Each change by the gate's place and cell, so that taking it in reads no record of the gate
    // but its cap's and, where that holds, its present length: on large boards these lie beyond
    // the nearer caches, and a catch-up takes in thousands.
    struct Change {
        std::int32_t place, cell;
    };
    std::vector<Change> m_changeLog;
    std::uint64_t m_changeLogStart = 0;  // the position of its first entry
    std::vector<std::uint32_t> m_mendStamp;  // per place, so that each is taken in once per catch-up
    std::uint32_t m_mendClock = 0;
    void CatchUp(std::size_t slot);
    void MendCap(const Change& change, PartnerCap& kept, std::size_t slot);
    std::vector<std::int32_t> m_changedNets;
    std::vector<std::int32_t> m_changedGates;
};
