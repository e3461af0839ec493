#include "module/autoswap/GateExchange.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <string>
#include <unordered_map>

#include "host/AttributeNames.h"
#include "module/autoswap/AutoSwapD.h"
#include "module/autoswap/GateModel.h"
#include "module/autoswap/PairingTotal.h"
#include "module/gates/Gate.h"
#include "module/swap/ConnectionData.h"
#include "module/swap/ExchangeCheck.h"
#include "module/swap/SwapItemGate.h"
#include "module/swap/SwapItemPin.h"

namespace {
// Searches by the model's measure alone before partners are checked as they are met.
constexpr int kModelTries = 2;

CString SearchID(CSwapItem* pItem, const std::map<CString, CString>& names)
{
    return static_cast<CSwapItemPin*>(pItem)->GetSearchID(names);
}

LQGateGridSettings g_gridSettings;

const std::map<CString, CString> kGroupNames{{LQ_PINGROUP, LQ_PINGROUP}};
const std::map<CString, CString> kPowerNames{{LQ_PINGROUP, LQ_PINGROUP}, {LQ_PIN, LQ_PIN}, {LQ_LABEL, LQ_LABEL}};
const std::map<CString, CString> kIdentityNames{
    {LQ_PINGROUP, LQ_PINGROUP}, {LQ_PIN, LQ_PIN}, {LQ_LABEL, LQ_LABEL}, {LQ_GATE, LQ_GATE}};
}  // namespace

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
    m_groupSelf.resize(m_groups.size());
    m_slotLeaves.assign(m_slots.size(), -1);
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

std::pair<std::int32_t, std::int32_t> CGateModel::GroupCosts(std::int32_t r, std::int32_t c, std::int32_t a,
                                                             std::int32_t b)
{
    const Span rows = m_groups[static_cast<std::size_t>(m_gates[static_cast<std::size_t>(r)].groups.first + a)];
    const Span cols = m_groups[static_cast<std::size_t>(m_gates[static_cast<std::size_t>(c)].groups.first + b)];
    m_cost.resize(static_cast<std::size_t>(rows.size) * static_cast<std::size_t>(cols.size));
    for (std::int32_t x = 0; x < rows.size; ++x)
        for (std::int32_t k = 0; k < cols.size; ++k)
            m_cost[static_cast<std::size_t>(x * cols.size + k)] =
                LQIndexedPinDistance(m_index, m_members[static_cast<std::size_t>(rows.first + x)],
                                     m_members[static_cast<std::size_t>(cols.first + k)], r, c);
    return {rows.size, cols.size};
}

std::int64_t CGateModel::GroupDistance(std::int32_t r, std::int32_t c, std::int32_t a, std::int32_t b)
{
    const auto [nRows, nCols] = GroupCosts(r, c, a, b);
    return LQLeastPairingTotal(m_cost.data(), nRows, nCols);
}

CObject** CGateModel::PairingData(std::int32_t r, std::int32_t c)
{
    const auto& rowGroups = m_pGates[static_cast<std::size_t>(r)]->GetSwapPinItemGroups();
    const auto& colGroups = m_pGates[static_cast<std::size_t>(c)]->GetSwapPinItemGroups();
    std::vector<CObject*> pairings;
    const Match& match = MatchOf(m_gates[static_cast<std::size_t>(r)].kind, m_gates[static_cast<std::size_t>(c)].kind);
    for (const auto& [a, b] : match) {
        auto* pPairing = new CAutoSwapD(*std::next(rowGroups.begin(), a), *std::next(colGroups.begin(), b));
        const auto [nRows, nCols] = GroupCosts(r, c, a, b);
        for (std::int32_t x = 0; x < nRows; ++x)
            for (std::int32_t k = 0; k < nCols; ++k)
                pPairing->SetPairDistance(x, k, m_cost[static_cast<std::size_t>(x * nCols + k)]);
        pPairing->Run();
        pairings.push_back(pPairing);
    }
    return MakeConnectionData(pairings);
}

void CGateModel::Take(std::int32_t i, std::int32_t j, LQGain gain, CExchangeChoice& choice)
{
    if (IsOnCopper(i) || IsOnCopper(j))
        return;
    CObject** listIJ = PairingData(i, j);
    CObject** listJI = PairingData(j, i);
    LeavingPins(i, m_leavingI);
    LeavingPins(j, m_leavingJ);
    const bool bApplies =
        LQIsCompletePairing(m_leavingI, m_leavingJ, listIJ) && LQIsCompletePairing(m_leavingJ, m_leavingI, listJI);
    LQTakePartnerIf(bApplies, j, gain, listIJ, listJI, choice);
}

bool CGateModel::IsOnCopper(std::int32_t g)
{
    std::int8_t& onCopper = m_gates[static_cast<std::size_t>(g)].onCopper;
    if (onCopper < 0)
        onCopper = LQIsOnCopper(m_items[static_cast<std::size_t>(g)]) ? 1 : 0;
    return onCopper != 0;
}

void CGateModel::LeavingPins(std::int32_t g, std::vector<CLayoutPin*>& pins)
{
    const GateData& data = m_gates[static_cast<std::size_t>(g)];
    const std::vector<CLayoutPin*>& gatePins = m_pGates[static_cast<std::size_t>(g)]->GetPins();
    pins.clear();
    for (std::int32_t k = 0; k < data.slots.size; ++k) {
        std::int8_t& leaves = m_slotLeaves[static_cast<std::size_t>(data.slots.first + k)];
        CLayoutPin* pPin = gatePins[static_cast<std::size_t>(k)];
        if (leaves < 0)
            leaves = LQLeavesOnUnConnect(data.bReal, pPin) ? 1 : 0;
        if (leaves != 0)
            pins.push_back(pPin);
    }
    // A pin is registered once, so the list needs no pass for repeats.
    std::sort(pins.begin(), pins.end());
}

std::int64_t CGateModel::Distance(std::int32_t r, std::int32_t c)
{
    const GateData& row = m_gates[static_cast<std::size_t>(r)];
    const GateData& col = m_gates[static_cast<std::size_t>(c)];
    if (row.groups.size != col.groups.size)
        return 0;
    std::int64_t total = 0;
    for (const auto& [a, b] : MatchOf(row.kind, col.kind))
        total = LQAddDistances(total, GroupDistance(r, c, a, b));
    return total;
}

bool CGateModel::IsCurrent(const GateData& data, const std::int32_t* slots, std::int32_t nSlots,
                           std::uint64_t stamp) const
{
    if (stamp == 0 || data.moved > stamp)
        return false;
    for (std::int32_t k = 0; k < nSlots; ++k) {
        const std::int32_t net = m_index.NetOf(slots[k]);
        if (net >= 0 && m_index.Version(net) > stamp)
            return false;
    }
    return true;
}

std::int64_t CGateModel::Self(std::int32_t g)
{
    GateData& data = m_gates[static_cast<std::size_t>(g)];
    if (IsCurrent(data, m_slots.data() + data.slots.first, data.slots.size, data.selfStamp))
        return data.self;
    // A group's part reads only the nets of its own pins: a change of one net leaves the other
    // groups' parts as they were. (A kind's groups always match the same way.)
    std::int64_t total = 0;
    for (const auto& [a, b] : MatchOf(data.kind, data.kind)) {
        GroupSelf& part = m_groupSelf[static_cast<std::size_t>(data.groups.first + b)];
        const Span cols = m_groups[static_cast<std::size_t>(data.groups.first + b)];
        if (!IsCurrent(data, m_members.data() + cols.first, cols.size, part.stamp)) {
            part.total = GroupDistance(g, g, a, b);
            part.stamp = m_index.Clock();
        }
        total = LQAddDistances(total, part.total);
    }
    data.self = total;
    data.selfStamp = m_index.Clock();
    return data.self;
}

void CGateModel::Consider(std::int32_t i, std::int32_t j, std::int64_t dii, CExchangeChoice& best, double ownAtMost)
{
    // Gates whose group counts differ are measured by nothing that could be applied.
    const auto uj = static_cast<std::size_t>(j);
    if (j == i || m_gates[uj].groups.size != m_gates[static_cast<std::size_t>(i)].groups.size ||
        m_unusable[uj] == m_unusableStamp)
        return;
    const std::int64_t djj = Self(j);
    if (!LQIsMeasured(djj))
        return;
    // Measured distances are not negative: a partner that could not be chosen even if the
    // measurements still to come were nothing (or at their bound) is left unmeasured.
    if (!best.IsBeatenBy(static_cast<LQGain>(dii) + djj, j))
        return;
    const std::int64_t dij = Distance(i, j);
    if (!LQIsMeasured(dij))
        return;
    if (!best.IsBeatenBy(static_cast<LQGain>(dii) + djj - dij, j) ||
        ownAtMost + static_cast<double>(djj - dij) < Need(best))
        return;
    const std::int64_t dji = Distance(j, i);
    if (!LQIsMeasured(dji))
        return;
    const LQGain gain = static_cast<LQGain>(dii) + djj - (static_cast<LQGain>(dij) + dji);
    if (!best.IsBeatenBy(gain, j))
        return;
    if (m_bEager) {
        Take(i, j, gain, best);
        return;
    }
    best.partner = j;
    best.gain = gain;
}

// The partner is the one of greatest gain (the lowest index among equals) whose exchange can be
// applied whole. Whether it can is checked on the exchange's pin pairings, which is dear, so only
// for the best by the model's measure; one that cannot is left out and the search made again.
// Where that keeps failing (gates whose exchanges never apply whole), every partner that beats the
// choice so far is checked as it is met.
void CGateModel::FindPartner(std::int32_t i, CExchangeChoice& choice)
{
    const std::int64_t dii = Self(i);
    if (!LQIsMeasured(dii))
        return;
    // A few searches (a move's) measure every partner; the grid pays off over many.
    if (!m_bCells && ++m_nSearches == g_gridSettings.nSearchesBefore)
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
        Take(i, best.partner, best.gain, choice);
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
    // Each of them once: the two exchanged gates (whose pins may all have left every net) and
    // the owners of pins on the changed nets.
    m_changedGates.assign({i, p});
    for (std::int32_t net : m_changedNets)
        if (net >= 0 && m_index.Version(net) == stamp)
            for (const CNetIndex::Pin& pin : m_index.PinsOf(net))
                if (pin.owner >= 0)
                    m_changedGates.push_back(pin.owner);
    std::sort(m_changedGates.begin(), m_changedGates.end());
    m_changedGates.erase(std::unique(m_changedGates.begin(), m_changedGates.end()), m_changedGates.end());
    for (std::int32_t g : m_changedGates)
        RefreshGate(g);
}

const LQGateGridSettings& LQGetGateGridSettings() { return g_gridSettings; }
void LQSetGateGridSettings(const LQGateGridSettings& settings) { g_gridSettings = settings; }
LQCapChecks& LQTheCapChecks()
{
    static LQCapChecks checks;
    return checks;
}

std::unique_ptr<CExchangeModel> LQMakeGateModel(const std::vector<CSwapItem*>& items)
{
    auto pModel = std::make_unique<CGateModel>(items);
    if (!pModel->Init())
        return nullptr;
    return pModel;
}
