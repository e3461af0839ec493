#include "module/autoswap/GateExchange.h"

#include <map>
#include <string>
#include <unordered_map>

#include "host/AttributeNames.h"
#include "module/autoswap/AutoSwapD.h"
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

    const std::vector<CSwapItem*>& m_items;
    std::vector<CGate*> m_pGates;
    std::vector<GateData> m_gates;
    std::vector<Span> m_groups;            // members into m_members
    std::vector<std::int32_t> m_members;   // index slots
    std::vector<std::int32_t> m_slots;     // every gate's pins
    std::vector<std::int32_t> m_kindGate;  // a gate of each kind
    std::unordered_map<std::string, std::int32_t> m_kinds;
    std::unordered_map<std::uint64_t, Match> m_matches;
    std::vector<std::int64_t> m_cost;
    std::vector<std::int32_t> m_moved;
    CNetIndex m_index;
};

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
    auto it = m_matches.find(key);
    if (it != m_matches.end())
        return it->second;
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

void CGateModel::FindPartner(std::int32_t i, CExchangeChoice& choice)
{
    const std::int64_t dii = Self(i);
    if (!LQIsMeasured(dii))
        return;
    const auto n = static_cast<std::int32_t>(m_gates.size());
    for (std::int32_t j = 0; j < n; ++j) {
        // Gates whose group counts differ are measured by nothing that could be applied.
        if (j == i || m_gates[static_cast<std::size_t>(j)].groups.size != m_gates[static_cast<std::size_t>(i)].groups.size)
            continue;
        const std::int64_t djj = Self(j);
        if (!LQIsMeasured(djj))
            continue;
        const std::int64_t dij = Distance(i, j);
        if (!LQIsMeasured(dij))
            continue;
        const std::int64_t dji = Distance(j, i);
        if (!LQIsMeasured(dji))
            continue;
        const LQGain gain = static_cast<LQGain>(dii) + djj - (static_cast<LQGain>(dij) + dji);
        if (choice.IsBeatenBy(gain, j))
            LQMeasureAndTakePartner(m_items, i, j, gain, choice);
    }
}

void CGateModel::Exchanged(std::int32_t i, std::int32_t p)
{
    m_moved.clear();
    for (std::int32_t g : {i, p}) {
        const Span slots = m_gates[static_cast<std::size_t>(g)].slots;
        m_moved.insert(m_moved.end(), m_slots.begin() + slots.first, m_slots.begin() + slots.first + slots.size);
    }
    const std::uint64_t stamp = m_index.Refresh(m_moved.data(), m_moved.size());
    m_gates[static_cast<std::size_t>(i)].moved = stamp;
    m_gates[static_cast<std::size_t>(p)].moved = stamp;
}
}  // namespace

std::unique_ptr<CExchangeModel> LQMakeGateModel(const std::vector<CSwapItem*>& items)
{
    auto pModel = std::make_unique<CGateModel>(items);
    if (!pModel->Init())
        return nullptr;
    return pModel;
}
