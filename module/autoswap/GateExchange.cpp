#include "module/autoswap/GateExchange.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <unordered_map>

#include "host/AttributeNames.h"
#include "module/autoswap/AutoSwapD.h"
#include "module/autoswap/GateGrid.h"
#include "module/autoswap/NetIndex.h"
#include "module/autoswap/PairingTotal.h"
#include "module/gates/Gate.h"
#include "module/swap/SwapItemGate.h"
#include "module/swap/SwapItemPin.h"

namespace {
constexpr std::int64_t kNone = INT64_MAX;

struct Span {
    std::int32_t first = 0, size = 0;
};

struct GateData {
    bool bReal = false;
    std::int32_t kind = 0;
    Span groups;  // into m_groups
    Span slots;   // the gate's pins, in order, as index slots
    std::int64_t self = 0;
    std::uint64_t selfStamp = 0;  // 0 until measured
    std::uint64_t moved = 0;      // when its pins last changed nets
};

class CGateModel : public CExchangeModel {
public:
    explicit CGateModel(const std::vector<CSwapItem*>& items) : m_items(items) {}

    bool Init();
    void FindPartner(std::int32_t i, CExchangeChoice& choice) override;
    void Exchanged(std::int32_t i, std::int32_t p) override;

private:
    using Match = std::vector<std::pair<std::int32_t, std::int32_t>>;  // (row gate's group, column gate's group)

    std::int32_t KindOf(std::int32_t g);
    const Match& MatchOf(std::int32_t rowKind, std::int32_t colKind);
    std::int64_t Self(std::int32_t g);
    // What the row gate's item measures against the column gate's item.
    std::int64_t Distance(std::int32_t r, std::int32_t c);
    // Measures j as i's partner and notes it if it beats the best so far (when eager: takes it
    // if the items can carry the exchange out).
    void Consider(std::int32_t i, std::int32_t j, std::int64_t dii, CExchangeChoice& best);
    // The best partner by the model's measure alone, leaving out those found unusable.
    void FindBest(std::int32_t i, std::int64_t dii, CExchangeChoice& best);
    void FindBestInCells(std::int32_t i, std::int64_t dii, CExchangeChoice& best);
    // Notes the cells of a block (of the level given) that may hold a partner whose gain reaches
    // need: room is what the gate's side may reach less the distance to its targets, outer the
    // room over the enclosing block.
    void CollectCells(std::size_t level, std::int32_t block, double outer, double room, double need);
    void PrepareCells();
    // The least that j, in a place within the box, would measure against i's pins' nets (the
    // targets gathered for i), less what rounding may take off.
    double TargetsBound(const CLQBox& box) const;
    // The least that a gate in a place within the box, unrelated to j, would measure against
    // j's pins' nets (from their boxes), less what rounding may take off.
    double ColumnsBound(std::int32_t j, const CLQBox& box) const;
    // Keeps the grid's present length and the boxes of the column nets of a gate up to date.
    void RefreshGate(std::int32_t g);
    // Gathers the targets of i's column nets and marks the gates on any small net of i.
    void GatherTargets(std::int32_t i);
    // Per small net of a matched column pin of g, the pins its measurement reads there; ends
    // receives where each net's points end.
    void ColumnTargets(std::int32_t g, std::vector<std::pair<std::int32_t, std::int32_t>>& points,
                       std::vector<std::size_t>& ends) const;

    const std::vector<CSwapItem*>& m_items;
    std::vector<CGate*> m_pGates;
    std::vector<GateData> m_gates;
    std::vector<Span> m_groups;            // members into m_members
    std::vector<std::int32_t> m_members;   // index slots
    std::vector<std::int32_t> m_slots;     // every gate's pins
    std::vector<std::int32_t> m_kindGate;  // a gate of each kind
    std::unordered_map<std::string, std::int32_t> m_kinds;
    std::unordered_map<std::uint64_t, Match> m_matches;
    std::pair<std::uint64_t, const Match*> m_recentMatches[2] = {};
    std::vector<std::int64_t> m_cost;
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
    std::vector<CLQBox> m_boxes;
    // Per gate, the boxes of what its column nets' measurements read: m_columnCount[g] of them from
    // m_columnFirst[g] on, room being kept for every matched column pin.
    std::vector<CLQBox> m_columnBoxes;
    std::vector<std::int32_t> m_columnFirst, m_columnCount;
    std::vector<std::vector<std::pair<std::int32_t, std::int32_t>>> m_columnPoints;  // the same, pin by pin
    std::vector<std::vector<std::size_t>> m_columnEnds;
    CGateGrid m_grid;
    std::vector<std::uint32_t> m_related;
    std::uint32_t m_relatedStamp = 0;
    std::vector<std::int32_t> m_relatedList;
    std::vector<std::pair<std::int32_t, std::int32_t>> m_targets;
    std::vector<std::size_t> m_targetEnds;
    std::vector<std::pair<std::int32_t, std::int32_t>> m_scratchTargets;
    std::vector<std::size_t> m_scratchEnds;
    struct CellBound {
        double quick, own;
        std::int32_t cell;
    };
    std::vector<CellBound> m_cellOrder;
    std::vector<std::int32_t> m_changedNets;
};

// Nets of more pins than this are not gathered as targets (supply nets, mostly): they bound
// nothing near any place and would cost a pass over them per cell.
constexpr std::size_t kMaxTargetNet = 32;
constexpr std::int32_t kSearchesBeforeCells = 16;
// Searches by the model's measure alone before the items are asked as partners are met.
constexpr int kModelTries = 2;

CString SearchID(CSwapItem* pItem, const std::map<CString, CString>& names)
{
    return static_cast<CSwapItemPin*>(pItem)->GetSearchID(names);
}

const std::map<CString, CString> kGroupNames{{LQ_PINGROUP, LQ_PINGROUP}};
const std::map<CString, CString> kPowerNames{{LQ_PINGROUP, LQ_PINGROUP}, {LQ_PIN, LQ_PIN}, {LQ_LABEL, LQ_LABEL}};
const std::map<CString, CString> kIdentityNames{
    {LQ_PINGROUP, LQ_PINGROUP}, {LQ_PIN, LQ_PIN}, {LQ_LABEL, LQ_LABEL}, {LQ_GATE, LQ_GATE}};

bool CGateModel::Init()
{
    std::unordered_map<CGate*, std::int32_t> seen;
    for (CSwapItem* pItem : m_items) {
        auto* pGateItem = DYNAMIC_DOWNCAST(CSwapItemGate, pItem);
        if (pGateItem == nullptr || !pGateItem->GetOptimize() ||
            !seen.emplace(pGateItem->GetGate(), static_cast<std::int32_t>(seen.size())).second)
            return false;
        m_pGates.push_back(pGateItem->GetGate());
    }
    m_gates.resize(m_pGates.size());
    m_unusable.assign(m_pGates.size(), 0);
    for (std::size_t g = 0; g < m_pGates.size(); ++g) {
        CGate* pGate = m_pGates[g];
        GateData& data = m_gates[g];
        data.bReal = pGate->IsRealGate();
        data.slots.first = static_cast<std::int32_t>(m_slots.size());
        for (CLayoutPin* pPin : pGate->GetPins())
            m_slots.push_back(m_index.Register(pPin, static_cast<std::int32_t>(g)));
        data.slots.size = static_cast<std::int32_t>(m_slots.size()) - data.slots.first;
    }
    // The pin groups as the items read them, built the first time they are asked for.
    std::unordered_map<CSwapItem*, std::int32_t> slotOfItem;
    for (std::size_t g = 0; g < m_pGates.size(); ++g) {
        const std::vector<CSwapItem*>& pinItems = m_pGates[g]->GetSwapPinItems();
        for (std::size_t k = 0; k < pinItems.size(); ++k)
            slotOfItem[pinItems[k]] = m_slots[static_cast<std::size_t>(m_gates[g].slots.first) + k];
        GateData& data = m_gates[g];
        data.groups.first = static_cast<std::int32_t>(m_groups.size());
        for (const std::vector<CSwapItem*>& group : m_pGates[g]->GetSwapPinItemGroups()) {
            Span members{static_cast<std::int32_t>(m_members.size()), static_cast<std::int32_t>(group.size())};
            for (CSwapItem* pItem : group)
                m_members.push_back(slotOfItem.at(pItem));
            m_groups.push_back(members);
        }
        data.groups.size = static_cast<std::int32_t>(m_groups.size()) - data.groups.first;
        data.kind = KindOf(static_cast<std::int32_t>(g));
    }
    return m_index.Build();
}

// A bound on what an exchange can gain that holds for whole cells of partners (FindPartnerInCells),
// from the column groups that every partner's matching takes.
void CGateModel::PrepareCells()
{
    if (m_gates.size() < 64 || m_kinds.size() > 16)
        return;
    // A column group counts for a kind where every kind of as many groups matches it.
    const auto nKinds = static_cast<std::int32_t>(m_kinds.size());
    m_matchedCol.assign(static_cast<std::size_t>(nKinds), {});
    for (std::int32_t kc = 0; kc < nKinds; ++kc) {
        const GateData& col = m_gates[static_cast<std::size_t>(m_kindGate[static_cast<std::size_t>(kc)])];
        std::vector<char> counted(static_cast<std::size_t>(col.groups.size), 1);
        for (std::int32_t kr = 0; kr < nKinds; ++kr) {
            if (m_gates[static_cast<std::size_t>(m_kindGate[static_cast<std::size_t>(kr)])].groups.size != col.groups.size)
                continue;
            std::vector<char> matched(counted.size(), 0);
            for (const auto& [a, b] : MatchOf(kr, kc))
                matched[static_cast<std::size_t>(b)] = 1;
            for (std::size_t b = 0; b < counted.size(); ++b)
                counted[b] = static_cast<char>(counted[b] & matched[b]);
        }
        m_matchedCol[static_cast<std::size_t>(kc)] = std::move(counted);
    }
    m_boxes.resize(m_gates.size());
    for (std::size_t g = 0; g < m_gates.size(); ++g)
        for (std::int32_t k = 0; k < m_gates[g].slots.size; ++k) {
            const std::int32_t slot = m_slots[static_cast<std::size_t>(m_gates[g].slots.first + k)];
            m_boxes[g].Add(m_index.X(slot), m_index.Y(slot));
        }
    m_grid.Build(m_boxes);
    m_columnFirst.resize(m_gates.size());
    m_columnCount.assign(m_gates.size(), 0);
    std::int32_t nRoom = 0;
    for (std::size_t g = 0; g < m_gates.size(); ++g) {
        m_columnFirst[g] = nRoom;
        const GateData& data = m_gates[g];
        for (std::int32_t k = 0; k < data.groups.size; ++k)
            if (m_matchedCol[static_cast<std::size_t>(data.kind)][static_cast<std::size_t>(k)] != 0)
                nRoom += m_groups[static_cast<std::size_t>(data.groups.first + k)].size;
    }
    m_columnBoxes.resize(static_cast<std::size_t>(nRoom));
    m_columnPoints.resize(m_gates.size());
    m_columnEnds.resize(m_gates.size());
    for (std::size_t g = 0; g < m_gates.size(); ++g)
        RefreshGate(static_cast<std::int32_t>(g));
    m_related.assign(m_gates.size(), 0);
    m_bCells = true;
}

void CGateModel::RefreshGate(std::int32_t g)
{
    m_grid.SetSelf(g, Self(g));
    m_scratchTargets.clear();
    m_scratchEnds.clear();
    ColumnTargets(g, m_scratchTargets, m_scratchEnds);
    CLQBox* boxes = m_columnBoxes.data() + m_columnFirst[static_cast<std::size_t>(g)];
    m_columnCount[static_cast<std::size_t>(g)] = static_cast<std::int32_t>(m_scratchEnds.size());
    std::size_t begin = 0;
    for (std::size_t k = 0; k < m_scratchEnds.size(); begin = m_scratchEnds[k++]) {
        boxes[k] = CLQBox{};
        for (std::size_t e = begin; e < m_scratchEnds[k]; ++e)
            boxes[k].Add(m_scratchTargets[e].first, m_scratchTargets[e].second);
    }
    m_columnPoints[static_cast<std::size_t>(g)].assign(m_scratchTargets.begin(), m_scratchTargets.end());
    m_columnEnds[static_cast<std::size_t>(g)].assign(m_scratchEnds.begin(), m_scratchEnds.end());
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

// Gates of one kind match the pin groups of any gate alike: what the matching reads of a group's
// first pin, and the group sizes.
std::int32_t CGateModel::KindOf(std::int32_t g)
{
    const GateData& data = m_gates[static_cast<std::size_t>(g)];
    std::string key = data.bReal ? "R" : "P";
    for (const std::vector<CSwapItem*>& group : m_pGates[static_cast<std::size_t>(g)]->GetSwapPinItemGroups()) {
        CSwapItem* pRep = group.front();
        key += '\x1f' + std::to_string(group.size()) + '\x1e' +
               (CSwapItemPin::IsPowerPin(static_cast<CSwapItemPin*>(pRep)->GetPin()) ? "p" : "s") + '\x1e' +
               SearchID(pRep, kGroupNames).str() + '\x1e' + SearchID(pRep, kPowerNames).str();
        if (!data.bReal)
            key += '\x1e' + SearchID(pRep, kIdentityNames).str();
    }
    auto [it, bNew] = m_kinds.emplace(key, static_cast<std::int32_t>(m_kinds.size()));
    if (bNew)
        m_kindGate.push_back(g);
    return it->second;
}

// The first-fit matching of the column gate's groups with the row gate's, as the gate item makes it.
const CGateModel::Match& CGateModel::MatchOf(std::int32_t rowKind, std::int32_t colKind)
{
    const std::uint64_t key = static_cast<std::uint64_t>(rowKind) << 32 | static_cast<std::uint32_t>(colKind);
    // An exchange measures both ways: the last two answers are kept at hand (the map's entries
    // stay where they are).
    for (const auto& [k, pMatch] : m_recentMatches)
        if (pMatch != nullptr && k == key)
            return *pMatch;
    auto it = m_matches.find(key);
    if (it != m_matches.end()) {
        m_recentMatches[1] = m_recentMatches[0];
        m_recentMatches[0] = {key, &it->second};
        return it->second;
    }
    const std::int32_t r = m_kindGate[static_cast<std::size_t>(rowKind)];
    const std::int32_t c = m_kindGate[static_cast<std::size_t>(colKind)];
    const bool bReal = m_gates[static_cast<std::size_t>(r)].bReal;
    const auto& rowGroups = m_pGates[static_cast<std::size_t>(r)]->GetSwapPinItemGroups();
    const auto& colGroups = m_pGates[static_cast<std::size_t>(c)]->GetSwapPinItemGroups();
    Match match;
    std::vector<char> used(rowGroups.size(), 0);
    std::int32_t b = 0;
    for (const auto& colGroup : colGroups) {
        std::int32_t a = 0;
        for (const auto& rowGroup : rowGroups) {
            if (!used[static_cast<std::size_t>(a)] &&
                rowGroup.front()->CanSwap(colGroup.front(), SWAP_GATE, true, false, bReal) &&
                (bReal || SearchID(rowGroup.front(), kIdentityNames) == SearchID(colGroup.front(), kIdentityNames))) {
                used[static_cast<std::size_t>(a)] = 1;
                match.emplace_back(a, b);
                break;
            }
            ++a;
        }
        ++b;
    }
    return m_matches.emplace(key, std::move(match)).first->second;
}

std::int64_t CGateModel::Distance(std::int32_t r, std::int32_t c)
{
    const GateData& row = m_gates[static_cast<std::size_t>(r)];
    const GateData& col = m_gates[static_cast<std::size_t>(c)];
    if (row.groups.size != col.groups.size)
        return 0;
    std::int64_t total = 0;
    for (const auto& [a, b] : MatchOf(row.kind, col.kind)) {
        const Span rows = m_groups[static_cast<std::size_t>(row.groups.first + a)];
        const Span cols = m_groups[static_cast<std::size_t>(col.groups.first + b)];
        m_cost.resize(static_cast<std::size_t>(rows.size) * static_cast<std::size_t>(cols.size));
        for (std::int32_t x = 0; x < rows.size; ++x)
            for (std::int32_t k = 0; k < cols.size; ++k)
                m_cost[static_cast<std::size_t>(x * cols.size + k)] =
                    LQIndexedPinDistance(m_index, m_members[static_cast<std::size_t>(rows.first + x)],
                                         m_members[static_cast<std::size_t>(cols.first + k)], r, c);
        total = LQAddDistances(total, LQLeastPairingTotal(m_cost.data(), rows.size, cols.size));
    }
    return total;
}

std::int64_t CGateModel::Self(std::int32_t g)
{
    GateData& data = m_gates[static_cast<std::size_t>(g)];
    bool bValid = data.selfStamp != 0 && data.moved <= data.selfStamp;
    for (std::int32_t k = 0; bValid && k < data.slots.size; ++k) {
        const std::int32_t net = m_index.NetOf(m_slots[static_cast<std::size_t>(data.slots.first + k)]);
        bValid = net < 0 || m_index.Version(net) <= data.selfStamp;
    }
    if (!bValid) {
        data.self = Distance(g, g);
        data.selfStamp = m_index.Clock();
    }
    return data.self;
}

void CGateModel::Consider(std::int32_t i, std::int32_t j, std::int64_t dii, CExchangeChoice& best)
{
    // Gates whose group counts differ are measured by nothing that could be applied.
    if (j == i || m_gates[static_cast<std::size_t>(j)].groups.size != m_gates[static_cast<std::size_t>(i)].groups.size ||
        m_unusable[static_cast<std::size_t>(j)] == m_unusableStamp)
        return;
    const std::int64_t djj = Self(j);
    if (!LQIsMeasured(djj))
        return;
    const std::int64_t dij = Distance(i, j);
    if (!LQIsMeasured(dij))
        return;
    const std::int64_t dji = Distance(j, i);
    if (!LQIsMeasured(dji))
        return;
    const LQGain gain = static_cast<LQGain>(dii) + djj - (static_cast<LQGain>(dij) + dji);
    if (!best.IsBeatenBy(gain, j))
        return;
    if (m_bEager) {
        LQMeasureAndTakePartner(m_items, i, j, gain, best);
        return;
    }
    best.partner = j;
    best.gain = gain;
}

// The partner is the one of greatest gain (the lowest index among equals) whose exchange can be
// applied whole. Whether it can is asked of the items, which is dear, so only of the best by the
// model's measure; one that cannot is left out and the search made again. Where that keeps
// failing (gates whose exchanges never apply whole), the items are asked of every partner that
// beats the choice so far, as they are met.
void CGateModel::FindPartner(std::int32_t i, CExchangeChoice& choice)
{
    const std::int64_t dii = Self(i);
    if (!LQIsMeasured(dii))
        return;
    // A few searches (a move's) measure every partner; the grid pays off over many.
    if (!m_bCells && ++m_nSearches == kSearchesBeforeCells)
        PrepareCells();
    if (++m_unusableStamp == 0) {
        std::fill(m_unusable.begin(), m_unusable.end(), 0);
        m_unusableStamp = 1;
    }
    for (int nTry = 0; nTry < kModelTries; ++nTry) {
        CExchangeChoice best;
        FindBest(i, dii, best);
        if (best.partner < 0)
            return;
        LQMeasureAndTakePartner(m_items, i, best.partner, best.gain, choice);
        if (choice.partner >= 0)
            return;
        m_unusable[static_cast<std::size_t>(best.partner)] = m_unusableStamp;
    }
    m_bEager = true;
    FindBest(i, dii, choice);
    m_bEager = false;
}

void CGateModel::FindBest(std::int32_t i, std::int64_t dii, CExchangeChoice& best)
{
    if (m_bCells) {
        FindBestInCells(i, dii, best);
        return;
    }
    const auto n = static_cast<std::int32_t>(m_gates.size());
    for (std::int32_t j = 0; j < n; ++j)
        Consider(i, j, dii, best);
}

namespace {
// The sum over the sets of points of the distance from the box to the nearest point of the set.
double SetsBound(const CLQBox& box, const std::vector<std::pair<std::int32_t, std::int32_t>>& points,
                 const std::vector<std::size_t>& ends)
{
    double total = 0;
    std::size_t begin = 0;
    for (std::size_t end : ends) {
        double nearest = HUGE_VAL;
        for (std::size_t k = begin; k < end; ++k)
            nearest = std::min(nearest, box.SquaredDistanceTo(points[k].first, points[k].second));
        // An integer square root may round a distance down by one; doubles round far less.
        total += std::max(0.0, std::sqrt(nearest) - 1.0);
        begin = end;
    }
    return total;
}
}  // namespace

double CGateModel::TargetsBound(const CLQBox& box) const { return SetsBound(box, m_targets, m_targetEnds); }

double CGateModel::ColumnsBound(std::int32_t j, const CLQBox& box) const
{
    double total = 0;
    const CLQBox* boxes = m_columnBoxes.data() + m_columnFirst[static_cast<std::size_t>(j)];
    for (std::int32_t k = 0; k < m_columnCount[static_cast<std::size_t>(j)]; ++k)
        total += std::max(0.0, box.DistanceAtMost(boxes[k]) - 1.0);
    return total;
}

void CGateModel::GatherTargets(std::int32_t i)
{
    const GateData& gi = m_gates[static_cast<std::size_t>(i)];
    m_targets.clear();
    m_targetEnds.clear();
    m_relatedList.clear();
    if (++m_relatedStamp == 0) {
        std::fill(m_related.begin(), m_related.end(), 0);
        m_relatedStamp = 1;
    }
    for (std::int32_t k = 0; k < gi.slots.size; ++k) {
        const std::int32_t net = m_index.NetOf(m_slots[static_cast<std::size_t>(gi.slots.first + k)]);
        if (net < 0 || m_index.PinsOf(net).size() > kMaxTargetNet)
            continue;
        for (const CNetIndex::Pin& p : m_index.PinsOf(net))
            if (p.owner >= 0 && p.owner != i && m_related[static_cast<std::size_t>(p.owner)] != m_relatedStamp) {
                m_related[static_cast<std::size_t>(p.owner)] = m_relatedStamp;
                m_relatedList.push_back(p.owner);
            }
    }
    ColumnTargets(i, m_targets, m_targetEnds);
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
// columns read (ColumnsBound). Partners on a small net of i are measured without bound.
void CGateModel::CollectCells(std::size_t level, std::int32_t block, double outer, double room, double need)
{
    constexpr double kUp = 1 + 1e-9;
    const CGateGrid::Block& b = m_grid.Levels()[level][static_cast<std::size_t>(block)];
    // A block is no nearer to the targets than the block that holds it.
    if (b.maxSelf < 0 || outer + static_cast<double>(b.maxSelf) * kUp < need)
        return;
    const double own = room - TargetsBound(b.box);
    if (own + static_cast<double>(b.maxSelf) * kUp < need)
        return;
    if (level > 0) {
        for (std::int32_t child : b.children)
            CollectCells(level - 1, child, own, room, need);
        return;
    }
    const auto& cells = m_grid.Cells();
    for (std::int32_t c : b.children) {
        const auto uc = static_cast<std::size_t>(c);
        if (cells[uc].maxSelf < 0 || own + static_cast<double>(cells[uc].maxSelf) * kUp < need)
            continue;
        const double cellOwn = room - TargetsBound(cells[uc].box);
        const double quick = cellOwn + static_cast<double>(cells[uc].maxSelf) * kUp;
        if (quick >= need)
            m_cellOrder.push_back(CellBound{quick, cellOwn, c});
    }
}

void CGateModel::FindBestInCells(std::int32_t i, std::int64_t dii, CExchangeChoice& best)
{
    GatherTargets(i);
    for (std::int32_t j : m_relatedList)
        Consider(i, j, dii, best);

    // What an exchange must reach to be chosen; bounds carry a margin for their rounding.
    auto beats = [&best](double bound) { return bound >= (best.partner < 0 ? 1.0 : static_cast<double>(best.gain)); };
    const double margin = 4.0 + 1e-9 * static_cast<double>(dii);
    const CLQBox& boxI = m_boxes[static_cast<std::size_t>(i)];
    // The grid keeps every gate's present length up to date (Exchanged).
    auto longest = [this](std::int32_t j) { return static_cast<double>(m_grid.SelfOf(j)) * (1 + 1e-9); };
    auto partnerSide = [&](std::int32_t j) { return longest(j) - ColumnsBound(j, boxI); };
    auto open = [&](std::int32_t j) {
        return j != i && m_related[static_cast<std::size_t>(j)] != m_relatedStamp && m_grid.SelfOf(j) >= 0;
    };
    // Cells in the order of a quick bound (their largest present length for the partner's side),
    // each measured more closely only when it is reached; blocks of cells, and blocks of those,
    // are passed over whole by the same bound over their boxes.
    m_cellOrder.clear();
    const double need = best.partner < 0 ? 1.0 : static_cast<double>(best.gain);
    const auto& levels = m_grid.Levels();
    for (std::size_t b = 0; !levels.empty() && b < levels.back().size(); ++b)
        CollectCells(levels.size() - 1, static_cast<std::int32_t>(b), HUGE_VAL, static_cast<double>(dii) + margin, need);
    std::sort(m_cellOrder.begin(), m_cellOrder.end(), [](const CellBound& a, const CellBound& b) { return a.quick > b.quick; });
    const auto& cells = m_grid.Cells();
    for (const CellBound& cell : m_cellOrder) {
        if (!beats(cell.quick))
            break;
        // The gates come longest present length first, and no partner's side exceeds its
        // present length: once one is too short to reach what the cell needs, all after it are.
        for (std::int32_t j : cells[static_cast<std::size_t>(cell.cell)].gates) {
            if (!beats(cell.own + longest(j)))
                break;
            if (!open(j))
                continue;
            const double side = partnerSide(j);
            if (!beats(cell.own + side))
                continue;
            const auto uj = static_cast<std::size_t>(j);
            const double own = static_cast<double>(dii) + margin - TargetsBound(m_boxes[uj]);
            // Last, the partner's side from its nets' pins rather than their boxes.
            if (beats(own + side) && beats(own + longest(j) - SetsBound(boxI, m_columnPoints[uj], m_columnEnds[uj])))
                Consider(i, j, dii, best);
        }
    }
}

void CGateModel::Exchanged(std::int32_t i, std::int32_t p)
{
    m_moved.clear();
    for (std::int32_t g : {i, p}) {
        const Span slots = m_gates[static_cast<std::size_t>(g)].slots;
        m_moved.insert(m_moved.end(), m_slots.begin() + slots.first, m_slots.begin() + slots.first + slots.size);
    }
    // The nets the pins leave, for the grid's gates to be brought up to date below.
    m_changedNets.clear();
    if (m_bCells)
        for (std::int32_t slot : m_moved)
            m_changedNets.push_back(m_index.NetOf(slot));
    const std::uint64_t stamp = m_index.Refresh(m_moved.data(), m_moved.size());
    m_gates[static_cast<std::size_t>(i)].moved = stamp;
    m_gates[static_cast<std::size_t>(p)].moved = stamp;
    if (!m_bCells)
        return;
    // Every gate with a pin on a net that changed may measure itself differently now.
    for (std::int32_t slot : m_moved)
        m_changedNets.push_back(m_index.NetOf(slot));
    std::sort(m_changedNets.begin(), m_changedNets.end());
    m_changedNets.erase(std::unique(m_changedNets.begin(), m_changedNets.end()), m_changedNets.end());
    RefreshGate(i);
    RefreshGate(p);
    for (std::int32_t net : m_changedNets)
        if (net >= 0 && m_index.Version(net) == stamp)
            for (const CNetIndex::Pin& pin : m_index.PinsOf(net))
                if (pin.owner >= 0)
                    RefreshGate(pin.owner);
}
}  // namespace

std::unique_ptr<CExchangeModel> LQMakeGateModel(const std::vector<CSwapItem*>& items)
{
    auto pModel = std::make_unique<CGateModel>(items);
    if (!pModel->Init())
        return nullptr;
    return pModel;
}
