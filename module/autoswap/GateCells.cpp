#include <algorithm>
#include <cmath>
#include <utility>

#include "module/autoswap/GateExchange.h"
#include "module/autoswap/GateModel.h"

// A bound on what an exchange can gain that holds for whole cells of partners (FindBestInCells),
// from the column groups that every partner's matching takes.
void CGateModel::PrepareCells()
{
    const LQGateGridSettings& settings = LQGetGateGridSettings();
    if (m_gates.size() < static_cast<std::size_t>(std::max(settings.nMinGates, 2)) || m_kinds.size() > 16)
        return;
    // A column group counts for a kind where every kind of as many groups matches it.
    const auto nKinds = static_cast<std::int32_t>(m_kinds.size());
    m_matchedCol.assign(static_cast<std::size_t>(nKinds), {});
    for (std::int32_t kc = 0; kc < nKinds; ++kc) {
        const GateData& col = m_gates[static_cast<std::size_t>(m_kindGate[static_cast<std::size_t>(kc)])];
        std::vector<char> counted(static_cast<std::size_t>(col.groups.size), 1);
        for (std::int32_t kr = 0; kr < nKinds; ++kr) {
            const GateData& row = m_gates[static_cast<std::size_t>(m_kindGate[static_cast<std::size_t>(kr)])];
            if (row.groups.size != col.groups.size)
                continue;
            std::vector<char> matched(counted.size(), 0);
            for (const auto& [a, b] : MatchOf(kr, kc))
                matched[static_cast<std::size_t>(b)] = 1;
            for (std::size_t b = 0; b < counted.size(); ++b)
                counted[b] = static_cast<char>(counted[b] & matched[b]);
        }
        m_matchedCol[static_cast<std::size_t>(kc)] = std::move(counted);
    }
    std::vector<CLQBox> boxes(m_gates.size());
    for (std::size_t g = 0; g < m_gates.size(); ++g)
        for (std::int32_t k = 0; k < m_gates[g].slots.size; ++k) {
            const std::int32_t slot = m_slots[static_cast<std::size_t>(m_gates[g].slots.first + k)];
            boxes[g].Add(m_index.X(slot), m_index.Y(slot));
        }
    m_grid.Build(boxes, settings.gatesPerCell, settings.nBlockSide);
    m_pinSpread = 0;
    for (const CLQBox& b : boxes)
        if (!b.IsEmpty())
            m_pinSpread = std::max(m_pinSpread, std::hypot(b.x1 - b.x0, b.y1 - b.y0));
    m_pinSpread = m_pinSpread * (1 + 1e-9) + 1.0;  // with what rounding may take off
    m_search.assign(m_gates.size(), SearchGate{});
    for (std::size_t g = 0; g < m_gates.size(); ++g) {
        SearchOf(static_cast<std::int32_t>(g)).box = boxes[g];
        SearchOf(static_cast<std::int32_t>(g)).gate = static_cast<std::int32_t>(g);
    }
    // Enough blocks for a search to come back along a row of them (about twice the blocks on a
    // side), within a cost per gate change that stays small.
    const std::size_t nBlocks = m_grid.Levels().empty() ? 0 : m_grid.Levels()[0].size();
    m_capBlocks.assign(
        static_cast<std::size_t>(std::clamp(2.0 * std::ceil(std::sqrt(static_cast<double>(nBlocks))), 1.0, 16.0)),
        CapBlock{});
    for (CapBlock& kept : m_capBlocks)
        kept.round = ++m_capClock;
    m_partnerCaps.assign(m_grid.Cells().size() * m_capBlocks.size(), PartnerCap{});
    m_blockCaps.assign(nBlocks * m_capBlocks.size(), BlockCap{});
    // A box for every matched column pin, in the grid's order, so that a search reads each
    // cell's gates together. A kind fixes its groups' sizes, so one gate of each tells the room.
    std::int32_t nMostRoom = 0;
    for (const std::int32_t g : m_kindGate) {
        const GateData& data = m_gates[static_cast<std::size_t>(g)];
        std::int32_t nRoom = 0;
        for (std::int32_t k = 0; k < data.groups.size; ++k)
            if (m_matchedCol[static_cast<std::size_t>(data.kind)][static_cast<std::size_t>(k)] != 0)
                nRoom += m_groups[static_cast<std::size_t>(data.groups.first + k)].size;
        nMostRoom = std::max(nMostRoom, nRoom);
    }
    m_columnBoxes.Assign(m_search.size(), nMostRoom);
    m_scratchBoxes.resize(static_cast<std::size_t>(nMostRoom));
    std::size_t nMostMembers = 0;
    for (const CGateGrid::Cell& cell : m_grid.Cells())
        nMostMembers = std::max(nMostMembers, static_cast<std::size_t>(cell.count));
    m_sides.resize(nMostMembers + 2);
    m_columnPoints.Assign(m_search.size());
    for (std::size_t g = 0; g < m_gates.size(); ++g)
        RefreshGate(static_cast<std::int32_t>(g));
    m_changeLog.clear();  // no cap has been measured yet
    m_mendStamp.assign(m_gates.size(), 0);
    m_bCells = true;
}

void CGateModel::RefreshGate(std::int32_t g)
{
    const std::int64_t self = Self(g);
    const std::int32_t place = m_grid.OrderOf(g);
    ScratchColumnTargets(g);
    CLQBox* boxes = m_scratchBoxes.data();
    std::size_t begin = 0;
    for (std::size_t k = 0; k < m_scratchEnds.size(); begin = m_scratchEnds[k++]) {
        boxes[k] = CLQBox{};
        for (std::size_t e = begin; e < m_scratchEnds[k]; ++e)
            boxes[k].Add(m_scratchTargets[e].first, m_scratchTargets[e].second);
    }
    m_columnPoints.Set(place, m_scratchTargets, m_scratchEnds);
    const bool bMeasured = LQIsMeasured(self);
    const double longest = Upper(bMeasured ? self : -1);
    double apart[3];
    std::size_t nPaired = 0;
    const double apartBound = LQSetsApart(m_scratchTargets, m_scratchEnds, m_pinSpread, apart, 3, nPaired);
    const double reach = bMeasured ? std::min(longest, longest - apartBound) : longest;
    m_columnPoints.SetApart(place, apart, nPaired);
    m_columnBoxes.Set(place, longest, reach, boxes, static_cast<std::int32_t>(m_scratchEnds.size()));
    // Wherever the searching gate lies, its pins are not near two of this gate's nets that lie far
    // apart: its side reaches at most that much less than its present length. The grid orders and
    // bounds cells by it.
    std::int64_t gridValue = -1;
    if (bMeasured)
        gridValue = reach >= static_cast<double>(self) ? self
                                                        : std::max<std::int64_t>(0, static_cast<std::int64_t>(std::ceil(reach)));
    m_grid.SetReach(g, gridValue);
    if (m_grid.CellOf(g) < 0)
        return;
    m_changeLog.push_back(Change{place, m_grid.CellOf(g)});
    // The log keeps about as many changes as there are gates: a block that missed more is as
    // cheap to measure again.
    if (m_changeLog.size() > 2 * m_gates.size()) {
        const std::size_t drop = m_changeLog.size() - m_gates.size();
        m_changeLog.erase(m_changeLog.begin(), m_changeLog.begin() + static_cast<std::ptrdiff_t>(drop));
        m_changeLogStart += drop;
    }
}

void CGateModel::MendCap(const Change& change, PartnerCap& kept, std::size_t slot)
{
    // A gate no longer than the cap cannot raise it (no side exceeds the present length), and
    // only the gate that reaches it can lower it.
    if (kept.place != change.place && m_columnBoxes.ReachOf(change.place) <= kept.cap)
        return;
    const CLQBox& from = m_grid.Levels()[0][static_cast<std::size_t>(m_capBlocks[slot].block)].box;
    const double side =
        PartnerSideFrom(change.place, m_columnBoxes.SideFrom(change.place, from), from, kept.cap);
    if (side >= kept.cap)
        kept = PartnerCap{side, kept.round, change.place};
    else if (kept.place == change.place)
        kept.round = 0;  // another gate may reach more now
    else
        return;
    BlockCapOf(m_grid.BlockOf(change.cell), slot).round = 0;
}

// Every gate changed since the block's caps last took changes in, each once with what it is now:
// the caps of the others still hold. (A cap not measured in this round has nothing to mend.)
void CGateModel::CatchUp(std::size_t slot)
{
    CapBlock& kept = m_capBlocks[slot];
    const std::uint64_t end = m_changeLogStart + m_changeLog.size();
    if (kept.mended < m_changeLogStart) {
        kept.round = ++m_capClock;  // the changes it missed are gone: its caps are measured again
    } else if (kept.mended < end) {
        if (++m_mendClock == 0) {
            std::fill(m_mendStamp.begin(), m_mendStamp.end(), 0);
            m_mendClock = 1;
        }
        for (std::uint64_t k = kept.mended; k < end; ++k) {
            const Change& change = m_changeLog[static_cast<std::size_t>(k - m_changeLogStart)];
            PartnerCap& cap = CapOf(change.cell, slot);
            if (cap.round != kept.round)
                continue;
            std::uint32_t& stamp = m_mendStamp[static_cast<std::size_t>(change.place)];
            if (stamp == m_mendClock)
                continue;
            stamp = m_mendClock;
            MendCap(change, cap, slot);
        }
    }
    kept.mended = end;
}

void CGateModel::ColumnTargets(std::int32_t g, std::vector<std::pair<std::int32_t, std::int32_t>>& points,
                               std::vector<std::size_t>& ends) const
{
    const GateData& data = m_gates[static_cast<std::size_t>(g)];
    for (std::int32_t k = 0; k < data.groups.size; ++k) {
        if (m_matchedCol[static_cast<std::size_t>(data.kind)][static_cast<std::size_t>(k)] == 0)
            continue;
        const Span members = m_groups[static_cast<std::size_t>(data.groups.first + k)];
        for (std::int32_t x = 0; x < members.size; ++x) {
            const std::int32_t net = m_index.NetOf(m_members[static_cast<std::size_t>(members.first + x)]);
            if (net < 0 || m_index.PinsOf(net).size() > kMaxTargetNet)
                continue;
            // The rest of the net beyond g, or g's own pins on it when there is none.
            bool bForeign = false;
            for (const CNetIndex::Pin& p : m_index.PinsOf(net))
                bForeign = bForeign || p.owner != g;
            for (const CNetIndex::Pin& p : m_index.PinsOf(net))
                if ((p.owner != g) == bForeign)
                    points.emplace_back(p.x, p.y);
            ends.push_back(points.size());
        }
    }
}

void CGateModel::ScratchColumnTargets(std::int32_t g)
{
    m_scratchTargets.clear();
    m_scratchEnds.clear();
    ColumnTargets(g, m_scratchTargets, m_scratchEnds);
}

double CGateModel::TargetsBound(const CLQBox& box) const
{
    return m_targets.ApartBoundFrom(box);
}

// The most that j's side of an exchange may reach with a gate in the box: j's present length less
// the least any such gate measures against j's nets' pins (-HUGE_VAL if j measures nothing).
// Where the nets' boxes already keep it to at most the given value, that is answered: the pins
// cannot raise it.
double CGateModel::PartnerSideFrom(std::int32_t place, double byBoxes, const CLQBox& from, double atMost) const
{
    if (m_columnBoxes.LongestOf(place) < 0)  // not measured
        return -HUGE_VAL;
    const double reach = m_columnBoxes.ReachOf(place);
    if (const double side = std::min(byBoxes, reach); side <= atMost)
        return side;
    return std::min(m_columnBoxes.LongestOf(place) - m_columnPoints.ApartBoundFrom(place, from), reach);
}

// The searching gate lies in its block's box, so it measures the nets of a cell's gates from no
// nearer than the box; a cap serves every search from the same block. (Inlined for the cap kept,
// which almost every cell a search bounds finds.)
[[gnu::always_inline]] inline double CGateModel::CellPartnerCap(std::int32_t cell)
{
    const PartnerCap& kept = CapOf(cell, static_cast<std::size_t>(m_searchSlot));
    return kept.round == m_capBlocks[static_cast<std::size_t>(m_searchSlot)].round ? kept.cap : MeasureCellCap(cell);
}

double CGateModel::MeasureCellCap(std::int32_t cell)
{
    const CapBlock& from = m_capBlocks[static_cast<std::size_t>(m_searchSlot)];
    PartnerCap& kept = CapOf(cell, static_cast<std::size_t>(m_searchSlot));
    kept = PartnerCap{-HUGE_VAL, from.round, -1};
    const CGateGrid::Cell& c = m_grid.Cells()[static_cast<std::size_t>(cell)];
    const CLQBox& box = m_grid.Levels()[0][static_cast<std::size_t>(from.block)].box;
    m_columnBoxes.SidesFrom(c.first, c.count, box, m_sides.data());
    // The greatest side by the boxes first, its pins read only while it could raise the cap: the
    // cap is the greatest side by the pins, and the first taken most often leaves none after it
    // (the boxes' side is never below the pins').
    double* sides = m_sides.data() + (c.first & 1);
    for (std::int32_t k = 0; k < c.count; ++k)
        sides[k] = std::min(sides[k], m_columnBoxes.ReachOf(c.first + k));
    for (;;) {
        std::int32_t next = -1;
        double most = kept.cap;
        for (std::int32_t k = 0; k < c.count; ++k)
            if (sides[k] > most) {
                most = sides[k];
                next = k;
            }
        if (next < 0)
            break;
        sides[next] = -HUGE_VAL;
        const std::int32_t at = c.first + next;
        if (const double side = PartnerSideFrom(at, most, box, kept.cap); side > kept.cap)
            kept = PartnerCap{side, from.round, at};
    }
    return kept.cap;
}

double CGateModel::BlockPartnerCap(std::int32_t block)
{
    const std::uint64_t round = m_capBlocks[static_cast<std::size_t>(m_searchSlot)].round;
    BlockCap& kept = BlockCapOf(block, static_cast<std::size_t>(m_searchSlot));
    if (kept.round != round) {
        double cap = -HUGE_VAL;
        for (std::int32_t c : m_grid.Levels()[0][static_cast<std::size_t>(block)].children)
            cap = std::max(cap, CellPartnerCap(c));
        kept = BlockCap{cap, round};
    }
    return kept.cap;
}

void CGateModel::SearchFrom(std::int32_t block)
{
    m_searchSlot = -1;
    if (block < 0)
        return;
    std::size_t slot = 0;
    for (std::size_t k = 0; k < m_capBlocks.size(); ++k) {
        if (m_capBlocks[k].block == block) {
            slot = k;
            break;
        }
        if (m_capBlocks[k].used < m_capBlocks[slot].used)
            slot = k;
    }
    CapBlock& kept = m_capBlocks[slot];
    if (kept.block != block)  // the caps of the block it kept no longer hold
        kept = CapBlock{block, ++m_capClock, 0, m_changeLogStart + m_changeLog.size()};
    CatchUp(slot);
    kept.used = ++m_capClock;
    m_searchSlot = static_cast<std::int32_t>(slot);
}

// Every cap of the block searched from that holds by its round must be at least what any gate
// under it reaches from the block's box by its nets' pins.
void CGateModel::CheckCaps()
{
    if (m_searchSlot < 0)
        return;
    const auto slot = static_cast<std::size_t>(m_searchSlot);
    const std::uint64_t round = m_capBlocks[slot].round;
    const auto& blocks = m_grid.Levels()[0];
    const CLQBox& from = blocks[static_cast<std::size_t>(m_capBlocks[slot].block)].box;
    LQCapChecks& checks = LQTheCapChecks();
    auto count = [&checks](double kept, double most) { ++(kept >= most ? checks.nHeld : checks.nBroken); };
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        double blockMost = -HUGE_VAL;
        for (const std::int32_t c : blocks[b].children) {
            const CGateGrid::Cell& cell = m_grid.Cells()[static_cast<std::size_t>(c)];
            double most = -HUGE_VAL;
            for (std::int32_t at = cell.first; at < cell.first + cell.count; ++at)
                most = std::max(most, PartnerSideFrom(at, HUGE_VAL, from, -HUGE_VAL));
            blockMost = std::max(blockMost, most);
            if (const PartnerCap& kept = CapOf(c, slot); kept.round == round)
                count(kept.cap, most);
        }
        if (const BlockCap& kept = BlockCapOf(static_cast<std::int32_t>(b), slot); kept.round == round)
            count(kept.cap, blockMost);
    }
}

void CGateModel::GatherTargets(std::int32_t i)
{
    const GateData& gi = m_gates[static_cast<std::size_t>(i)];
    m_relatedList.clear();
    if (++m_relatedStamp == 0) {
        for (SearchGate& gate : m_search)
            gate.related = 0;
        m_relatedStamp = 1;
    }
    for (std::int32_t k = 0; k < gi.slots.size; ++k) {
        const std::int32_t net = m_index.NetOf(m_slots[static_cast<std::size_t>(gi.slots.first + k)]);
        if (net < 0 || m_index.PinsOf(net).size() > kMaxTargetNet)
            continue;
        for (const CNetIndex::Pin& p : m_index.PinsOf(net))
            if (p.owner >= 0 && p.owner != i && SearchOf(p.owner).related != m_relatedStamp) {
                SearchOf(p.owner).related = m_relatedStamp;
                m_relatedList.push_back(p.owner);
            }
    }
    ScratchColumnTargets(i);
    m_targets.Assign(m_scratchTargets, m_scratchEnds);
    // The same sets as the gate's column points, whose distances apart its last change measured.
    const double* apart = nullptr;
    const std::size_t nSets = m_columnPoints.ApartOf(m_grid.OrderOf(i), apart);
    m_targets.SetApart(apart, nSets);
}

// The partner is the measured one of greatest gain (the lowest index among equal gains) whose
// exchange can be applied, whatever order partners are measured in; so partners may be measured
// best bound first and passed over when their bound cannot beat the choice so far.
//
// The bound: a partner j unrelated to i by the gathered nets (no pin of j on one of them) measures
// against each gathered net of i's column pins at least the distance from j's box to the pins the
// measurement reads on that net (the rest of the net beyond i, or i's own pins on it), since each
// column takes a row of j; so gain = dii + djj - dij - dji <= dii + djj - TargetsBound(box of j),
// and over a cell, with its box; likewise dij is at least what i's box is from the pins j's
// columns read (m_columnBoxes). Partners on a small net of i are measured without bound.
void CGateModel::CollectCells(std::size_t level, std::int32_t block, double outer, double room, double need)
{
    const CGateGrid::Block& b = m_grid.Levels()[level][static_cast<std::size_t>(block)];
    // A block is no nearer to the targets than the block that holds it.
    if (b.maxReach < 0 || outer + Upper(b.maxReach) < need)
        return;
    // A first-level block whose kept cap passes it over with the room of the block that holds
    // it needs no room of its own.
    if (level == 0 && m_searchSlot >= 0) {
        const BlockCap& kept = BlockCapOf(block, static_cast<std::size_t>(m_searchSlot));
        if (kept.round == m_capBlocks[static_cast<std::size_t>(m_searchSlot)].round && outer + kept.cap < need)
            return;
    }
    const double own = room - TargetsBound(b.box);
    if (own + Upper(b.maxReach) < need)
        return;
    if (level > 0) {
        for (std::int32_t child : b.children)
            CollectCells(level - 1, child, own, room, need);
        return;
    }
    // Its cells are bounded only if the search reaches it, with what the search needs by then.
    const double quick = own + (m_searchSlot >= 0 ? BlockPartnerCap(block) : Upper(b.maxReach));
    if (quick >= need)
        PushBound(CellBound{quick, own, ~block});
}

void CGateModel::BoundCells(std::int32_t block, double own, double room, double need)
{
    const auto& cells = m_grid.Cells();
    for (std::int32_t c : m_grid.Levels()[0][static_cast<std::size_t>(block)].children) {
        const auto uc = static_cast<std::size_t>(c);
        if (cells[uc].maxReach < 0 || own + Upper(cells[uc].maxReach) < need)
            continue;
        // (The cap is at most the largest reach.)
        const double side = m_searchSlot < 0 ? Upper(cells[uc].maxReach) : CellPartnerCap(c);
        if (own + side < need)
            continue;
        const double cellOwn = room - TargetsBound(cells[uc].box);
        const double quick = cellOwn + side;
        if (quick >= need)
            PushBound(CellBound{quick, cellOwn, c});
    }
}

void CGateModel::PushBound(const CellBound& bound)
{
    m_cellOrder.push_back(bound);
    std::push_heap(m_cellOrder.begin(), m_cellOrder.end(), CellBound::Below{});
}

void CGateModel::FindBestInCells(std::int32_t i, std::int64_t dii, CExchangeChoice& best)
{
    GatherTargets(i);
    SearchFrom(m_grid.CellOf(i) < 0 ? -1 : m_grid.BlockOf(m_grid.CellOf(i)));
    if (LQGetGateGridSettings().bCheckCaps) [[unlikely]]
        CheckCaps();
    // What an exchange must reach to be chosen; bounds carry a margin for their rounding.
    // (Kept as a double, and renewed whenever a partner is measured.)
    double need = Need(best);
    auto beats = [&need](double bound) { return bound >= need; };
    auto consider = [&](std::int32_t j, double own) {
        Consider(i, j, dii, best, own);
        need = Need(best);
    };
    const double margin = 4.0 + 1e-9 * static_cast<double>(dii);
    const double room = static_cast<double>(dii) + margin;
    const CLQBox boxI = SearchOf(i).box;
    // Gates on i's nets first: they are the likeliest partners. The bounds hold for them too, if
    // more loosely: the nets they share with i reach into both gates' boxes. Each is bounded by the
    // partner's side from its nets' boxes, then with the gate's own side, then from the nets' pins.
    for (std::int32_t j : m_relatedList) {
        const std::int32_t place = m_grid.OrderOf(j);
        double own = HUGE_VAL;
        if (m_columnBoxes.LongestOf(place) < 0) {
            consider(j, own);
            continue;
        }
        const double side = m_columnBoxes.SideFrom(place, boxI);
        own = room - m_targets.BoundFrom(m_search[static_cast<std::size_t>(place)].box);
        if (beats(own + side) && beats(own + PinsSideFrom(place, boxI)))
            consider(j, own);
    }
    // Cells in the order of a quick bound (their cap for the partner's side), each measured more
    // closely only when it is reached; blocks of cells, and blocks of those, are passed over
    // whole by the same bound over their boxes, and a first-level block's cells are bounded only
    // when its own bound is reached.
    m_cellOrder.clear();
    const auto& levels = m_grid.Levels();
    for (std::size_t b = 0; !levels.empty() && b < levels.back().size(); ++b)
        CollectCells(levels.size() - 1, static_cast<std::int32_t>(b), HUGE_VAL, room, need);
    const auto& cells = m_grid.Cells();
    while (!m_cellOrder.empty()) {
        std::pop_heap(m_cellOrder.begin(), m_cellOrder.end(), CellBound::Below{});
        const CellBound cell = m_cellOrder.back();
        m_cellOrder.pop_back();
        if (!beats(cell.quick))
            break;
        if (cell.cell < 0) {
            BoundCells(~cell.cell, cell.own, room, need);
            continue;
        }
        // The partners' sides by their nets' boxes, the cell's gates two at a time.
        const CGateGrid::Cell& c = cells[static_cast<std::size_t>(cell.cell)];
        m_columnBoxes.SidesFrom(c.first, c.count, boxI, m_sides.data());
        const std::int32_t base = c.first & ~1;
        // The gates come greatest reach first, and no partner's side exceeds its reach: once one
        // is too short to reach what the cell needs, all after it are.
        // A gate's record is read only where its nets let it through.
        for (std::int32_t at : m_grid.Members(c)) {
            if (!beats(cell.own + Upper(m_grid.ReachAt(at))))
                break;
            const double longest = m_columnBoxes.LongestOf(at);
            const double reach = m_columnBoxes.ReachOf(at);
            if (longest < 0 || !beats(cell.own + std::min(m_sides[static_cast<std::size_t>(at - base)], reach)))
                continue;
            // The partner's side from its nets' pins before the gate's own side from its box:
            // where nets span the board, the pins pass over more gates with the cell's own side
            // than the box does with the pins' help.
            const double side = std::min(PinsSideFrom(at, boxI), reach);
            if (!beats(cell.own + side))
                continue;
            const SearchGate& partner = m_search[static_cast<std::size_t>(at)];
            if (partner.gate == i || partner.related == m_relatedStamp)
                continue;
            const double own = room - m_targets.BoundFrom(partner.box);
            if (beats(own + side))
                consider(partner.gate, own);
        }
    }
}
